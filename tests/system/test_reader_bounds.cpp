// Every reader of a file bounded: the settings, language, project and
// simulated box file readers fed a 1 GB file (sparse), NUL bytes, one line
// with no end and invalid bytes, each in a child process whose peak memory
// is measured and printed; a named pipe and a device are refused before
// they are opened, with the file and the reason named.
#include "drivers/sim/sim_box.h"
#include "project/project_file.h"
#include "shell/language_files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quelm;
namespace fs = std::filesystem;

namespace {

// A reader: true when it took the file; `error` says why it did not.
struct Reader {
    const char* name;
    std::function<bool(const fs::path&, std::string&)> read;
    bool saysWhy; // whether it reports the reason in `error`
};

const Reader kReaders[] = {
    {"settings",
     [](const fs::path& p, std::string& e) {
         int code = 0;
         return ReadLanguageCode(p, code, e);
     },
     true},
    {"language",
     [](const fs::path& p, std::string&) {
         TextTable t;
         return LoadTable(p, t) > 0;
     },
     false},
    {"project",
     [](const fs::path& p, std::string& e) {
         std::vector<std::string> v;
         return ReadProjectFile(p, v, e);
     },
     true},
    {"box file", [](const fs::path& p, std::string& e) { return sim::loadBoxFile(p.string(), e).has_value(); }, true},
};

// What a reader did in the child, and the most memory it added.
struct Outcome {
    bool finished = false;
    bool took = false;
    long peakKiB = 0;
    char error[512] = {};
};

long PeakKiB() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// Runs `reader` on `file` in a child with a 20 s alarm; the peak resident
// size is reset first (clear_refs 5), so the figure is the reader's own.
Outcome ReadInChild(const Reader& reader, const fs::path& file) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return {};
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        ::alarm(20);
        std::ofstream("/proc/self/clear_refs") << "5";
        Outcome o;
        const long before = PeakKiB();
        std::string error;
        o.took = reader.read(file, error);
        o.peakKiB = PeakKiB() - before;
        o.finished = true;
        std::strncpy(o.error, error.c_str(), sizeof o.error - 1);
        if (::write(pipeFds[1], &o, sizeof o) != static_cast<ssize_t>(sizeof o)) ::_exit(3);
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    Outcome o;
    if (::read(pipeFds[0], &o, sizeof o) != static_cast<ssize_t>(sizeof o)) o = {};
    ::close(pipeFds[0]);
    ::waitpid(child, nullptr, 0);
    return o;
}

class ReaderBounds : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/quelm_boundsXXXXXX";
        dir = ::mkdtemp(name);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    fs::path put(const std::string& name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return dir / name;
    }
    fs::path dir;
};

// The most any reader may add to the process while reading any file.
constexpr long kPeakBoundKiB = 32 * 1024;

} // namespace

TEST_F(ReaderBounds, HostileFilesAreReadWithinABoundOfMemory) {
    const fs::path huge = dir / "huge.dat";
    {
        const int fd = ::open(huge.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, off_t{1} << 30), 0); // 1 GB of holes, read as NUL bytes
        ::close(fd);
    }
    std::string invalid(1 << 20, '\0');
    for (std::size_t i = 0; i < invalid.size(); ++i) invalid[i] = static_cast<char>(0x80 + (i * 37) % 128);
    const std::pair<const char*, fs::path> files[] = {
        {"1 GB sparse", huge},
        {"1 MiB of NUL bytes", put("nul.dat", std::string(1 << 20, '\0'))},
        {"16 MiB line with no end", put("line.dat", std::string(16 << 20, '7'))},
        {"1 MiB of invalid bytes", put("invalid.dat", invalid)},
    };
    for (const Reader& reader : kReaders) {
        for (const auto& [what, file] : files) {
            const Outcome o = ReadInChild(reader, file);
            EXPECT_TRUE(o.finished) << reader.name << " reader, " << what << ": did not return";
            EXPECT_LT(o.peakKiB, kPeakBoundKiB) << reader.name << " reader, " << what;
            if (reader.saysWhy && !o.took) {
                EXPECT_NE(std::string(o.error), "") << reader.name << ", " << what;
            }
            std::printf("%-9s reader, %-24s peak +%6ld KiB, %s\n", reader.name, what, o.peakKiB,
                        o.took ? "taken" : ("refused: " + std::string(o.error).substr(0, 100)).c_str());
        }
    }
}

TEST_F(ReaderBounds, PipesAndDevicesAreRefusedBeforeTheyAreOpened) {
    const fs::path fifo = dir / "pipe.dat";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const Reader& reader : kReaders) {
        for (const fs::path& file : {fifo, fs::path("/dev/zero")}) {
            // An open of the pipe would wait for a writer forever; /dev/zero
            // never ends.
            const Outcome o = ReadInChild(reader, file);
            ASSERT_TRUE(o.finished) << reader.name << " reader waited on " << file;
            EXPECT_FALSE(o.took) << reader.name << " reader took " << file;
            if (!reader.saysWhy) continue;
            const std::string error = o.error;
            EXPECT_NE(error.find(file.filename().string()), std::string::npos) << reader.name << ": " << error;
            EXPECT_NE(error.find("regular file"), std::string::npos) << reader.name << ": " << error;
        }
    }
}
