#include "project/project_actions.h"

#include "form/form_ops.h"
#include "form/parameter_table.h"
#include "platform/path_text.h"
#include "project/disk_manager.h"
#include "protocol/number.h"

#include <algorithm>

namespace quelm {

namespace {

// `text` without its last `count` characters (UTF-8), or nothing when it is
// shorter.
std::optional<std::string> DropLastCharacters(const std::string& text, int count) {
    std::size_t end = text.size();
    for (int i = 0; i < count; ++i) {
        if (end == 0) return std::nullopt;
        do --end;
        while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80);
    }
    return text.substr(0, end);
}

void ReportSaveFailure(Form& f, const std::string& name, const std::string& reason) {
    ShowLineWith(f, projectNotSaved, Said::ProjectNotSaved, " (" + name + ")");
    f.ui.LoggerList->addItem(reason);
}

} // namespace

ProjectRecord RecordFromWindow(const Form& f) {
    ProjectRecord r;
    for (std::size_t i = 0; i < 10; ++i) r.addresses[i] = f.ui.Text1[i]->text();
    const auto& lines = ProjectOptionLines();
    for (std::size_t g = 0; g < lines.size(); ++g)
        for (int n : lines[g])
            if (f.ui.Option[static_cast<std::size_t>(n)]->value()) r.options[g] = n;
    std::size_t level = 0;
    for (const ParameterRow* row : RowsInFileOrder())
        if (row->isLevel()) r.levels[level++] = NumericValue(LevelBox(f, row->levelText)->text());
    return r;
}

bool LoadIntoWindow(Form& f, const std::vector<std::string>& values) {
    for (std::size_t i = 0; i < 10 && i < values.size(); ++i) f.ui.Text1[i]->setText(values[i]);
    if (values.size() < kProjectValues) return false;
    LoadParametersIntoWindow(f, values);
    return true;
}

void LoadParametersIntoWindow(Form& f, const std::vector<std::string>& values) {
    for (const ParameterRow* row : RowsInFileOrder()) {
        const std::string& value = values[static_cast<std::size_t>(row->projectLine - 1)];
        if (row->isLevel())
            LevelBox(f, row->levelText)->setText(value);
        else if (const auto option = MatchProjectOption(row->projectLine, value))
            f.ui.Option[static_cast<std::size_t>(*option)]->select();
    }
}

void SaveProjectFile(Form& f, const std::string& saveName) {
    const std::string number = f.ui.Text3->text();
    if (number.empty()) return;
    f.ui.Text103->setText(number + ".bdp");
    // A number text that would name a file elsewhere saves nothing.
    if (!IsPlainFileName(number)) {
        ReportSaveFailure(f, number + ".bdp", "not saved: the detector number is not a plain file name");
        return;
    }
    std::string error;
    if (!WriteProjectFile(platform::PathFromUtf8(saveName), RecordFromWindow(f), error)) {
        ReportSaveFailure(f, saveName, error);
        return;
    }
    CloseDiskManager(f);
}

void OpenProjectFile(Form& f, const std::string& openName) {
    std::vector<std::string> values;
    std::string error;
    const ProjectRead read = ReadProjectValues(platform::PathFromUtf8(openName), values, error);
    if (read == ProjectRead::notAProjectFile) {
        // A binary or UTF-16 file would load as junk: it is named and the
        // panel stays for another choice.
        ShowLineWith(f, noLine, Said::NotAProjectFile, " (" + openName + ")");
        f.ui.LoggerList->addItem(error);
        return;
    }
    if (read != ProjectRead::read) return;
    if (!LoadIntoWindow(f, values)) {
        // The addresses the file holds are in their boxes; the parameters
        // are not touched, and the panel stays for another choice.
        const std::size_t addresses = std::min<std::size_t>(values.size(), 10);
        ShowMessage(f, Filled(Text(Said::ProjectFileShort, f.x.language), std::to_string(values.size()),
                              Str(static_cast<long long>(addresses)), openName));
        return;
    }
    CloseDiskManager(f);
    if (const auto number = DropLastCharacters(f.ui.Text103->text(), 4)) f.ui.Text3->setText(*number);
}

void Command11_Click(Form& f) {
    std::string folder = f.ui.File1->path;
    if (folder.empty()) folder = WorkingFolder(f);
    const std::string openName = JoinFolder(folder, f.ui.Text103->text());
    const std::string saveName = JoinFolder(folder, f.ui.Text3->text() + ".bdp");
    if (f.filePanelMode == "savepri")
        SaveProjectFile(f, saveName);
    else if (f.filePanelMode == "openpri")
        OpenProjectFile(f, openName);
}

} // namespace quelm
