#include "ImageFuzz.h"

LW_FUZZ_TARGET(lwfuzz::readTgaImage)
