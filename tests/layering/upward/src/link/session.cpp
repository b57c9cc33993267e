#include "decoder/decoder.h"
