#include "link/b.h"
