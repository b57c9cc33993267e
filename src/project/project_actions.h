#pragma once
// Saving the window's values into a project file and opening one back: the
// OK button (Command11) of the disk manager panel.
#include "form/form.h"
#include "project/project_file.h"

#include <string>
#include <vector>

namespace quelm {

void Command11_Click(Form& f);
void SaveProjectFile(Form& f, const std::string& saveName);
void OpenProjectFile(Form& f, const std::string& openName);

// The addresses of Frame1, the selected options and the levels' values.
ProjectRecord RecordFromWindow(const Form& f);
// Puts a file's values into the window as an opening does: the addresses
// one by one, then, with all 19 values, the options and the levels. False
// when the file held fewer than 19 values.
bool LoadIntoWindow(Form& f, const std::vector<std::string>& values);
// Only the parameter set of a file's 19 values: the options and the levels.
void LoadParametersIntoWindow(Form& f, const std::vector<std::string>& values);

} // namespace quelm
