#include "simulator/file_operations.h"

#include "project/project_actions.h"
#include "project/project_file.h"
#include "protocol/number.h"

namespace quelm::simulator {

namespace {

// Address texts a technician types, each one the file holds exactly: plain
// numbers, accented text, a comma and a leading blank (written quoted).
const char* const kAddresses[] = {"",
                                  "1001",
                                  "1048574",
                                  "Entr\xC3\xA9"
                                  "e nord",
                                  "Zone 2, \xC3\xA9tage 1",
                                  " 42",
                                  "n\xC2\xB0"
                                  "7",
                                  "\xE2\x82\xAC"
                                  "5"};
// Detector numbers, which name the file; an empty one saves nothing.
const char* const kNumbers[] = {"300", "12", "1048574", "0300", ""};

std::string FileName(const std::string& number) { return number + ".bdp"; }

// The disk manager is closed as a user closes it when the OK button left it
// open (nothing to save, a file that would not open).
void ClosePanel(World& w) {
    if (w.form.ui.Frame[10]->visible()) w.form.ui.Command[10]->click();
}

// What the window shows against `saved`: empty when they agree.
std::string Difference(const Form& f, const ProjectRecord& saved) {
    const ProjectRecord shown = RecordFromWindow(f);
    for (std::size_t i = 0; i < 10; ++i)
        if (shown.addresses[i] != saved.addresses[i])
            return "address " + std::to_string(i) + " \"" + shown.addresses[i] + "\", saved \"" + saved.addresses[i] +
                   "\"";
    for (std::size_t g = 0; g < 6; ++g)
        if (saved.options[g] != 0 && shown.options[g] != saved.options[g])
            return "option group " + std::to_string(g + 1) + " shows " + std::to_string(shown.options[g]) + ", saved " +
                   std::to_string(saved.options[g]);
    for (std::size_t l = 0; l < 3; ++l)
        if (shown.levels[l] != saved.levels[l]) return "level " + std::to_string(l + 1) + " differs";
    return {};
}

// File > "Sauver fichier", OK: the window's values under the detector's number.
class SaveFile final : public Operation {
public:
    std::string start(World& w) override {
        number_ = kNumbers[w.rng.below(std::size(kNumbers))];
        for (auto* box : w.form.ui.Text1) box->setText(kAddresses[w.rng.below(std::size(kAddresses))]);
        w.form.ui.Text3->setText(number_);
        record_ = RecordFromWindow(w.form);
        w.form.ui.Savefile->click();
        w.form.ui.Command[11]->userClick();
        saved_ = !w.form.ui.Frame[10]->visible();
        ClosePanel(w);
        if (saved_) w.savedFiles[FileName(number_)] = record_;
        return number_.empty() ? "save file with no number" : "save file \"" + FileName(number_) + "\"";
    }
    void verify(World& w) override {
        if (number_.empty()) {
            if (saved_) w.fail("a save with no detector number closed the panel");
            return;
        }
        if (!saved_) return w.fail("a save into the working folder failed: " + w.message());
        // What the file holds, read back as the window would read it.
        std::vector<std::string> values;
        std::string error;
        if (!ReadProjectFile(w.form.workDir / FileName(number_), values, error))
            return w.fail("saved file lost: " + error);
        if (values.size() != kProjectValues)
            return w.fail("saved file holds " + std::to_string(values.size()) + " values");
        for (std::size_t i = 0; i < 10; ++i)
            if (values[i] != record_.addresses[i]) return w.fail("saved file changed address " + std::to_string(i));
        for (int line = 11; line <= 16; ++line) {
            const int option = record_.options[static_cast<std::size_t>(line - 11)];
            if (option != 0 && MatchProjectOption(line, values[static_cast<std::size_t>(line - 1)]) != option)
                return w.fail("saved file changed option line " + std::to_string(line));
        }
        for (std::size_t l = 0; l < 3; ++l)
            if (NumericValue(values[16 + l]) != record_.levels[l]) return w.fail("saved file changed a level");
    }
    bool stoppable() const override { return false; }

private:
    std::string number_;
    ProjectRecord record_;
    bool saved_ = false;
};

// File > "Ouvrir fichier": a file chosen in the file list, OK.
class OpenFile final : public Operation {
public:
    std::string start(World& w) override {
        w.form.ui.openfile->click();
        const auto& items = w.form.ui.File1->items();
        if (!items.empty()) {
            const int index = static_cast<int>(w.rng.below(items.size()));
            w.form.ui.File1->userClick(index);
            name_ = items[static_cast<std::size_t>(index)];
        }
        w.form.ui.Command[11]->userClick();
        opened_ = !w.form.ui.Frame[10]->visible();
        ClosePanel(w);
        return name_.empty() ? "open file with none listed" : "open file \"" + name_ + "\"";
    }
    void verify(World& w) override {
        const auto saved = w.savedFiles.find(name_);
        if (saved == w.savedFiles.end()) return; // nothing saved under that name in this run
        if (!opened_) return w.fail("a saved file did not open: " + name_);
        if (const std::string diff = Difference(w.form, saved->second); !diff.empty())
            return w.fail("opened " + name_ + ": " + diff);
        if (w.form.ui.Text3->text() + ".bdp" != name_)
            w.fail("opened " + name_ + " but the number box shows " + w.form.ui.Text3->text());
    }
    bool stoppable() const override { return false; }

private:
    std::string name_;
    bool opened_ = false;
};

} // namespace

std::unique_ptr<Operation> MakeSaveFile() { return std::make_unique<SaveFile>(); }
std::unique_ptr<Operation> MakeOpenFile() { return std::make_unique<OpenFile>(); }

} // namespace quelm::simulator
