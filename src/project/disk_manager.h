#pragma once
// The disk manager panel Frame10: the project file chooser, opened by the
// two file menu items in the mode "openpri" or "savepri".
#include "form/form.h"

#include <string>

namespace quelm {

void openfile_Click(Form& f);
void Savefile_Click(Form& f);
void Drvlist_Change(Form& f);
void Dirlist_Change(Form& f);
void File1_Click(Form& f);
void Command12_Click(Form& f);
void Command10_Click(Form& f);

// A folder of the folder list opened by the user (its line chosen).
void Dirlist_Open(Form& f);
// Dirlist shows `folder` and the change handling runs; false, with nothing
// changed, when the folder cannot be read.
bool SetDirlistPath(Form& f, const std::string& folder);
// The working directory, absolute.
std::string WorkingFolder(const Form& f);
// Hides Frame10 and shows the groups it stood over.
void CloseDiskManager(Form& f);

} // namespace quelm
