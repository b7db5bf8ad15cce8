#include "MapReaderFuzz.h"

LW_FUZZ_TARGET(lwfuzz::readMapBytes)
