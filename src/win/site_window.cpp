#include "win/site_window.h"

#include "platform/path_text.h"
#include "site/site_report.h"
#include "site/site_texts.h"
#include "win/controls.h"
#include "win/trace_window.h"

#include <commctrl.h>
#include <shlobj.h>

namespace quelm::win {

namespace {

constexpr wchar_t kSiteClass[] = L"QuelmboxSite";

} // namespace

SiteWindow::SiteWindow(Form& form, HWND owner, int dpi) : form_(form), owner_(owner), dpi_(dpi) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    INITCOMMONCONTROLSEX common{sizeof common, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&common);
    RegisterToolWindowClass(instance, windowProc, kSiteClass);
    hwnd_ = ::CreateWindowExW(WS_EX_CONTROLPARENT, kSiteClass, L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                              ::MulDiv(1000, dpi, 96), ::MulDiv(600, dpi, 96), owner, nullptr, instance, this);
    build();
    setRunning(false);
    showLanguage();
    layout();
}

SiteWindow::~SiteWindow() {
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd_);
}

void SiteWindow::build() {
    const auto make = [this](const wchar_t* cls, DWORD style, Id id, DWORD ex = 0) {
        HWND hwnd =
            ::CreateWindowExW(ex, cls, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, hwnd_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
        ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont(8.25, dpi_)), FALSE);
        return hwnd;
    };
    for (Id id : {NumbersLabel, FolderLabel, PlanLabel, Status}) make(L"Static", SS_LEFT | SS_NOPREFIX, id);
    for (Id id : {Numbers, Folder, Plan}) make(L"Edit", WS_TABSTOP | ES_AUTOHSCROLL, id, WS_EX_CLIENTEDGE);
    make(L"Button", WS_TABSTOP | BS_AUTOCHECKBOX, WithAddresses);
    for (Id id : {ChooseFolder, ChoosePlan, Survey, Apply, Audit, Stop, Save})
        make(L"Button", WS_TABSTOP | BS_PUSHBUTTON, id);
    HWND table =
        make(WC_LISTVIEWW, WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, Table, WS_EX_CLIENTEDGE);
    ListView_SetExtendedListViewStyle(table, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    const int widths[] = {80, 120, 330, 400};
    for (int c = 0; c < 4; ++c) {
        LVCOLUMNW column{};
        column.mask = LVCF_WIDTH;
        column.cx = ::MulDiv(widths[c], dpi_, 96);
        ListView_InsertColumn(table, c, &column);
    }
    make(PROGRESS_CLASSW, 0, Progress);
    ::SendMessageW(item(Numbers), EM_SETCUEBANNER, FALSE, reinterpret_cast<LPARAM>(L"300-320,400"));
}

void SiteWindow::layout() {
    RECT area;
    ::GetClientRect(hwnd_, &area);
    const auto px = [this](int v) { return ::MulDiv(v, dpi_, 96); };
    const int pad = px(8), row = px(26), labelW = px(90), buttonW = px(150), right = area.right - pad;
    const int editW = right - pad - labelW - buttonW - 2 * pad;
    const Id fields[][3] = {
        {NumbersLabel, Numbers, WithAddresses}, {FolderLabel, Folder, ChooseFolder}, {PlanLabel, Plan, ChoosePlan}};
    int y = pad;
    for (const auto& f : fields) {
        ::MoveWindow(item(f[0]), pad, y + px(4), labelW, row - px(4), TRUE);
        ::MoveWindow(item(f[1]), pad + labelW, y, editW, row - px(2), TRUE);
        ::MoveWindow(item(f[2]), right - buttonW, y, buttonW, row - px(2), TRUE);
        y += row + px(4);
    }
    int x = pad;
    for (Id id : {Survey, Apply, Audit, Stop}) {
        ::MoveWindow(item(id), x, y, buttonW, row, TRUE);
        x += buttonW + pad;
    }
    ::MoveWindow(item(Save), right - px(200), y, px(200), row, TRUE);
    y += row + pad;
    const int bottom = area.bottom - pad - row - pad - px(18);
    ::MoveWindow(item(Table), pad, y, right - pad, bottom - y, TRUE);
    ::MoveWindow(item(Progress), pad, bottom + pad, right - pad, px(18), TRUE);
    ::MoveWindow(item(Status), pad, area.bottom - pad - row, right - pad, row, TRUE);
}

std::string SiteWindow::textOf(Id id) const { return WindowTextOf(item(id)); }

void SiteWindow::setText(Id id, const char* french, const char* english) {
    ::SetWindowTextW(item(id), Wide(said(french, english)).c_str());
}

void SiteWindow::show() {
    showLanguage();
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetForegroundWindow(hwnd_);
}

void SiteWindow::showLanguage() {
    std::string title = form_.ui.Site->caption();
    for (const std::string dots : {"...", "\xE2\x80\xA6"})
        if (title.size() >= dots.size() && title.compare(title.size() - dots.size(), dots.size(), dots) == 0)
            title.erase(title.size() - dots.size());
    ::SetWindowTextW(hwnd_, Wide(title).c_str());
    setText(NumbersLabel, "Détecteurs", "Detectors");
    setText(FolderLabel, "Dossier", "Folder");
    setText(PlanLabel, "Plan", "Plan");
    setText(WithAddresses, "avec les adresses", "with addresses");
    setText(ChooseFolder, "Choisir...", "Choose...");
    setText(ChoosePlan, "Choisir...", "Choose...");
    setText(Survey, "Relevé", "Survey");
    setText(Apply, "Appliquer le plan...", "Apply the plan...");
    setText(Audit, "Contrôle", "Audit");
    setText(Stop, "Arrêt", "Stop");
    setText(Save, "Enregistrer le rapport...", "Save the report...");
    const char* headers[][2] = {
        {"N°", "No."}, {"État", "State"}, {"Dernier résultat", "Last result"}, {"Différences", "Differences"}};
    for (int c = 0; c < 4; ++c) {
        std::wstring text = Wide(said(headers[c][0], headers[c][1]));
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = text.data();
        ListView_SetColumn(item(Table), c, &column);
    }
    // The last run's list and summary in the new language (not while a run
    // fills them).
    if (running_) return;
    for (const DetectorReport& r : rows_) showRow(r, false);
    if (!rows_.empty()) ::SetWindowTextW(item(Status), Wide(SummaryText(rows_, language())).c_str());
}

void SiteWindow::setRunning(bool running) {
    running_ = running;
    for (Id id : {Numbers, Folder, Plan, WithAddresses, ChooseFolder, ChoosePlan, Survey, Apply, Audit})
        ::EnableWindow(item(id), !running);
    ::EnableWindow(item(Save), !running && !rows_.empty());
    ::EnableWindow(item(Stop), running);
    // The main window shows the operations but takes no click meanwhile.
    ::EnableWindow(owner_, !running);
}

void SiteWindow::warn(const std::string& text) {
    ::MessageBoxW(hwnd_, Wide(text).c_str(), Wide(WindowTextOf(hwnd_)).c_str(), MB_OK | MB_ICONWARNING);
}

void SiteWindow::chooseFolder() {
    const std::wstring title = Wide(said("Dossier", "Folder"));
    BROWSEINFOW info{};
    info.hwndOwner = hwnd_;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&info);
    if (chosen == nullptr) return;
    wchar_t path[MAX_PATH * 4] = {};
    if (::SHGetPathFromIDListEx(chosen, path, static_cast<DWORD>(std::size(path)), GPFIDL_DEFAULT))
        ::SetWindowTextW(item(Folder), path);
    ::CoTaskMemFree(chosen);
}

void SiteWindow::choosePlan() {
    const std::string file = AskOpenFile(hwnd_, said("Plan", "Plan"), L"Plan (*.csv, *.json)\0*.csv;*.json\0*\0*\0");
    if (!file.empty()) ::SetWindowTextW(item(Plan), Wide(file).c_str());
}

// True once saved; false when the user gave no name, or the save failed (said).
bool SiteWindow::askAndSaveReport() {
    const std::string name = said("rapport.csv", "report.csv");
    const std::string folder = textOf(Folder);
    const std::string file = AskSaveFile(hwnd_, textOf(Save), folder.empty() ? name : folder + "\\" + name,
                                         L"CSV (*.csv)\0*.csv\0JSON (*.json)\0*.json\0");
    if (file.empty()) return false;
    std::string why;
    const std::filesystem::path path = platform::PathFromUtf8(file);
    if (CheckReportFile(path, runFiles_, why, form_.x.language) &&
        WriteReport(path, command_, rows_, why, form_.x.language))
        return true;
    warn(why);
    return false;
}

bool SiteWindow::endWithTool(std::function<void()> closeTool) {
    if (!running_) return false;
    stopAsked_ = closeWanted_ = true;
    closeTool_ = std::move(closeTool);
    return true;
}

// The tool is closing after a stopped run: its report is lost unless saved
// now. The question comes back until the user saves it or lets it go.
void SiteWindow::offerReport() {
    while (!rows_.empty()) {
        const int answer = ::MessageBoxW(
            hwnd_,
            Wide(said("Le logiciel se ferme : la marche en cours a été arrêtée. Enregistrer son rapport ?",
                      "The tool is closing: the run was stopped. Save its report?"))
                .c_str(),
            Wide(WindowTextOf(hwnd_)).c_str(), MB_YESNO | MB_ICONQUESTION);
        if (answer != IDYES || askAndSaveReport()) return;
    }
}

bool SiteWindow::preTranslate(const MSG& msg) {
    if (running_ && (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) &&
        (msg.hwnd == hwnd_ || ::IsChild(hwnd_, msg.hwnd)))
        stopAsked_ = true;
    return false;
}

void SiteWindow::onCommand(int id) {
    switch (id) {
    case ChooseFolder: chooseFolder(); break;
    case ChoosePlan: choosePlan(); break;
    case Survey: survey(); break;
    case Apply: apply(); break;
    case Audit: audit(); break;
    case Stop: stopAsked_ = true; break;
    case Save: askAndSaveReport(); break;
    default: break;
    }
}

LRESULT CALLBACK SiteWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<SiteWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<SiteWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self ? self->handle(message, wParam, lParam) : ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT SiteWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        if (item(Status)) layout();
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) onCommand(LOWORD(wParam));
        return 0;
    case WM_CLOSE:
        // Closing while a run goes on stops it first; the window hides once
        // the run has ended.
        if (running_)
            stopAsked_ = closeWanted_ = true;
        else
            ::ShowWindow(hwnd_, SW_HIDE);
        return 0;
    default: break;
    }
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

} // namespace quelm::win
