#include "ModelFuzz.h"

LW_FUZZ_TARGET(lwfuzz::read3dsModel)
