// Replays the corpus of every fuzz target, so each input a fuzzer kept (the seeds and every
// crash it found) stays covered without clang. Under AddressSanitizer the memory rule is
// checked too: an input under 1 MiB may not need more than 256 MiB.

#include "../../fuzz/Targets.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

class FuzzCorpus : public ::testing::TestWithParam<lwfuzz::Target> {};

TEST_P(FuzzCorpus, EveryInputIsReadSafely) {
    const lwfuzz::Target& target = GetParam();
    const fs::path corpus = fs::path(LW_FUZZ_CORPUS_DIR) / target.name;
    ASSERT_TRUE(fs::is_directory(corpus)) << corpus;
    std::vector<fs::path> inputs;
    for (const auto& entry : fs::directory_iterator(corpus))
        if (entry.is_regular_file())
            inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    EXPECT_GE(inputs.size(), 2u) << "every target keeps seeds";
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.filename().string());
        const auto bytes = lwtest::readBytes(input);
        const size_t peak = lwfuzz::runInput(target.harness, bytes.data(), bytes.size());
        if (lwfuzz::MemoryWatch::available() && bytes.size() < lwfuzz::kSmallInput) {
            EXPECT_LE(peak, lwfuzz::kMemoryBudget);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzCorpus, ::testing::ValuesIn(lwfuzz::kTargets),
                         [](const ::testing::TestParamInfo<lwfuzz::Target>& target) {
                             return std::string(target.param.name);
                         });

} // namespace
