// The site window on the simulated box, in real time on the Qt event loop:
// closing the main window in the middle of a survey stops it as the stop
// key does, offers its report, saves it where the user says, and the
// application's loop ends.
#include "app/builder.h"
#include "drivers/qt/qt_scheduler.h"
#include "shell/startup.h"
#include "support/file_bytes.h"
#include "support/qt_app.h"
#include "support/temp_folder.h"
#include "ui/main_view.h"
#include "ui/site_window.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace quelm {

TEST(SiteWindow, ClosingTheMainWindowMidSurveyStopsItOffersItsReportAndEndsTheTool) {
    BackendOptions options;
    options.simulate = true;
    options.simFile = QUELM_SOURCE_DIR "/data/simbox.txt";
    std::string error;
    const auto tool = BuildTool(options, std::make_unique<QtScheduler>(), {}, error, false);
    ASSERT_TRUE(tool) << error;
    ASSERT_TRUE(StartUp(*tool->form, error)) << error;
    ui::MainView view(*tool->form);
    view.show();
    tool->form->ui.Site->onClick();
    ui::SiteWindow& site = *view.siteWindow();
    site.numbersEdit()->setText(QStringLiteral("300,299,298")); // 299 and 298 never answer
    const std::filesystem::path report = test::MakeTempFolder("quelm-site-window") / "stopped.csv";
    // Once 300 is done the main window is closed; the dialogs that follow
    // are answered as they come: save, under this name.
    bool closed = false, offered = false;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal); box && box->objectName() == "reportOnClose") {
            offered = true;
            box->button(QMessageBox::Save)->click();
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            // Typed into the name box, as a user would.
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                ->setText(QString::fromStdString(report.string()));
            static_cast<QDialog*>(dialog)->accept(); // as the dialog's own button does
        } else if (!closed && !site.table()->item(0, 1)->text().isEmpty()) {
            closed = true;
            view.close();
        }
    });
    user.start(50);
    QTimer::singleShot(0, &site, [&site] { site.survey(); });
    QTimer::singleShot(60'000, [] {
        ADD_FAILURE() << "the tool did not end";
        std::abort();
    });
    QApplication::exec(); // returns once the main window has closed
    EXPECT_TRUE(offered);
    EXPECT_FALSE(view.isVisible());
    EXPECT_FALSE(site.running());
    const std::string saved = test::ReadBytes(report);
    // The window speaks French: so does its report.
    EXPECT_NE(saved.find("\n300;fait;oui;"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\n299;arrêté;non;"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\n298;pas fait;non;"), std::string::npos) << saved;
    std::filesystem::remove_all(report.parent_path());
}

} // namespace quelm
