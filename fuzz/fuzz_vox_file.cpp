#include "VoxFuzz.h"

LW_FUZZ_TARGET(lwfuzz::readVoxFile)
