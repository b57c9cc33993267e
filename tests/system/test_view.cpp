// The Qt view of the main window, headless: widgets stand where the model
// says, model changes show at once (the scaled layout and the window frame
// included), user actions reach the model, every key is seen once by the
// window while it asks to see keys first, and the two pictures are drawn.
#include "core/virtual_clock.h"
#include "form/form.h"
#include "shell/scale_layout.h"
#include "support/qt_app.h"
#include "support/test_rig.h"
#include "ui/key_forwarder.h"
#include "ui/main_view.h"
#include "ui/pictures.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace quelm {
namespace {

int px(int twips) { return static_cast<int>(std::lround(twips / 15.0)); }

void sendKey(QWidget* to, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(to, &press);
}

// Counts the paint events a widget receives.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

class ViewTest : public ::testing::Test {
protected:
    ViewTest() : driver(clock) {
        view = std::make_unique<ui::MainView>(form);
        view->show();
        QApplication::processEvents(); // the window is exposed and painted once
    }
    template <class W = QWidget>
    W* widget(const char* name) const {
        return qobject_cast<W*>(view->widgetOf(name));
    }

    VirtualClock clock;
    test::RecordingDriver driver;
    Form form{clock, driver};
    WindowModel& ui = form.ui;
    std::unique_ptr<ui::MainView> view;
};

TEST_F(ViewTest, EveryControlHasItsWidgetAtItsDesignPosition) {
    ASSERT_FALSE(ui.controls().empty());
    for (const Control* c : ui.controls()) {
        SCOPED_TRACE(c->name());
        auto* w = widget(c->name().c_str());
        ASSERT_NE(w, nullptr);
        const Twips& t = c->design();
        EXPECT_EQ(w->geometry(), QRect(px(t.left), px(t.top), px(t.width), px(t.height)));
        const QString parent = c->container() ? QString::fromStdString(c->container()->name()) : "client";
        EXPECT_EQ(w->parentWidget()->objectName(), parent);
    }
    EXPECT_EQ(widget("Text1(3)")->geometry(), QRect(32, 24 + 32 * 3, 129, 25));
    EXPECT_EQ(widget("Command9")->geometry(), QRect(152, 40, 89, 25));
}

TEST_F(ViewTest, WindowHasCaptionClientSizeAndMenus) {
    EXPECT_EQ(view->windowTitle(), QString::fromUtf8("BOX de programmation pour Quelm V4.2"));
    EXPECT_EQ(view->centralWidget()->size(), QSize(1008, 656));
    QAction* open = view->findChild<QAction*>("openfile");
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->text(), "Ouvrir fichier");
    int clicks = 0;
    ui.openfile->onClick = [&] { ++clicks; };
    open->trigger();
    EXPECT_EQ(clicks, 1);
    ui.File->setCaption("File");
    EXPECT_EQ(view->actionOf(*ui.File)->text(), "File");
    ui.Savefile->setEnabled(false);
    EXPECT_FALSE(view->actionOf(*ui.Savefile)->isEnabled());
}

TEST_F(ViewTest, HiddenControlsStayHiddenAndOverlapsStackAsDesigned) {
    // The disk manager panel, hidden at start, gets its widgets when first shown or asked for.
    EXPECT_EQ(view->findChild<QWidget*>("Frame10"), nullptr);
    EXPECT_EQ(view->findChild<QWidget*>("File1"), nullptr);
    for (const char* name : {"Frame10", "LoggerList", "ClassicOpen", "ClassicClose", "GetNumDevices"})
        EXPECT_FALSE(widget(name)->isVisible()) << name;
    EXPECT_FALSE(widget("Text103")->isVisible());
    EXPECT_TRUE(widget("Text3")->isVisible());
    EXPECT_TRUE(widget("Image1")->isVisible());

    QWidget* client = view->centralWidget();
    EXPECT_EQ(client->childAt(px(2280 + 600), px(600 + 180)), widget("Command9"));
    EXPECT_EQ(client->childAt(px(2160 + 900), px(7320 + 240)), widget("Command7"));
    EXPECT_EQ(client->childAt(px(11400 + 360), px(3840 + 420)), widget("Command3"));

    ui.Frame[10]->setVisible(true);
    QWidget* frame10 = widget("Frame10");
    EXPECT_TRUE(frame10->isVisible());
    QWidget* inside = client->childAt(px(3120 + 3000), px(1200 + 5000)); // over Frame6 too
    ASSERT_NE(inside, nullptr);
    EXPECT_TRUE(inside == frame10 || frame10->isAncestorOf(inside));
}

TEST_F(ViewTest, ModelChangesShowInWidgets) {
    ui.Text5->setText("Boîte trouvée");
    EXPECT_EQ(widget<QLineEdit>("Text5")->text(), QString::fromUtf8("Boîte trouvée"));
    ui.Command[7]->setEnabled(false);
    EXPECT_FALSE(widget("Command7")->isEnabled());
    ui.Frame[6]->setEnabled(false);
    EXPECT_FALSE(widget("Option5")->isEnabled());
    ui.Frame[6]->setCaption("Parameters");
    EXPECT_EQ(widget<QGroupBox>("Frame6")->title(), "Parameters");
    ui.Option[1]->setCaption("Channel A");
    EXPECT_EQ(widget<QRadioButton>("Option1")->text(), "Channel A");

    ui.Option[7]->setValue(true);
    ui.Option[8]->setValue(true);
    EXPECT_TRUE(widget<QRadioButton>("Option8")->isChecked());
    EXPECT_FALSE(widget<QRadioButton>("Option7")->isChecked());
    ui.Option[8]->setValue(false); // a group may be left with none selected
    EXPECT_FALSE(widget<QRadioButton>("Option8")->isChecked());

    auto* log = widget<QListWidget>("LoggerList");
    ui.LoggerList->addItem("open 0");
    ui.LoggerList->addItem("count 1");
    ASSERT_EQ(log->count(), 2);
    EXPECT_EQ(log->item(1)->text(), "count 1");
    ui.LoggerList->clear();
    ui.LoggerList->addItem("again");
    ASSERT_EQ(log->count(), 1);
    EXPECT_EQ(log->item(0)->text(), "again");
    // Past its limit the log drops its oldest lines, and so does the widget;
    // a clear then more lines than before shows only the new ones.
    for (std::size_t i = 0; i < 3 * WindowModel::kLogLines; ++i) ui.LoggerList->addItem("tick " + std::to_string(i));
    const auto& kept = ui.LoggerList->items();
    ASSERT_LT(kept.size(), 3 * WindowModel::kLogLines - 1);
    ASSERT_EQ(static_cast<std::size_t>(log->count()), kept.size());
    EXPECT_EQ(log->item(0)->text().toStdString(), kept.front());
    EXPECT_EQ(log->item(log->count() - 1)->text(), QString("tick %1").arg(3 * WindowModel::kLogLines - 1));
    ui.LoggerList->clear();
    for (int i = 0; i < 3; ++i) ui.LoggerList->addItem("after " + std::to_string(i));
    ASSERT_EQ(log->count(), 3);
    EXPECT_EQ(log->item(0)->text(), "after 0");
    ui.Drvlist->addItem("c:");
    EXPECT_EQ(widget<QComboBox>("Drvlist")->count(), 1);
}

TEST_F(ViewTest, FolderFileAndDriveListsReachTheModel) {
    int opened = 0, clicked = 0, drives = 0;
    ui.Dirlist->onChange = [&] { ++opened; };
    ui.File1->onClick = [&] { ++clicked; };
    ui.Drvlist->onChange = [&] { ++drives; };
    ui.Dirlist->setItems({"/", "  tmp", "    a"}, {"/", "/tmp", "/tmp/a"});
    ui.Dirlist->setListIndex(1);
    auto* dirs = widget<QListWidget>("Dirlist");
    ASSERT_EQ(dirs->count(), 3);
    EXPECT_EQ(dirs->currentRow(), 1);
    // Replaced by as many other lines: the new ones show.
    ui.Dirlist->setItems({"/", "  srv", "    b"}, {"/", "/srv", "/srv/b"});
    EXPECT_EQ(dirs->item(2)->text(), "    b");
    emit dirs->itemActivated(dirs->item(2));
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(ui.Dirlist->listIndex(), 2);
    EXPECT_EQ(ui.Dirlist->itemPath(2), "/srv/b");

    ui.File1->setItems({"12.bdp", "300.bdp"});
    auto* files = widget<QListWidget>("File1");
    emit files->itemClicked(files->item(1));
    EXPECT_EQ(clicked, 1);
    EXPECT_EQ(ui.File1->listIndex(), 1);
    ui.File1->setEnabled(false); // a disabled list takes no click
    ui.File1->userClick(0);
    EXPECT_EQ(clicked, 1);

    ui.Drvlist->setItems({"/", "/media/key"}, {"/", "/media/key"});
    ui.Drvlist->setListIndex(0);
    auto* combo = widget<QComboBox>("Drvlist");
    EXPECT_EQ(combo->currentIndex(), 0);
    emit combo->activated(1);
    EXPECT_EQ(drives, 1);
    EXPECT_EQ(ui.Drvlist->listIndex(), 1);
}

TEST_F(ViewTest, RepaintPaintsAtOnce) {
    PaintCounter counter;
    widget("Text5")->installEventFilter(&counter);
    ui.Text5->repaint();
    EXPECT_EQ(counter.paints, 1); // no event loop ran in between
}

TEST_F(ViewTest, TypedTextReachesTheModelAndItsRewriteShows) {
    auto* edit = widget<QLineEdit>("Text3");
    ui.Text3->setText("");
    std::vector<std::string> seen;
    // A change handler that keeps at most three characters.
    ui.Text3->onChange = [&] {
        seen.push_back(ui.Text3->text());
        if (ui.Text3->text().size() > 3) ui.Text3->setText(ui.Text3->text().substr(0, 3));
    };
    edit->setFocus();
    for (const char* c : {"1", "2", "3", "4"}) sendKey(edit, Qt::Key_1 + (c[0] - '1'), c);
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "12", "123", "1234", "123"}));
    EXPECT_EQ(ui.Text3->text(), "123");
    EXPECT_EQ(edit->text(), "123");
    EXPECT_EQ(edit->cursorPosition(), 3);
}

TEST_F(ViewTest, UserClicksGoThroughTheModelRules) {
    int clicks5 = 0, clicks6 = 0, commands = 0;
    ui.Option[5]->setValue(true);
    ui.Option[5]->onClick = [&] { ++clicks5; };
    ui.Option[6]->onClick = [&] { ++clicks6; };
    auto* radio6 = widget<QRadioButton>("Option6");
    radio6->click();
    radio6->click(); // already selected: no handler, still selected
    EXPECT_TRUE(ui.Option[6]->value());
    EXPECT_FALSE(ui.Option[5]->value());
    EXPECT_TRUE(radio6->isChecked());
    EXPECT_FALSE(widget<QRadioButton>("Option5")->isChecked());
    EXPECT_EQ(clicks6, 1);
    EXPECT_EQ(clicks5, 0);

    ui.Command[7]->onClick = [&] { ++commands; };
    auto* button = widget<QPushButton>("Command7");
    button->click();
    EXPECT_EQ(commands, 1);
    ui.Command[7]->setEnabled(false);
    button->click();
    EXPECT_EQ(commands, 1);
}

TEST_F(ViewTest, KeysReachTheFormAndStillTypeIntoTheFocusedBox) {
    ui.keyPreview = true;
    auto* edit = widget<QLineEdit>("Text3");
    edit->setFocus();
    edit->end(false);
    sendKey(edit, Qt::Key_X, "x");
    EXPECT_EQ(ui.Text3->text(), "Text3x");
    EXPECT_EQ(form.x.keyPressed, 'x'); // the character code follows the key code

    form.x.keyPressed.reset();
    sendKey(widget("Label1(0)"), Qt::Key_F5); // a label passes it on to its parents
    EXPECT_EQ(form.x.keyPressed, 116);

    form.x.keyPressed.reset();
    QLineEdit elsewhere;
    sendKey(&elsewhere, Qt::Key_A, "a");
    EXPECT_FALSE(form.x.keyPressed.has_value());
}

TEST_F(ViewTest, WithoutKeyPreviewKeysOnlyTypeIntoTheFocusedBox) {
    ASSERT_FALSE(ui.keyPreview);
    auto* edit = widget<QLineEdit>("Text3");
    edit->setFocus();
    edit->end(false);
    sendKey(edit, Qt::Key_Q, "q");
    EXPECT_EQ(ui.Text3->text(), "Text3q");
    EXPECT_FALSE(form.x.keyPressed.has_value());
}

TEST_F(ViewTest, EachKeyIsReportedOnceWhileItTravelsUpTheParents) {
    std::vector<int> downs, presses;
    ui::KeyForwarder forwarder(
        view.get(), [] { return true; }, [&](int k) { downs.push_back(k); }, [&](int c) { presses.push_back(c); });
    sendKey(widget("Label3(4)"), Qt::Key_F5);
    sendKey(widget("Label3(4)"), Qt::Key_F5); // a second press of the same key counts
    sendKey(widget("Option3"), Qt::Key_Escape, QString(QChar(27)));
    sendKey(widget<QLineEdit>("Text7"), Qt::Key_Return, "\r");
    EXPECT_EQ(downs, (std::vector<int>{116, 116, 27, 13}));
    EXPECT_EQ(presses, (std::vector<int>{27, 13}));
}

// 12000 x 9000 twips: r = 12000 / 15240 = 0.7874.
TEST_F(ViewTest, ScaledLayoutMovesResizesAndRefontsTheWidgets) {
    const double r = 12000.0 / 15240;
    ui.screen = {12000, 9000};
    ScaleLayout(ui);
    QApplication::processEvents();

    QWidget* command7 = widget("Command7");
    EXPECT_NEAR(command7->width(), 1935 * r / 15, 0.5);
    EXPECT_NEAR(command7->height(), 495 * r / 15, 0.5);
    EXPECT_NEAR(command7->x(), 2160 * r / 15, 0.5);
    QWidget* text3 = widget("Text3");
    EXPECT_EQ(text3->height(), 25); // text boxes keep their design height
    EXPECT_NEAR(text3->width(), 1935 * r / 15, 0.5);
    EXPECT_NEAR(text3->y(), 360 * r / 15, 0.5);
    EXPECT_EQ(widget("Label1(0)")->height(), 13); // 255 twips shrink to 13.4 px

    EXPECT_EQ(view->font().pointSizeF(), 6); // 8.25 x r = 6.5 points, rounded down
    EXPECT_EQ(command7->font().pointSizeF(), 6);
    EXPECT_TRUE(command7->font().bold());
    EXPECT_EQ(view->menuBar()->font().pointSizeF(), 6);
    EXPECT_EQ(view->pos(), QPoint(0, 0));
    EXPECT_NEAR(view->centralWidget()->width(), 15120 * r / 15, 0.5);
    EXPECT_NEAR(view->centralWidget()->height(), 9840 * r / 15, 0.5);
}

TEST_F(ViewTest, FrameChangesApplyWhatChangedAndNeverShowAHiddenWindow) {
    view->move(50, 40);
    QApplication::processEvents();
    WindowFrame frame = ui.frame();
    frame.state = WindowState::Normal; // as the start-up does on every run
    ui.setFrame(frame);
    QApplication::processEvents();
    EXPECT_EQ(view->pos(), QPoint(50, 40)); // the window stays where the user put it
    frame.left = 150;
    frame.top = 300;
    ui.setFrame(frame);
    QApplication::processEvents();
    EXPECT_EQ(view->pos(), QPoint(10, 20));

    view.reset(); // a second view of the same model, never shown
    ui::MainView hidden(form);
    frame.state = WindowState::Minimised;
    ui.setFrame(frame);
    EXPECT_FALSE(hidden.isVisible());
    EXPECT_TRUE(hidden.windowState() & Qt::WindowMinimized);
    frame.state = WindowState::Normal;
    ui.setFrame(frame);
    EXPECT_FALSE(hidden.isVisible());
    EXPECT_FALSE(hidden.windowState() & Qt::WindowMinimized);
    EXPECT_EQ(hidden.pos(), QPoint(10, 20));
}

int distinctColours(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3) colours.insert(image.pixel(x, y));
    return static_cast<int>(colours.size());
}

TEST_F(ViewTest, PicturesAreDrawnAtTheirSizes) {
    const QImage box = ui::drawBoxPicture().toImage();
    EXPECT_EQ(box.size(), QSize(700, 351));
    EXPECT_GT(distinctColours(box), 50);
    const QImage arrow = ui::drawArrowPicture().toImage();
    EXPECT_EQ(arrow.size(), QSize(50, 60));
    EXPECT_EQ(qAlpha(arrow.pixel(1, 1)), 0);     // around the arrow: the button shows through
    EXPECT_EQ(qAlpha(arrow.pixel(25, 30)), 255); // the arrow's body
    EXPECT_GT(distinctColours(arrow), 5);

    auto* image = widget<QLabel>("Image1");
    EXPECT_EQ(image->pixmap().size(), image->size()); // drawn where it is shown
    EXPECT_GT(distinctColours(image->pixmap().toImage()), 50);
    ui.Image1->setGeometry({ui.Image1->geometry().left, ui.Image1->geometry().top, 3000, 1500});
    EXPECT_EQ(image->pixmap().size(), QSize(200, 100)); // drawn again at its new size, not stretched
    auto* command3 = widget<QPushButton>("Command3");
    EXPECT_TRUE(command3->text().isEmpty());
    EXPECT_FALSE(command3->icon().isNull());
}

} // namespace
} // namespace quelm
