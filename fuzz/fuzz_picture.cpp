#include "HeightmapFuzz.h"

LW_FUZZ_TARGET(lwfuzz::readPicture)
