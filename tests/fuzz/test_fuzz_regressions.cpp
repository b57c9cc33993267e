// Every input committed under fuzz/corpus (the seeds, and each input that
// ever crashed a fuzz target) replayed through its target's entry function,
// each in a child process so that an abort names its file.
#include "fuzz/entries.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> Bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// 0 when the entry returned; otherwise the child's wait status.
int RunInChild(quelm::fuzz::Entry entry, const std::vector<std::uint8_t>& input) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) ::_exit(entry(input.data(), input.size()));
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : status | 0x10000;
}

} // namespace

TEST(FuzzRegressions, EveryCommittedInputPassesItsTarget) {
    int inputs = 0;
    for (const auto& target : quelm::fuzz::kTargets) {
        const fs::path folder = fs::path(QUELM_SOURCE_DIR) / "fuzz" / "corpus" / target.name;
        ASSERT_TRUE(fs::is_directory(folder)) << "no corpus for " << target.name;
        int here = 0;
        for (const auto& file : fs::directory_iterator(folder)) {
            if (!file.is_regular_file()) continue;
            EXPECT_EQ(RunInChild(target.entry, Bytes(file.path())), 0) << target.name << ": " << file.path().filename();
            ++here;
        }
        EXPECT_GT(here, 0) << "no seeds for " << target.name;
        inputs += here;
    }
    std::printf("%d committed inputs replayed\n", inputs);
}

// The reply decoder's targets reuse one started window, brought back for each
// input: whatever ran in it before, it must do what a window started for that
// input alone does.
TEST(FuzzRegressions, AReusedWindowBehavesAsANewOne) {
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> inputs;
    for (const char* target : {"reply_raw", "reply_checked"})
        for (const auto& file : fs::directory_iterator(fs::path(QUELM_SOURCE_DIR) / "fuzz" / "corpus" / target))
            inputs.emplace_back(file.path().filename().string(), Bytes(file.path()));
    ASSERT_GE(inputs.size(), 6u);
    for (const auto& [name, in] : inputs)
        EXPECT_EQ(quelm::fuzz::ReplyDecoderOutcome(in.data(), in.size(), true),
                  quelm::fuzz::ReplyDecoderOutcome(in.data(), in.size(), false))
            << name;
}
