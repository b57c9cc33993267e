// Saving survives a crash: a child process saves a project file, the
// settings file or a language choice and is killed (SIGKILL) at one write
// point of the atomic writer; the file on disk is then the old one whole or
// the new one whole, and the next save still works.
#include "files/text_file.h"
#include "project/project_actions.h"
#include "project/project_file.h"
#include "shell/language_files.h"
#include "support/file_bytes.h"
#include "support/test_rig.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

using namespace quelm;
namespace fs = std::filesystem;

namespace {

using test::ReadBytes;

int killAtPoint = 0; // the write point (1 = the first) at which the child dies
int pointsReached = 0;

void KillAtPoint(WritePoint) {
    if (++pointsReached == killAtPoint) ::kill(::getpid(), SIGKILL);
}

struct Folder {
    Folder() {
        char name[] = "/tmp/quelm_crashXXXXXX";
        path = ::mkdtemp(name);
        for (const auto& entry : fs::directory_iterator(fs::path(QUELM_SOURCE_DIR) / "data"))
            if (entry.path().extension() == ".dat") fs::copy_file(entry.path(), path / entry.path().filename());
    }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path path;
};

// One kind of save: `save(dir, variant)` writes variant 0 or 1 of the file
// `name`, whose bytes are `bytes(variant)`.
struct SaveKind {
    const char* what;
    const char* name;
    std::function<void(const fs::path&, int)> save;
    std::function<std::string(int)> bytes;
};

// The window's addresses for a variant: variant 1 is long enough to be
// written in several chunks.
std::string Address(int variant, int i) {
    return variant == 0 ? std::to_string(1001 + i) : std::string(kWriteChunk / 4, static_cast<char>('a' + i));
}

void SaveProjectInWindow(const fs::path& dir, int variant) {
    test::Rig rig;
    rig.selectDefaults();
    rig.form.workDir = dir;
    for (int i = 0; i < 10; ++i) rig.form.ui.Text1[static_cast<std::size_t>(i)]->setText(Address(variant, i));
    rig.form.ui.Text3->setText("300");
    rig.form.ui.Savefile->click();
    rig.form.ui.Command[11]->click();
}

std::string ProjectBytes(int variant) {
    test::Rig rig;
    rig.selectDefaults();
    for (int i = 0; i < 10; ++i) rig.form.ui.Text1[static_cast<std::size_t>(i)]->setText(Address(variant, i));
    return FormatProjectFile(RecordFromWindow(rig.form));
}

void ChooseLanguageInWindow(const fs::path& dir, int variant) {
    test::Rig rig;
    rig.form.workDir = dir;
    (variant == 0 ? rig.form.ui.French : rig.form.ui.English)->click();
}

std::vector<SaveKind> Kinds() {
    return {
        {"project save", "300.bdp", SaveProjectInWindow, ProjectBytes},
        {"settings save", kSettingsFile,
         [](const fs::path& dir, int variant) {
             std::string error;
             WriteLanguageCode(dir / kSettingsFile, variant + 1, error);
         },
         [](int variant) { return " " + std::to_string(variant + 1) + " \r\n"; }},
        {"language change", kSettingsFile, ChooseLanguageInWindow,
         [](int variant) { return " " + std::to_string(variant + 1) + " \r\n"; }},
    };
}

// Runs `kind` in a child that dies at write point `killAt` (or never, when
// the save has fewer); true when the child was killed.
bool SaveInChild(const SaveKind& kind, const fs::path& dir, int variant, int killAt) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        killAtPoint = killAt;
        SetWritePointHook(KillAtPoint);
        kind.save(dir, variant);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

} // namespace

TEST(CrashSave, KilledAtEveryWritePointLeavesTheOldFileOrTheNewOneWhole) {
    constexpr int kRuns = 1000;
    int runs = 0, killed = 0, oldKept = 0, newWhole = 0;
    const auto kinds = Kinds();
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        const SaveKind& kind = kinds[k];
        Folder folder;
        const fs::path file = folder.path / kind.name;
        kind.save(folder.path, 0); // the old file
        ASSERT_EQ(ReadBytes(file), kind.bytes(0)) << kind.what;
        int current = 0;
        const int share =
            kRuns / static_cast<int>(kinds.size()) + (k == 0 ? kRuns % static_cast<int>(kinds.size()) : 0);
        // Kill points cycle through every write point of the save and one
        // past the last (the save completes).
        for (int i = 0, killAt = 1; i < share; ++i, ++runs) {
            const int next = 1 - current;
            const bool wasKilled = SaveInChild(kind, folder.path, next, killAt);
            const std::string onDisk = ReadBytes(file);
            ASSERT_TRUE(onDisk == kind.bytes(current) || onDisk == kind.bytes(next))
                << kind.what << ", killed at write point " << killAt
                << ": the file is neither the old nor the new one (" << onDisk.size() << " bytes)";
            if (wasKilled) ++killed;
            if (onDisk == kind.bytes(current))
                ++oldKept;
            else
                ++newWhole;
            if (!wasKilled) {
                ASSERT_EQ(onDisk, kind.bytes(next)) << kind.what << ": a save that ran to its end left the old file";
                killAt = 0; // start the cycle again
            }
            current = onDisk == kind.bytes(next) ? next : current;
            ++killAt;
        }
        // A temporary file left by a kill does not stop the next save.
        kind.save(folder.path, 1 - current);
        EXPECT_EQ(ReadBytes(file), kind.bytes(1 - current)) << kind.what;
    }
    std::printf("crash saves: %d runs, %d killed at a write point, %d left the old file, %d the new one, 0 torn\n",
                runs, killed, oldKept, newWhole);
    EXPECT_EQ(runs, kRuns);
    EXPECT_GT(killed, kRuns / 2);
}
