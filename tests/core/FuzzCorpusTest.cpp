// Replays the fuzzer's corpus, so every input it ever kept stays covered without clang.

#include "../../fuzz/MapReaderFuzz.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(FuzzCorpus, EveryInputIsReadSafely) {
    const std::filesystem::path corpus(LW_FUZZ_CORPUS_DIR);
    size_t inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        if (!entry.is_regular_file())
            continue;
        const auto bytes = lwtest::readBytes(entry.path());
        lwfuzz::readMapBytes(bytes.data(), bytes.size());
        ++inputs;
    }
    EXPECT_GT(inputs, 10u);
}
