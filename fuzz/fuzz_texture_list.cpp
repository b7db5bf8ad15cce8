#include "TextureListFuzz.h"

LW_FUZZ_TARGET(lwfuzz::readTextureList)
