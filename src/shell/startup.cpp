#include "shell/startup.h"

#include "box/connection_test.h"
#include "core/roles.h"
#include "form/form_ops.h"
#include "link/exchange_end.h"
#include "link/session.h"
#include "platform/path_text.h"
#include "shell/language_files.h"
#include "shell/scale_layout.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace quelm {

namespace {

// What went wrong at a start-up that still opens the window: texts for the
// message line and, naming file and reason, for the log and standard error.
struct StartUpNotes {
    std::vector<std::string> shown;
    std::vector<std::string> logged;
};

// A built-in language file read into a table of `size` lines, once per
// process: a window that starts again and again without its files (a number
// awaited, a language chosen) does not decode them each time.
const std::vector<std::string>& BuiltInTable(int index, int language, std::size_t size) {
    static std::mutex guard;
    static std::map<std::pair<int, int>, std::vector<std::string>> read;
    const std::lock_guard<std::mutex> lock(guard);
    std::vector<std::string>& table = read[{index, language}];
    if (table.size() != size) {
        table.assign(size, {});
        ReadTable(BuiltInLanguageFile(index, language), table);
    }
    return table;
}

// Box, frame and option tables from the files of the language code. A file
// that cannot be read is named in the notes; the built-in file of its
// language stands in for it.
void LoadLanguageTables(Form& f, StartUpNotes& notes) {
    const auto names = LanguageFileNames(f.x.language);
    const std::span<std::string> tables[] = {f.tables.messages, f.tables.frame, f.tables.option};
    std::string unread;
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::string error;
        LoadTable(f.workDir / platform::PathFromUtf8(names[i]), tables[i], error);
        if (error.empty()) continue;
        // The built-in file stands in: the window keeps its menus and captions.
        const std::vector<std::string>& builtIn = BuiltInTable(static_cast<int>(i), f.x.language, tables[i].size());
        std::copy(builtIn.begin(), builtIn.end(), tables[i].begin());
        notes.logged.push_back(error);
        unread += (unread.empty() ? "" : ", ") + names[i];
    }
    // A built-in text: the message table may be the file that is missing.
    if (!unread.empty()) notes.shown.push_back(MessageLineOr(f, noLine, Said::LanguageFileMissing) + unread);
}

// An unknown language code starts the window in French rather than with no
// caption and no menu, and leaves the settings file as it is.
void TakeLanguageCode(Form& f, int code, StartUpNotes& notes) {
    f.x.language = code == 0 ? 1 : code;
    if (code != 0) return;
    notes.logged.push_back(std::string(kSettingsFile) +
                           " holds an unknown language code: the window starts in French and the file is not changed");
}

void ShowNotes(Form& f, bool unknownCode, StartUpNotes& notes, std::vector<std::string>* out) {
    if (unknownCode)
        notes.shown.insert(notes.shown.begin(), MessageLineOr(f, unknownLanguageCode, Said::UnknownLanguageCode));
    std::string line;
    for (const std::string& text : notes.shown) line += (line.empty() ? "" : " /") + text;
    if (!line.empty()) ShowMessage(f, line);
    for (const std::string& text : notes.logged) f.ui.LoggerList->addItem(text);
    if (out) *out = notes.logged;
}

// Frame table lines 1 to 36, then option table lines 1 to 22; the language
// menu marks the language in use.
void SetCaptions(Form& f) {
    WindowModel& ui = f.ui;
    auto frameLine = [&f](int k) { return LanguageTables::line(f.tables.frame, k); };
    auto optionLine = [&f](int k) { return LanguageTables::line(f.tables.option, k); };
    MenuItem* const menus[] = {ui.File, ui.openfile, ui.Savefile, ui.Language, ui.French, ui.English};
    int k = 1;
    for (MenuItem* m : menus) m->setCaption(frameLine(k++));
    for (int n = 1; n <= 18; ++n) ui.Frame[static_cast<std::size_t>(n)]->setCaption(frameLine(k++));
    ui.Frame[20]->setCaption(frameLine(k++));
    for (int n : {4, 5, 6, 7, 8, 9, 12, 13}) ui.Command[static_cast<std::size_t>(n)]->setCaption(frameLine(k++));
    ui.Quit->setCaption(frameLine(k++));
    ui.ProtocolTrace->setCaption(frameLine(k++));
    // Language files from before the site window have no caption for it.
    const std::string site = frameLine(k++);
    ui.Site->setCaption(!site.empty() ? site : f.x.language == 2 ? "Site\xE2\x80\xA6" : "Chantier\xE2\x80\xA6");
    ui.French->setChecked(f.x.language == 1);
    ui.English->setChecked(f.x.language == 2);

    ui.Option[option::boxChannelA]->setCaption(optionLine(1));
    ui.Option[3]->setCaption(optionLine(1));
    ui.Option[option::boxChannelB]->setCaption(optionLine(2));
    ui.Option[4]->setCaption(optionLine(2));
    k = 3;
    for (int n = 5; n <= 10; ++n) ui.Option[static_cast<std::size_t>(n)]->setCaption(optionLine(k++));
    for (int n = 14; n <= 27; ++n) ui.Option[static_cast<std::size_t>(n)]->setCaption(optionLine(k++));
}

// Address boxes pair by pair, then the number, programming, folder and test
// number boxes; each change handler runs.
void EmptyBoxes(Form& f) {
    for (std::size_t i = 0; i < 10; ++i) {
        f.ui.Text1[i]->setText("");
        f.ui.Text2[i]->setText("");
    }
    for (TextBox* box : {f.ui.Text3, f.ui.Text4, f.ui.Text6, f.ui.Text7}) box->setText("");
}

void SetLevelDefaults(Form& f) {
    if (f.ui.Text8->text().empty()) f.ui.Text8->setText("100");
    if (f.ui.Text9->text().empty()) f.ui.Text9->setText("100");
    if (f.ui.Text10->text().empty()) f.ui.Text10->setText("10");
}

// Channel A, 5 seconds, 0.1 second, 10 seconds, L1 + L3, max.
void SelectDefaultParameters(Form& f) {
    for (int n : {3, 5, 14, 21, 28, 13}) f.ui.Option[static_cast<std::size_t>(n)]->select();
}

// The start-up starts the connection test, whose reader would take the
// replies of a running exchange and leave both waiting: the exchange is
// stopped first, as the stop key stops it.
void StopRunningExchange(Form& f) {
    if (ExchangeRunning(f)) {
        f.x.keyPressed = 0;
        Timer3_Timer(f);
    }
}

void ChooseLanguage(Form& f, int code) {
    StopRunningExchange(f);
    std::string error;
    if (!WriteLanguageCode(f.workDir / kSettingsFile, code, error)) {
        // The settings file keeps its old code; the window stays as it is.
        ShowLineWith(f, languageNotSaved, Said::LanguageNotSaved, "");
        f.ui.LoggerList->addItem(error);
        return;
    }
    f.x.language = code;
    StartUpAgain(f);
}

} // namespace

bool StartUp(Form& f, std::string& error, std::vector<std::string>* notes) {
    if (notes) notes->clear();
    int code = 0;
    if (!ReadLanguageCode(f.workDir / kSettingsFile, code, error)) return false;
    StartUpNotes found;
    TakeLanguageCode(f, code, found);
    LoadLanguageTables(f, found);
    SetCaptions(f);
    if (!f.x.startedOnce) {
        ScaleLayout(f.ui);
        f.x.startedOnce = true;
    }
    f.ui.keyPreview = true;
    f.ui.Frame[10]->setVisible(false);
    EmptyBoxes(f);
    SetLevelDefaults(f);
    if (!f.ui.Option[option::boxChannelA]->value() && !f.ui.Option[option::boxChannelB]->value())
        f.ui.Option[option::boxChannelA]->select();
    SelectDefaultParameters(f);
    for (std::size_t n = 3; n <= 13; ++n) f.ui.Option[n]->setEnabled(true);
    f.x.paramSendActive = 0;
    const std::uint32_t boxes = LookForBox(f);
    if (boxes == 0) f.ui.Timer[timer::connectionListen]->disable();
    if (boxes == 1) StartConnectionTest(f);
    f.x.attemptCount = 0;
    f.x.keyPressed.reset();
    WindowFrame frame = f.ui.frame();
    frame.state = WindowState::Normal;
    f.ui.setFrame(frame);
    f.ui.Timer[timer::stopWatch]->enable();
    ShowNotes(f, code == 0, found, notes);
    return true;
}

void StartUpAgain(Form& f) {
    std::string error;
    if (!StartUp(f, error)) ShowMessage(f, " " + error);
}

void Command9_Click(Form& f) {
    StopRunningExchange(f);
    StartUpAgain(f);
}

void French_Click(Form& f) { ChooseLanguage(f, 1); }

void English_Click(Form& f) { ChooseLanguage(f, 2); }

} // namespace quelm
