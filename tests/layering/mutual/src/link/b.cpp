#include "link/a.h"
