#pragma once
// What every fuzz target shares: the check that aborts on a broken promise (the fuzzer keeps
// the input), the memory rule, and the entry point libFuzzer calls.

#include "MemoryWatch.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace lwfuzz {

using Harness = void (*)(const uint8_t* data, size_t size);

// A promise of the code under test that an input broke: report it and stop.
inline void require(bool holds, const char* promise) {
    if (holds)
        return;
    std::fprintf(stderr, "fuzz check failed: %s\n", promise);
    std::abort();
}

// Runs one input. Returns the peak memory it needed (0 when it cannot be measured) and aborts
// when an input under 1 MiB needed more than 256 MiB.
inline size_t runInput(Harness harness, const uint8_t* data, size_t size) {
    size_t peak = 0;
    {
        const MemoryWatch watch;
        harness(data, size);
        peak = watch.peakBytes();
    }
    if (size < kSmallInput && peak > kMemoryBudget) {
        std::fprintf(stderr, "fuzz check failed: an input of %zu bytes needed %zu MiB\n", size,
                     peak >> 20);
        std::abort();
    }
    return peak;
}

// Bytes from the front of an input, for the choices a target makes before it reads the rest.
class InputSplitter {
public:
    InputSplitter(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t byte() {
        if (size_ == 0)
            return 0;
        --size_;
        return *data_++;
    }
    std::vector<uint8_t> rest() const { return std::vector<uint8_t>(data_, data_ + size_); }
    std::string restText() const {
        return std::string(reinterpret_cast<const char*>(data_), size_);
    }

private:
    const uint8_t* data_;
    size_t size_;
};

} // namespace lwfuzz

// The libFuzzer entry of a target: LW_FUZZ_TARGET(lwfuzz::readMapBytes)
#define LW_FUZZ_TARGET(harness)                                                                    \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {                      \
        lwfuzz::runInput(harness, data, size);                                                     \
        return 0;                                                                                  \
    }
