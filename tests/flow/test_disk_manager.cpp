// The disk manager panel and the project file seen from the window: menus,
// linked lists in a temporary folder, OK and Cancel, the number box.
#include "form/form_ops.h"
#include "platform/drives.h"
#include "project/disk_manager.h"
#include "project/folders.h"
#include "project/project_actions.h"
#include "support/file_bytes.h"
#include "support/test_rig.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace quelm;
namespace fs = std::filesystem;
using platform::ListDrives;

namespace {

using test::ReadBytes;
using test::WriteBytes;

std::string Lines(std::initializer_list<const char*> lines) {
    std::string s;
    for (const char* l : lines) s += std::string(l) + "\r\n";
    return s;
}

struct Panel : ::testing::Test {
    Panel() {
        char name[] = "/tmp/quelm_panelXXXXXX";
        root = ::mkdtemp(name);
        work = root / "work";
        data = root / "data";
        fs::create_directories(work);
        fs::create_directories(data / "sub");
        fs::create_directories(data / ".hidden");
        f.workDir = work;
        f.homeDir = root;
        rig.numberMessageTable();
        rig.selectDefaults();
        for (auto* box : f.ui.Text1) box->setText("");
    }
    ~Panel() override {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    // The user opens `folder` in the folder list.
    void openFolder(const fs::path& folder) {
        const auto& items = f.ui.Dirlist->items();
        for (int i = 0; i < static_cast<int>(items.size()); ++i)
            if (f.ui.Dirlist->itemPath(i) == folder.string()) return f.ui.Dirlist->userChange(i);
        ASSERT_TRUE(SetDirlistPath(f, folder.string()));
    }
    void saveTo(const fs::path& folder, const std::string& number) {
        f.ui.Text3->setText(number);
        f.ui.Savefile->click();
        openFolder(folder);
        f.ui.Command[11]->userClick();
    }
    void openFrom(const fs::path& folder, const std::string& name) {
        f.ui.openfile->click();
        openFolder(folder);
        f.ui.Text103->setText(name);
        f.ui.Command[11]->userClick();
    }
    bool mainGroupsVisible() const {
        for (int n : {1, 20, 2, 3, 4, 5, 6})
            if (!f.ui.Frame[static_cast<std::size_t>(n)]->visible()) return false;
        for (int n : {3, 4, 5, 7, 8, 9})
            if (!f.ui.Command[static_cast<std::size_t>(n)]->visible()) return false;
        return true;
    }
    bool panelOpen() const { return f.ui.Frame[10]->visible(); }

    test::Rig rig;
    Form& f = rig.form;
    fs::path root, work, data;
};

TEST_F(Panel, TheTwoModes) {
    f.ui.Text3->setText("");
    f.ui.openfile->click();
    EXPECT_TRUE(panelOpen());
    EXPECT_FALSE(f.ui.Frame[1]->visible());
    EXPECT_TRUE(f.ui.Frame[11]->visible());
    EXPECT_EQ(f.filePanelMode, "openpri");
    EXPECT_TRUE(f.ui.Text103->enabled());
    EXPECT_TRUE(f.ui.File1->enabled());
    EXPECT_FALSE(f.ui.Text6->visible());
    EXPECT_FALSE(f.ui.Command[12]->visible());
    EXPECT_EQ(f.ui.Text103->text(), "*.bdp");
    EXPECT_EQ(f.ui.Dirlist->path, work.string()); // the working directory at first
    f.ui.Command[10]->userClick();
    EXPECT_FALSE(panelOpen());
    EXPECT_TRUE(mainGroupsVisible());

    f.ui.Savefile->click();
    EXPECT_EQ(f.filePanelMode, "savepri");
    EXPECT_FALSE(f.ui.Text103->enabled());
    EXPECT_FALSE(f.ui.File1->enabled());
    EXPECT_TRUE(f.ui.Text6->visible());
    EXPECT_EQ(f.ui.Text103->text(), "*.bdp");
    // OK with no number: nothing happens and the panel stays.
    f.ui.Command[11]->userClick();
    EXPECT_TRUE(panelOpen());
    EXPECT_TRUE(fs::is_empty(work));
    f.ui.Command[10]->userClick();
    EXPECT_TRUE(f.ui.Text103->enabled());
}

TEST_F(Panel, ListsFollowTheFolderAndTheName) {
    WriteBytes(data / "42.bdp", "");
    WriteBytes(data / "43.BDP", "");
    WriteBytes(data / "notes.txt", "");
    f.ui.openfile->click();
    openFolder(data);
    EXPECT_EQ(f.ui.File1->path, data.string());
    EXPECT_EQ(f.ui.File1->items(), (std::vector<std::string>{"42.bdp", "43.BDP"}));
    // The folder list: parents from the drive, the folder, its subfolders.
    const auto& dirs = f.ui.Dirlist->items();
    ASSERT_GE(dirs.size(), 3u);
    EXPECT_EQ(f.ui.Dirlist->itemPath(0), root.string()); // the home folder is a drive
    EXPECT_EQ(f.ui.Dirlist->itemPath(f.ui.Dirlist->listIndex()), data.string());
    EXPECT_EQ(dirs.back(), "    sub");
    f.ui.File1->userClick(1);
    EXPECT_EQ(f.ui.Text103->text(), "43.BDP");
    f.ui.Command[10]->userClick();

    // Saving 42: after a change of folder only that file is listed.
    f.ui.Text3->setText("42");
    f.ui.Savefile->click();
    EXPECT_EQ(f.ui.Text103->text(), "42.bdp");
    openFolder(data / "sub");
    openFolder(data);
    EXPECT_EQ(f.ui.File1->items(), (std::vector<std::string>{"42.bdp"}));
}

TEST_F(Panel, SaveAndOpenBringTheWindowBack) {
    f.ui.Text1[0]->setText("1001");
    f.ui.Text1[9]->setText("a,b");
    for (int n : {4, 11, 10, 20, 27, 29}) f.ui.Option[static_cast<std::size_t>(n)]->select();
    f.ui.Text8->setText("85 %");
    f.ui.Text9->setText("7");
    f.ui.Text10->setText("0");
    saveTo(data, "123");
    EXPECT_FALSE(panelOpen());
    EXPECT_EQ(f.ui.Text103->text(), "123.bdp");
    const std::string saved = ReadBytes(data / "123.bdp");
    EXPECT_EQ(saved, Lines({"1001", "", "", "", "", "", "", "", "", "\"a,b\"", "4", "11", "10", "20", "27", "29",
                            " 85 ", " 7 ", " 0 "}));

    // Everything changed in the window, then the file opened again.
    for (auto* box : f.ui.Text1) box->setText("x");
    for (int n : {3, 13, 5, 14, 21, 28}) f.ui.Option[static_cast<std::size_t>(n)]->select();
    f.ui.Text8->setText("1");
    f.ui.Text3->setText("9");
    openFrom(data, "123.bdp");
    EXPECT_FALSE(panelOpen());
    EXPECT_EQ(f.ui.Text1[0]->text(), "1001");
    EXPECT_EQ(f.ui.Text1[1]->text(), "");
    EXPECT_EQ(f.ui.Text1[9]->text(), "a,b");
    for (int n : {4, 11, 10, 20, 27, 29}) EXPECT_TRUE(f.ui.Option[static_cast<std::size_t>(n)]->value()) << n;
    EXPECT_EQ(f.ui.Text8->text(), "85");
    EXPECT_EQ(f.ui.Text10->text(), "0");
    EXPECT_EQ(f.ui.Text3->text(), "123"); // the number from the file's name
    EXPECT_EQ(f.ui.Text103->text(), "123.bdp");
}

TEST_F(Panel, FilesTheWindowOpensOnlyInPart) {
    // Line 11 holding 5 leaves the channel as it was; 12.bdp gives number 12.
    WriteBytes(data / "12.bdp", Lines({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "5", "12", "6", "15", "22",
                                       "29", " 150 ", " 20 ", " 30 "}));
    openFrom(data, "12.bdp");
    EXPECT_TRUE(f.ui.Option[3]->value());
    EXPECT_TRUE(f.ui.Option[12]->value());
    EXPECT_EQ(f.ui.Text8->text(), "100"); // the level validator has its say
    EXPECT_EQ(f.ui.Text3->text(), "12");

    // 18 values: the addresses are loaded, nothing else, the panel stays.
    std::string eighteen;
    for (int i = 0; i < 18; ++i) eighteen += std::to_string(100 + i) + "\r\n";
    WriteBytes(data / "18.bdp", eighteen);
    openFrom(data, "18.bdp");
    EXPECT_TRUE(panelOpen());
    EXPECT_EQ(f.ui.Text1[9]->text(), "109");
    EXPECT_TRUE(f.ui.Option[3]->value());
    EXPECT_EQ(f.ui.Text8->text(), "100");
    EXPECT_EQ(f.ui.Text3->text(), "12");
    EXPECT_NE(rig.message().find(" (18 valeur(s) sur 19) : 10 adresse(s)"), std::string::npos);
    // The pattern still in the name box, or a name of three characters.
    f.ui.Text103->setText("*.bdp");
    f.ui.Command[11]->userClick();
    EXPECT_TRUE(panelOpen());
    fs::copy_file(data / "12.bdp", data / "abc");
    f.ui.Text103->setText("abc");
    f.ui.Command[11]->userClick();
    EXPECT_FALSE(panelOpen());
    EXPECT_EQ(f.ui.Text3->text(), "12"); // unchanged
    // UTF-16 text, bytes no project file holds: named, nothing loaded.
    WriteBytes(data / "16.bdp", std::string("\xFF\xFE\x31\0\r\0\n\0", 8));
    openFrom(data, "16.bdp");
    EXPECT_TRUE(panelOpen());
    EXPECT_EQ(f.ui.Text1[0]->text(), "1");
    EXPECT_EQ(rig.message(), std::string(Text(Said::NotAProjectFile, 1)) + " (" + (data / "16.bdp").string() + ")");
}

TEST_F(Panel, ASaveThatCannotBeMadeSaysSoAndKeepsThePanel) {
    // A number text naming a file elsewhere saves nothing.
    saveTo(data, "../escaped");
    EXPECT_TRUE(panelOpen());
    EXPECT_FALSE(fs::exists(root / "escaped.bdp"));
    EXPECT_EQ(rig.message(), "<45> (../escaped.bdp)");
    f.ui.Command[10]->userClick();
    // The file's name is taken by a folder: the write fails, nothing is lost.
    fs::create_directory(data / "5.bdp");
    saveTo(data, "5");
    EXPECT_TRUE(panelOpen());
    EXPECT_TRUE(fs::is_directory(data / "5.bdp"));
    EXPECT_EQ(rig.message().substr(0, 4), "<45>");
}

TEST_F(Panel, NewFolderIsMadeInTheWorkingDirectory) {
    f.ui.Savefile->click();
    openFolder(data);
    f.ui.Text6->setText("fresh");
    f.ui.Command[12]->userClick();
    EXPECT_TRUE(fs::is_directory(work / "fresh"));
    EXPECT_FALSE(fs::exists(data / "fresh"));
    EXPECT_EQ(f.ui.Dirlist->path, work.string());
    EXPECT_EQ(f.ui.Dirlist->items().back(), std::string(2 * 2, ' ') + "fresh");
    EXPECT_EQ(f.ui.Text6->text(), "");
    EXPECT_EQ(f.ui.File1->pattern, "*.bdp");
    // Saving into it.
    f.ui.Text3->setText("77");
    openFolder(work / "fresh");
    f.ui.Command[11]->userClick();
    EXPECT_TRUE(fs::exists(work / "fresh" / "77.bdp"));

    // A name that cannot be a folder: a message, the name kept.
    WriteBytes(work / "taken", "");
    f.ui.Savefile->click();
    f.ui.Text6->setText("taken");
    f.ui.Command[12]->userClick();
    EXPECT_EQ(rig.message(), "<46> (taken)");
    EXPECT_EQ(f.ui.Text6->text(), "taken");
}

TEST_F(Panel, DrivesAreTheRootTheHomeAndReadableMounts) {
    fs::create_directories(root / "media" / "user" / "USB KEY");
    const std::string table = "/dev/sda1 / ext4 rw 0 0\n"
                              "/dev/sdb1 " +
                              (root / "media/user/USB\\040KEY").string() +
                              " vfat rw 0 0\n"
                              "/dev/sdc1 " +
                              (root / "media/user/gone").string() +
                              " vfat rw 0 0\n"
                              "proc /proc proc rw 0 0\n";
    const auto drives = ListDrives(work.string(), table, {(root / "media").string()});
    EXPECT_EQ(drives, (std::vector<std::string>{"/", work.string(), (root / "media/user/USB KEY").string()}));
    EXPECT_EQ(DriveOf((work / "a").string(), drives), work.string());
    EXPECT_EQ(DriveOf(root.string(), drives), "/");
    EXPECT_FALSE(IsWithin((root / "workshop").string(), work.string()));

    // A drive that cannot be read sets the drive list back.
    f.ui.openfile->click();
    openFolder(data);
    std::vector<std::string> items = f.ui.Drvlist->items();
    items.push_back((root / "unplugged").string());
    f.ui.Drvlist->setItems(items, items);
    f.ui.Drvlist->userChange(static_cast<int>(items.size()) - 1);
    EXPECT_EQ(f.ui.Dirlist->path, data.string());
    EXPECT_EQ(f.ui.Drvlist->itemPath(f.ui.Drvlist->listIndex()), root.string());
    // The root drive opens on its root; the home drive on the working folder
    // would be its current folder when it held it.
    f.ui.Drvlist->userChange(0);
    EXPECT_EQ(f.ui.Dirlist->path, "/");
    EXPECT_EQ(f.ui.Dirlist->items().front(), "/");
    // Back on the home drive: the working folder, listed from the drive down.
    f.ui.Drvlist->userChange(1);
    EXPECT_EQ(f.ui.Dirlist->path, work.string());
    EXPECT_EQ(f.ui.Dirlist->items().front(), root.string());
    EXPECT_EQ(f.ui.Dirlist->items()[1], "  work");
}

TEST_F(Panel, NumberBoxKeepsTheNameInStepAndStopsTheConnectionTest) {
    f.ui.Timer[1]->enable();
    f.ui.Timer[4]->enable();
    f.ui.Text3->setText("1048575");
    EXPECT_EQ(f.ui.Text3->text(), "1048575"); // kept as typed: an operation refuses it
    EXPECT_EQ(f.ui.Text103->text(), "1048575.bdp");
    EXPECT_FALSE(f.ui.Timer[1]->enabled());
    EXPECT_FALSE(f.ui.Timer[4]->enabled());
    EXPECT_EQ(f.x.attemptCount, 50);
    f.ui.Text3->setText("");
    EXPECT_EQ(f.ui.Text103->text(), "*.bdp");
}

} // namespace
