// The site window's runs: each checks what it is given, then hands the main
// window's model to the site runner and shows what it reports.
#include "core/texts.h"
#include "platform/path_text.h"
#include "site/detector_list.h"
#include "site/plan.h"
#include "site/site_texts.h"
#include "win/controls.h"
#include "win/site_window.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

namespace quelm::win {

namespace {

void setCell(HWND table, int row, int column, const std::string& text) {
    std::wstring wide = Wide(text);
    ListView_SetItemText(table, row, column, wide.data());
}

} // namespace

void SiteWindow::showRows(const std::vector<std::string>& detectors) {
    HWND table = item(Table);
    ListView_DeleteAllItems(table);
    shownDetectors_ = detectors;
    for (std::size_t i = 0; i < detectors.size(); ++i) {
        std::wstring number = Wide(detectors[i]);
        LVITEMW row{};
        row.mask = LVIF_TEXT;
        row.iItem = static_cast<int>(i);
        row.pszText = number.data();
        ListView_InsertItem(table, &row);
    }
    ::SendMessageW(item(Progress), PBM_SETRANGE32, 0, static_cast<LPARAM>(detectors.size()));
    ::SendMessageW(item(Progress), PBM_SETPOS, 0, 0);
}

void SiteWindow::showRow(const DetectorReport& r, bool scroll) {
    HWND table = item(Table);
    for (std::size_t i = 0; i < shownDetectors_.size(); ++i) {
        if (shownDetectors_[i] != r.detector) continue;
        const int row = static_cast<int>(i);
        setCell(table, row, 1, StateText(r.state, language()));
        setCell(table, row, 2, ResultText(form_, r, command_));
        setCell(table, row, 3, DifferencesText(form_, r, command_));
        if (scroll) ListView_EnsureVisible(table, row, FALSE);
    }
}

SiteRun SiteWindow::run(const std::function<SiteRun(SiteRunner&)>& body, const std::vector<std::string>& detectors) {
    showRows(detectors);
    stopAsked_ = closeWanted_ = false;
    setRunning(true);
    SiteSettings settings;
    settings.stopAsked = [this] { return stopAsked_; };
    settings.progress = [this](const SiteProgress& p) {
        ::SendMessageW(item(Progress), PBM_SETPOS, static_cast<WPARAM>(p.finished), 0);
        ::SetWindowTextW(item(Status), Wide(ProgressText(p, form_.x.language)).c_str());
    };
    settings.detectorDone = [this](const DetectorReport& r) { showRow(r, true); };
    SiteRunner runner(form_, settings);
    SiteRun result = body(runner);
    rows_ = result.rows;
    for (const DetectorReport& r : rows_) showRow(r, false);
    ::SendMessageW(item(Progress), PBM_SETPOS, static_cast<WPARAM>(detectors.size()), 0);
    ListView_EnsureVisible(item(Table), 0, FALSE);
    ::SetWindowTextW(item(Status), Wide(SummaryText(rows_, language())).c_str());
    setRunning(false);
    if (closeTool_) {
        offerReport();
        std::exchange(closeTool_, nullptr)();
    }
    if (closeWanted_) ::ShowWindow(hwnd_, SW_HIDE);
    return result;
}

bool SiteWindow::survey() {
    std::vector<std::string> detectors;
    std::string error;
    if (!ParseDetectorList(textOf(Numbers), detectors, error)) {
        warn(error);
        return false;
    }
    const bool withAddresses = ::SendMessageW(item(WithAddresses), BM_GETCHECK, 0, 0) == BST_CHECKED;
    const SurveyRequest request{detectors, withAddresses, platform::PathFromUtf8(textOf(Folder))};
    std::error_code ec;
    if (!request.saveDir.empty() && !std::filesystem::create_directories(request.saveDir, ec) && ec) {
        warn(ec.message());
        return false;
    }
    command_ = SiteMode::survey;
    runFiles_ = ScopeOf(request).files;
    run([&request](SiteRunner& r) { return r.survey(request); }, detectors);
    return true;
}

bool SiteWindow::audit() {
    std::vector<AuditEntry> entries;
    std::vector<std::string> aside;
    std::string error;
    if (!ListAuditEntries(platform::PathFromUtf8(textOf(Folder)), entries, aside, error) || entries.empty()) {
        warn(error.empty() ? said("Aucun fichier NUMÉRO.bdp dans ce dossier", "No file NUMBER.bdp in this folder")
                           : Reason(error, form_.x.language));
        return false;
    }
    const RunScope scope = ScopeOf(entries);
    command_ = SiteMode::audit;
    runFiles_ = scope.files;
    run([&entries](SiteRunner& r) { return r.audit(entries); }, scope.detectors);
    return true;
}

// A plan is read whole first; its dry run shows what would be written, and
// the writes start only once the user has agreed.
bool SiteWindow::apply() {
    std::vector<PlanError> errors;
    const std::string planText = textOf(Plan);
    const std::filesystem::path plan = platform::PathFromUtf8(planText);
    ApplyRequest request{ReadPlan(plan, errors), true, false};
    if (!errors.empty()) {
        warn(said("Plan refusé, rien n'est envoyé :\n", "Plan refused, nothing sent:\n") +
             DescribePlanErrors(planText, errors));
        return false;
    }
    const auto [detectors, files] = ScopeOf(plan, request);
    runFiles_ = files;
    command_ = SiteMode::applyDryRun;
    const SiteRun dry = run([&request](SiteRunner& r) { return r.apply(request); }, detectors);
    if (dry.stopped || dry.noBox || closeWanted_ || !confirmPlan(dry)) return true;
    request.dryRun = false;
    command_ = SiteMode::apply;
    run([&request](SiteRunner& r) { return r.apply(request); }, detectors);
    return true;
}

// The dry run's differences are in the list; the user says whether to write.
bool SiteWindow::confirmPlan(const SiteRun& dry) {
    const auto differing =
        std::count_if(dry.rows.begin(), dry.rows.end(), [](const DetectorReport& r) { return !r.differences.empty(); });
    const std::wstring title = Wide(WindowTextOf(hwnd_));
    if (differing == 0) {
        ::MessageBoxW(hwnd_, Wide(said("Rien à écrire.", "Nothing to write.")).c_str(), title.c_str(),
                      MB_OK | MB_ICONINFORMATION);
        return false;
    }
    const std::string question =
        std::to_string(differing) + said(" détecteur(s) à modifier, comme la liste l'indique. Écrire ?",
                                         " detector(s) to change, as the list shows. Write?");
    return ::MessageBoxW(hwnd_, Wide(question).c_str(), title.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

} // namespace quelm::win
