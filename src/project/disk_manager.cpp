#include "project/disk_manager.h"

#include "core/roles.h"
#include "form/form_ops.h"
#include "platform/drives.h"
#include "platform/path_text.h"
#include "project/folders.h"

#include <filesystem>

namespace quelm {

namespace fs = std::filesystem;

namespace {

// The controls Frame10 stands over, hidden while it is shown.
std::vector<Control*> MainGroups(WindowModel& ui) {
    std::vector<Control*> controls;
    for (int n : {1, 20, 2, 3, 4, 5, 6}) controls.push_back(ui.Frame[static_cast<std::size_t>(n)]);
    for (int n : {3, 4, 5, 7, 8, 9}) controls.push_back(ui.Command[static_cast<std::size_t>(n)]);
    return controls;
}

std::vector<std::string> Drives(const Form& f) { return platform::SystemDrives(platform::Utf8OfPath(f.homeDir)); }

// The drive list shows every drive, with the one `folder` lies on selected.
void ShowDrives(Form& f, const std::string& folder) {
    const std::vector<std::string> drives = Drives(f);
    f.ui.Drvlist->setItems(drives, drives);
    const std::string drive = DriveOf(folder, drives);
    for (std::size_t i = 0; i < drives.size(); ++i)
        if (drives[i] == drive) f.ui.Drvlist->setListIndex(static_cast<int>(i));
    f.ui.Drvlist->path = drive;
}

// The folder a drive opens on: the working directory on the drive that
// holds it, the drive's root on any other.
std::string CurrentFolderOf(const Form& f, const std::string& drive) {
    const std::string work = WorkingFolder(f);
    std::vector<std::string> drives;
    for (int i = 0; i < static_cast<int>(f.ui.Drvlist->items().size()); ++i)
        drives.push_back(f.ui.Drvlist->itemPath(i));
    return DriveOf(work, drives) == drive ? work : drive;
}

// File1 lists its folder again with its pattern.
void RefreshFiles(Form& f) {
    const std::vector<std::string> names = ListFiles(f.ui.File1->path, f.ui.File1->pattern);
    f.ui.File1->setItems(names);
}

void SetFilePattern(Form& f, const std::string& pattern) {
    f.ui.File1->pattern = pattern;
    RefreshFiles(f);
}

// Before the panel is first shown, its lists show the working directory.
void ShowWorkingFolderOnce(Form& f) {
    if (!f.ui.Dirlist->path.empty()) return;
    const std::string work = WorkingFolder(f);
    ShowDrives(f, work);
    if (!SetDirlistPath(f, work)) SetDirlistPath(f, f.ui.Drvlist->itemPath(0));
}

void OpenDiskManager(Form& f) {
    ShowWorkingFolderOnce(f);
    f.ui.Frame[10]->setVisible(true);
    for (Control* c : MainGroups(f.ui)) c->setVisible(false);
}

} // namespace

std::string WorkingFolder(const Form& f) {
    std::error_code ec;
    const fs::path dir = f.workDir.empty() ? fs::current_path(ec) : fs::absolute(f.workDir, ec);
    return ec ? std::string("/") : platform::Utf8OfPath(dir.lexically_normal());
}

void CloseDiskManager(Form& f) {
    f.ui.Frame[10]->setVisible(false);
    for (Control* c : MainGroups(f.ui)) c->setVisible(true);
    f.ui.Text103->setEnabled(true);
}

void openfile_Click(Form& f) {
    OpenDiskManager(f);
    f.ui.Text103->setEnabled(true);
    f.ui.File1->setEnabled(true);
    f.ui.Text6->setVisible(false);
    f.ui.Command[button::folderCreate]->setVisible(false);
    SetFilePattern(f, "*.bdp");
    f.ui.Text103->setText("*.bdp");
    f.filePanelMode = "openpri";
}

void Savefile_Click(Form& f) {
    OpenDiskManager(f);
    // The name comes from the detector number, not from the user.
    f.ui.Text103->setEnabled(false);
    f.ui.File1->setEnabled(false);
    f.ui.Text6->setVisible(true);
    f.ui.Command[button::folderCreate]->setVisible(true);
    SetFilePattern(f, "*.bdp");
    f.ui.Text103->setText("*.bdp");
    f.filePanelMode = "savepri";
    if (!f.ui.Text3->text().empty()) f.ui.Text103->setText(f.ui.Text3->text() + ".bdp");
}

void Drvlist_Change(Form& f) {
    const std::string drive = f.ui.Drvlist->itemPath(f.ui.Drvlist->listIndex());
    f.ui.Drvlist->path = drive;
    if (drive.empty() || !SetDirlistPath(f, CurrentFolderOf(f, drive))) {
        // A drive that cannot be read: back to the drive of the folder shown.
        ShowDrives(f, f.ui.Dirlist->path);
    }
}

void Dirlist_Change(Form& f) {
    f.ui.File1->path = f.ui.Dirlist->path;
    SetFilePattern(f, f.ui.Text103->text());
}

void Dirlist_Open(Form& f) {
    const std::string folder = f.ui.Dirlist->itemPath(f.ui.Dirlist->listIndex());
    // A folder that cannot be read leaves the list on the folder it showed.
    if (folder.empty() || !SetDirlistPath(f, folder)) SetDirlistPath(f, f.ui.Dirlist->path);
}

bool SetDirlistPath(Form& f, const std::string& folder) {
    FolderListing listing;
    if (!ListFolder(folder, f.ui.Drvlist->path, listing)) return false;
    f.ui.Dirlist->path = folder;
    f.ui.Dirlist->setItems(listing.lines, listing.paths);
    f.ui.Dirlist->setListIndex(listing.current);
    Dirlist_Change(f);
    return true;
}

void File1_Click(Form& f) {
    const int index = f.ui.File1->listIndex();
    if (index >= 0) f.ui.Text103->setText(f.ui.File1->items()[static_cast<std::size_t>(index)]);
}

void Command12_Click(Form& f) {
    const std::string name = f.ui.Text6->text();
    if (name.empty()) return;
    // A name without a root is taken from the working directory.
    const fs::path folder = platform::PathFromUtf8(WorkingFolder(f)) / platform::PathFromUtf8(name);
    std::error_code ec;
    fs::create_directory(folder, ec);
    if (ec) {
        ShowLineWith(f, folderNotCreated, Said::FolderNotCreated, " (" + name + ")");
        f.ui.LoggerList->addItem("cannot create " + platform::Utf8OfPath(folder) + ": " + ec.message());
        return;
    }
    Drvlist_Change(f);
    Dirlist_Change(f);
    f.ui.Text6->setText("");
    SetFilePattern(f, "*.bdp");
}

void Command10_Click(Form& f) { CloseDiskManager(f); }

} // namespace quelm
