// The ".bdp" project file on its own: the bytes written, the reading rules,
// hostile files, and a save that fails half-way.
#include "files/text_file.h"
#include "project/project_file.h"
#include "protocol/number.h"
#include "support/file_bytes.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <csignal>
#include <filesystem>
#include <fstream>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#endif
#include <unistd.h>

using namespace quelm;
namespace fs = std::filesystem;

namespace {

using test::ReadBytes;
using test::WriteBytes;

struct TempDir {
    TempDir() { path = test::MakeTempFolder("quelm_project"); }
    ~TempDir() {
        std::error_code ec;
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path, ec);
    }
    fs::path path;
};

// The names in a folder, sorted, one blank between them.
std::string Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string s;
    for (const std::string& n : names) s += (s.empty() ? "" : " ") + n;
    return s;
}

ProjectRecord Sample() {
    ProjectRecord r;
    for (int i = 0; i < 10; ++i) r.addresses[static_cast<std::size_t>(i)] = std::to_string(1001 + i);
    r.options = {4, 12, 8, 17, 24, 29};
    r.levels = {85, 60, 25};
    return r;
}

} // namespace

TEST(ProjectFile, WritesNineteenCrLfLinesWithBlankedLevels) {
    ProjectRecord r = Sample();
    r.addresses[9] = "";
    r.levels = {85, 50.5, 0};
    EXPECT_EQ(FormatProjectFile(r), "1001\r\n1002\r\n1003\r\n1004\r\n1005\r\n1006\r\n1007\r\n1008\r\n1009\r\n\r\n"
                                    "4\r\n12\r\n8\r\n17\r\n24\r\n29\r\n 85 \r\n 50.5 \r\n 0 \r\n");
    // Windows-1252 on disk, UTF-8 in the window.
    r.addresses[0] = "Entr\xC3\xA9"
                     "e \xE2\x82\xAC \xE4\xB8\xAD"; // "Entrée € 中"
    EXPECT_EQ(FormatProjectFile(r).substr(0, 12), "Entr\xE9"
                                                  "e \x80 ?\r\n");
}

TEST(ProjectFile, ReadingRules) {
    const std::string file = "  12,\"a,b\"\r\n\r\n\"quoted\" junk\r\n 85 \r\nx  \r\nlf only\nlast";
    const auto v = ParseProjectValues(file);
    ASSERT_EQ(v.size(), 8u);
    EXPECT_EQ(v[0], "12");     // blanks before a value skipped
    EXPECT_EQ(v[1], "a,b");    // a comma inside quotes belongs to the value
    EXPECT_EQ(v[2], "");       // an empty line
    EXPECT_EQ(v[3], "quoted"); // text after the closing quote dropped
    EXPECT_EQ(v[4], "85");     // a number loses its surrounding blanks
    EXPECT_EQ(v[5], "x  ");    // a text keeps its trailing blanks
    EXPECT_EQ(v[6], "lf only");
    EXPECT_EQ(v[7], "last");
    // A comma outside quotes splits an address: every later value is one late.
    EXPECT_EQ(ParseProjectValues("1,2\r\n3\r\n"), (std::vector<std::string>{"1", "2", "3"}));
    // Nineteen values, then nothing more is read.
    std::string many;
    for (int i = 0; i < 25; ++i) many += std::to_string(i) + "\r\n";
    EXPECT_EQ(ParseProjectValues(many).size(), 19u);
    EXPECT_EQ(ParseProjectValues(many).back(), "18");
    EXPECT_EQ(ParseProjectValues("\xE9t\xE9\r\n")[0], "\xC3\xA9t\xC3\xA9");
}

TEST(ProjectFile, EveryOptionOfEveryGroupRoundTrips) {
    const auto& lines = ProjectOptionLines();
    for (std::size_t g = 0; g < lines.size(); ++g) {
        for (int option : lines[g]) {
            ProjectRecord r = Sample();
            r.options[g] = option;
            const auto v = ParseProjectValues(FormatProjectFile(r));
            ASSERT_EQ(v.size(), 19u);
            for (std::size_t k = 0; k < 6; ++k)
                EXPECT_EQ(MatchProjectOption(static_cast<int>(11 + k), v[10 + k]), r.options[k]) << "option " << option;
        }
    }
}

TEST(ProjectFile, AwkwardAddressesStillReadBackAsNineteenValues) {
    ProjectRecord r = Sample();
    r.addresses = {"1,2", "\"quoted\"", "  12", "a\"b", "line\r\nbreak", "x, \"y\"", "\a", "  ", "12 ", "\xE2\x82\xAC"};
    const std::string bytes = FormatProjectFile(r);
    EXPECT_FALSE(ForeignByte(bytes)); // the file opens again
    const auto v = ParseProjectValues(bytes);
    ASSERT_EQ(v.size(), 19u);
    EXPECT_EQ(v[0], "1,2");
    EXPECT_EQ(v[1], "'quoted'"); // a quote cannot stand inside a quoted value
    EXPECT_EQ(v[2], "  12");
    EXPECT_EQ(v[3], "a\"b"); // a quote inside an unquoted text is kept
    EXPECT_EQ(v[4], "line  break");
    EXPECT_EQ(v[5], "x, 'y'");
    EXPECT_EQ(v[7], "  ");
    EXPECT_EQ(v[9], "\xE2\x82\xAC");
    EXPECT_EQ(v[16], "85");
}

// The Qt front ends take the user's locale, whose decimal point may be ",".
TEST(ProjectFile, NumbersAndTheirTextsIgnoreACommaDecimalLocale) {
    struct Restore {
        std::string name;
        ~Restore() { std::setlocale(LC_ALL, name.c_str()); }
    } restore{std::setlocale(LC_ALL, nullptr)};
#ifdef _WIN32
    for (const char* name : {"French_France.1252", "German_Germany.1252"}) {
#else
    for (const char* name : {"fr_FR.UTF-8", "de_DE.UTF-8"}) {
#endif
        ASSERT_NE(std::setlocale(LC_ALL, name), nullptr) << name << " is missing: run scripts/setup.sh";
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
        EXPECT_EQ(NumericValue("-2.5D3"), -2500);
        EXPECT_EQ(NumericValue("1e-999"), 0);
        EXPECT_EQ(FixedText(2.25, 3, 10), "     2.250");
        ProjectRecord r = Sample();
        r.levels = {50.5, 0.25, 1e-7};
        const std::string bytes = FormatProjectFile(r);
        EXPECT_EQ(bytes.substr(bytes.find(" 50")), " 50.5 \r\n 0.25 \r\n 1e-07 \r\n");
        const auto values = ParseProjectValues(bytes);
        ASSERT_EQ(values.size(), kProjectValues);
        EXPECT_EQ(NumericValue(values[16]), 50.5);
        EXPECT_EQ(NumericValue(values[17]), 0.25);
    }
}

TEST(ProjectFile, NamesStayInTheChosenFolder) {
    for (const char* bad : {"..", "a/b", "a\\b", "/etc/passwd"}) EXPECT_FALSE(IsPlainFileName(bad)) << bad;
    EXPECT_TRUE(IsPlainFileName("12 abc"));
    const std::string sep(1, static_cast<char>(fs::path::preferred_separator)); // "\\" on Windows
    EXPECT_EQ(JoinFolder(sep + "data", "123.bdp"), sep + "data" + sep + "123.bdp");
    EXPECT_EQ(JoinFolder(sep, "123.bdp"), sep + "123.bdp"); // a root gets no second separator
}

TEST(ProjectFile, HostileFilesAreReadBoundedAndWithoutCrash) {
    TempDir dir;
    std::vector<std::string> v;
    std::string error;
    // One line of 1 GB without an end: a sparse file, of which only the
    // start is read.
    const fs::path huge = dir.path / "huge.bdp";
    { std::ofstream(huge, std::ios::binary) << "12\r\n"; }
    fs::resize_file(huge, 1ull << 30);
    // "12", then NULs, which no project file holds (nor binary or UTF-16 files).
    EXPECT_EQ(ReadProjectValues(huge, v, error), ProjectRead::notAProjectFile);
    EXPECT_EQ(error, huge.string() + ": not a project file (byte 0x00 at offset 4)");
    // Tabs and Windows-1252 bytes, those it leaves undefined too, are text.
    WriteBytes(dir.path / "1252.bdp", "1\t2\r\n\x81\xFF\r\n");
    ASSERT_TRUE(ReadProjectFile(dir.path / "1252.bdp", v, error));
    EXPECT_EQ(v, (std::vector<std::string>{"1\t2", "\xC2\x81\xC3\xBF"}));
    // An unterminated quote ends with its line.
    EXPECT_EQ(ParseProjectValues("\"open\r\n7\r\n"), (std::vector<std::string>{"open", "7"}));
    // Not a regular file, or no file at all.
    EXPECT_FALSE(ReadProjectFile(dir.path, v, error));
    EXPECT_FALSE(ReadProjectFile("/dev/zero", v, error));
    EXPECT_FALSE(ReadProjectFile(dir.path / "*.bdp", v, error));
}

TEST(AtomicWrite, ReplacesTheOldFileWhole) {
    TempDir dir;
    const fs::path file = dir.path / "12.bdp";
    WriteBytes(file, "old contents\r\n");
    std::string error;
    ASSERT_TRUE(WriteProjectFile(file, Sample(), error)) << error;
    EXPECT_EQ(ReadBytes(file), FormatProjectFile(Sample()));
    EXPECT_EQ(Names(dir.path), "12.bdp");
}

#ifndef _WIN32 // a file size limit stands for the full disk
TEST(AtomicWrite, AFullDiskLeavesTheOldFileByteForByte) {
    TempDir dir;
    const fs::path file = dir.path / "12.bdp";
    const std::string old = "old\r\n";
    WriteBytes(file, old);
    // The file size limit stands for a full disk: the write stops after
    // 16 bytes with EFBIG.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    const bool written = WriteProjectFile(file, Sample(), error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(written);
    EXPECT_NE(error.find("12.bdp"), std::string::npos);
    EXPECT_EQ(ReadBytes(file), old);
    EXPECT_EQ(Names(dir.path), "12.bdp");
}
#endif

TEST(AtomicWrite, AFolderThatCannotTakeTheFileLeavesTheOldOne) {
    TempDir dir;
    std::string error;
    // The name is taken by a folder: the rename fails after the write.
    fs::create_directory(dir.path / "7.bdp");
    WriteBytes(dir.path / "7.bdp" / "inside", "x");
    EXPECT_FALSE(WriteProjectFile(dir.path / "7.bdp", Sample(), error));
    EXPECT_TRUE(fs::is_directory(dir.path / "7.bdp"));
    EXPECT_EQ(Names(dir.path), "7.bdp");
    // A read-only folder; the superuser writes anyway, so only others check it.
#ifndef _WIN32
    if (::geteuid() != 0) {
        WriteBytes(dir.path / "8.bdp", "old");
        fs::permissions(dir.path, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(WriteProjectFile(dir.path / "8.bdp", Sample(), error));
        fs::permissions(dir.path, fs::perms::owner_all);
        EXPECT_EQ(ReadBytes(dir.path / "8.bdp"), "old");
    }
#endif
    EXPECT_FALSE(WriteProjectFile(dir.path / "missing" / "9.bdp", Sample(), error));
}

// A file the user made read-only is neither replaced nor unmarked, and the
// check made before long work already says so, naming the file.
TEST(AtomicWrite, AReadOnlyFileIsRefusedByName) {
    TempDir dir;
    const fs::path file = dir.path / "ro.bdp";
    WriteBytes(file, "old");
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    std::string error;
    fs::path target;
    EXPECT_FALSE(WriteProjectFile(file, Sample(), error));
    EXPECT_NE(error.find("ro.bdp: the file is read-only"), std::string::npos) << error;
    EXPECT_FALSE(CheckWritable(file, target, error));
    EXPECT_NE(error.find("ro.bdp: the file is read-only"), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(file), "old");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_EQ(Names(dir.path), "ro.bdp");
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_TRUE(WriteProjectFile(file, Sample(), error)) << error;
}

#ifndef _WIN32 // pipes, modes and symbolic links of POSIX
// The temporary file of a save is a new one: a file, a hard link or a pipe
// under the names saves once used is neither opened, nor changed, nor waited
// on. The longest legal name still saves.
TEST(AtomicWrite, NothingThatExistsBesideTheFileIsOpened) {
    TempDir dir;
    WriteBytes(dir.path / "other", "other");
    WriteBytes(dir.path / "a.bdp.new", "kept");
    fs::create_hard_link(dir.path / "other", dir.path / "b.bdp.new");
    ASSERT_EQ(::mkfifo((dir.path / "e.bdp.new").c_str(), 0600), 0);
    std::string error;
    for (const char* name : {"a.bdp", "b.bdp", "e.bdp"}) {
        ASSERT_TRUE(WriteProjectFile(dir.path / name, Sample(), error)) << name << ": " << error;
        EXPECT_EQ(ReadBytes(dir.path / name), FormatProjectFile(Sample()));
    }
    EXPECT_EQ(ReadBytes(dir.path / "other"), "other");
    EXPECT_EQ(ReadBytes(dir.path / "a.bdp.new"), "kept");
    EXPECT_TRUE(fs::is_fifo(dir.path / "e.bdp.new"));
    EXPECT_EQ(Names(dir.path), "a.bdp a.bdp.new b.bdp b.bdp.new e.bdp e.bdp.new other");
    const std::string longest = std::string(248, '7') + ".bdp";
    EXPECT_TRUE(WriteProjectFile(dir.path / longest, Sample(), error)) << error;
}

// A save keeps the file's mode, and a name that is a symbolic link stays
// one: the file it points to, in its own folder, is replaced.
TEST(AtomicWrite, KeepsTheModeAndTheSymbolicLink) {
    TempDir dir;
    std::string error;
    for (const fs::perms mode : {fs::perms::owner_read | fs::perms::owner_write,
                                 fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read}) {
        WriteBytes(dir.path / "p.bdp", "old");
        fs::permissions(dir.path / "p.bdp", mode);
        ASSERT_TRUE(WriteProjectFile(dir.path / "p.bdp", Sample(), error)) << error;
        EXPECT_EQ(fs::status(dir.path / "p.bdp").permissions(), mode);
    }
    fs::create_directory(dir.path / "real");
    WriteBytes(dir.path / "real" / "r.bdp", "old");
    fs::create_symlink("real/r.bdp", dir.path / "link.bdp");
    fs::create_symlink("real/missing.bdp", dir.path / "dangling.bdp");
    ASSERT_TRUE(WriteProjectFile(dir.path / "link.bdp", Sample(), error)) << error;
    ASSERT_TRUE(WriteProjectFile(dir.path / "dangling.bdp", Sample(), error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir.path / "link.bdp"));
    EXPECT_EQ(ReadBytes(dir.path / "real" / "r.bdp"), FormatProjectFile(Sample()));
    EXPECT_EQ(ReadBytes(dir.path / "real" / "missing.bdp"), FormatProjectFile(Sample()));
    EXPECT_EQ(Names(dir.path / "real"), "missing.bdp r.bdp");
    EXPECT_EQ(Names(dir.path), "dangling.bdp link.bdp p.bdp real");
}
#endif
