// Every input committed under fuzz/corpus (the seeds, and each input that
// ever crashed a fuzz target) replayed through its target's entry function,
// each in a child process so that an abort names its file.
#include "fuzz/entries.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>
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
