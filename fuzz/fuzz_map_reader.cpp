#include "MapReaderFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    lwfuzz::readMapBytes(data, size);
    return 0;
}
