// The Windows side of the platform layer, run under Wine in CI: the drive
// list, folders listed with "\" and accented names, a save that replaces the
// file the Windows way, and COM ports that are not there.
#include "drivers/serial/serial_driver.h"
#include "platform/drives.h"
#include "platform/path_text.h"
#include "project/folders.h"
#include "project/project_file.h"
#include "support/file_bytes.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <regex>

using namespace quelm;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

// A temporary folder with an accented name, as UTF-8 text and as a path.
struct AccentedFolder {
    fs::path path = test::MakeTempFolder("quelm") / platform::PathFromUtf8("Donn\xC3\xA9"
                                                                           "es \xC3\xA9t\xC3\xA9");
    std::string text = platform::Utf8OfPath(path);
    AccentedFolder() { fs::create_directories(path); }
    ~AccentedFolder() {
        std::error_code ec;
        fs::remove_all(path.parent_path(), ec);
    }
};

std::string Names(const fs::path& folder) {
    std::string names;
    for (const auto& entry : fs::directory_iterator(folder))
        names += (names.empty() ? "" : " ") + platform::Utf8OfPath(entry.path().filename());
    return names;
}

} // namespace

TEST(WindowsDrives, EveryDriveIsALetterColonBackslashAndTheTempFolderLiesOnOne) {
    const std::vector<std::string> drives = platform::SystemDrives("");
    ASSERT_FALSE(drives.empty());
    for (const std::string& d : drives) EXPECT_TRUE(std::regex_match(d, std::regex("[A-Z]:\\\\"))) << d;
    const std::string temp = platform::Utf8OfPath(fs::temp_directory_path());
    EXPECT_EQ(DriveOf(temp, drives), temp.substr(0, 3)) << temp;
}

TEST(WindowsFolders, AnAccentedFolderIsListedWithBackslashesFromItsDrive) {
    AccentedFolder dir;
    fs::create_directory(dir.path / platform::PathFromUtf8("sous-dossier \xC3\xA0"));
    test::WriteBytes(dir.path / "300.bdp", "x");
    FolderListing listing;
    const std::string drive = dir.text.substr(0, 3);
    ASSERT_TRUE(ListFolder(dir.text, drive, listing));
    EXPECT_EQ(listing.lines.front(), drive);
    EXPECT_EQ(listing.paths[static_cast<std::size_t>(listing.current)], dir.text);
    EXPECT_EQ(listing.lines.back().substr(listing.lines.back().find_first_not_of(' ')), "sous-dossier \xC3\xA0");
    EXPECT_EQ(listing.paths.back(), dir.text + "\\sous-dossier \xC3\xA0");
    EXPECT_EQ(ListFiles(dir.text, "*.bdp"), (std::vector<std::string>{"300.bdp"}));
    EXPECT_EQ(JoinFolder(dir.text, "300.bdp"), dir.text + "\\300.bdp");
}

// The old file whole or the new one whole, its attributes kept, nothing left
// beside it; a folder in the way stays a folder.
TEST(WindowsSave, ReplacesTheFileAndKeepsItsAttributes) {
    AccentedFolder dir;
    ProjectRecord record;
    record.addresses[0] = "1001";
    record.levels = {50.5, 0.25, 10};
    const fs::path file = dir.path / "300.bdp";
    std::string error;
    ASSERT_TRUE(WriteProjectFile(file, record, error)) << error;
    EXPECT_EQ(test::ReadBytes(file), FormatProjectFile(record));
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN));
    record.levels[0] = 75;
    ASSERT_TRUE(WriteProjectFile(file, record, error)) << error;
    EXPECT_EQ(test::ReadBytes(file), FormatProjectFile(record));
    EXPECT_TRUE(::GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(Names(dir.path), "300.bdp");
    fs::create_directory(dir.path / "12.bdp");
    EXPECT_FALSE(WriteProjectFile(dir.path / "12.bdp", record, error));
    EXPECT_NE(error.find("12.bdp: "), std::string::npos) << error;
    EXPECT_EQ(error.rfind("cannot write ", 0), 0u) << error;
    EXPECT_TRUE(fs::is_directory(dir.path / "12.bdp"));
    EXPECT_EQ(Names(dir.path), "12.bdp 300.bdp");
}

TEST(WindowsSerial, APortThatIsNotThereOrIsAFileIsNamedAsOnLinux) {
    AccentedFolder dir;
    test::WriteBytes(dir.path / "box.txt", "x");
    for (const auto& [port, reason] :
         {std::pair{"COM97"s, "COM97: no such device (is the adapter plugged in?)"s},
          std::pair{"\\\\.\\COM98"s, "\\\\.\\COM98: no such device (is the adapter plugged in?)"s},
          std::pair{dir.text + "\\box.txt", dir.text + "\\box.txt: not a serial port"}}) {
        SerialDriver driver(port);
        std::uint32_t count = 9;
        EXPECT_EQ(driver.countDevices(count), kOk);
        EXPECT_EQ(count, 0u) << port;
        EXPECT_EQ(driver.lastError(), reason);
        DeviceHandle handle = 0;
        EXPECT_NE(driver.open(0, handle), kOk);
        EXPECT_EQ(driver.lastError(), reason);
        EXPECT_FALSE(driver.isOpen());
    }
}
