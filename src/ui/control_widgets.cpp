#include "ui/control_widgets.h"

#include "ui/geometry.h"
#include "ui/pictures.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyle>
#include <algorithm>

namespace quelm::ui {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

// The property of a log's list widget that holds which item of the model's
// list, counted from the first ever added, its first row shows.
constexpr const char* kFirstItem = "quelmFirstItem";

void setBackground(QWidget* widget, QPalette::ColorRole role, QColor colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

// A button's picture fitted inside its face, keeping its proportions.
void fitButtonPicture(QPushButton* push) {
    const QIcon icon = push->icon();
    if (icon.isNull()) return;
    const QSize picture = icon.availableSizes().value(0, push->iconSize());
    const QSize room = (push->size() - QSize(6, 6)).expandedTo(QSize(1, 1));
    push->setIconSize(picture.scaled(room, Qt::KeepAspectRatio));
}

// A picture control's name of its picture, kept on its label.
constexpr const char* kPictureProperty = "quelmPicture";

// Draws a picture control's picture at the size of its label, on the
// screen's pixels.
void fitPicture(QLabel* label) {
    const qreal ratio = label->devicePixelRatioF();
    const QSize pixels = (QSizeF(label->size()) * ratio).toSize();
    if (pixels.isEmpty() || (!label->pixmap().isNull() && label->pixmap().size() == pixels)) return;
    QPixmap picture = pictureNamed(label->property(kPictureProperty).toString().toStdString(), pixels);
    picture.setDevicePixelRatio(ratio);
    label->setPixmap(picture);
}

} // namespace

namespace {

// The design font first, then faces of about its width (Nimbus Sans comes
// with the standard PostScript fonts of most Linux systems), and a condensed
// face last: the common default sans-serif is too wide for captions laid out
// for the design font. The first one installed is looked up once: a family
// list with missing names makes every new size search the fallbacks again.
QString controlFamily() {
    static const QString family = [] {
        const QStringList wanted = {QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                                    QStringLiteral("Arial"),         QStringLiteral("Liberation Sans"),
                                    QStringLiteral("Nimbus Sans"),   QStringLiteral("DejaVu Sans Condensed")};
        QStringList installed = QFontDatabase::families();
        for (QString& family : installed) family = family.section(QStringLiteral(" ["), 0, 0); // "Name [foundry]"
        for (const QString& name : wanted)
            if (installed.contains(name, Qt::CaseInsensitive)) return name;
        return QString(); // the style hint's default sans-serif
    }();
    return family;
}

} // namespace

QFont controlFont(double points) {
    QFont font;
    if (const QString family = controlFamily(); !family.isEmpty()) font.setFamily(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(true);
    font.setHintingPreference(
        QFont::PreferFullHinting); // whole-pixel glyphs: each drawn once, not per sub-pixel offset
    return font;
}

QWidget* makeGroup(Group& group, QWidget* parent) {
    auto* box = new QGroupBox(qs(group.caption()), parent);
    setBackground(box, QPalette::Window, QColor(224, 224, 224));
    box->setAutoFillBackground(true);
    return box;
}

QWidget* makeTextBox(TextBox& box, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    syncText(box, edit);
    // textEdited comes from the user only, never from setText.
    QObject::connect(edit, &QLineEdit::textEdited, edit, [&box, edit](const QString& text) {
        const int cursor = edit->cursorPosition();
        box.setText(text.toStdString());
        // The change handler may have rewritten the text: show the model's,
        // with the caret where the user left it.
        syncText(box, edit);
        edit->setCursorPosition(std::min<int>(cursor, edit->text().size()));
    });
    return edit;
}

QWidget* makeOption(OptionButton& option, QWidget* parent) {
    auto* radio = new QRadioButton(qs(option.caption()), parent);
    // The model keeps its groups exclusive and decides what a click does.
    radio->setAutoExclusive(false);
    syncValue(option, radio);
    QObject::connect(radio, &QAbstractButton::clicked, radio, [&option, radio] {
        option.select();
        syncValue(option, radio); // a click on the selected option unchecks it: undo that
    });
    return radio;
}

QWidget* makeButton(Button& button, QWidget* parent) {
    auto* push = new QPushButton(qs(button.caption()), parent);
    setBackground(push, QPalette::Button, QColor(192, 192, 192));
    push->setAutoDefault(false);
    // A click leaves the focus where the user was typing (the number box,
    // say); the Tab key still reaches the button.
    push->setFocusPolicy(Qt::TabFocus);
    if (!button.picture().empty()) push->setIcon(QIcon(pictureNamed(button.picture())));
    QObject::connect(push, &QAbstractButton::clicked, push, [&button] { button.userClick(); });
    return push;
}

QWidget* makeList(ListBox& list, QWidget* parent) {
    if (list.kind() == ControlKind::DriveList) {
        auto* combo = new QComboBox(parent);
        syncItems(list, combo);
        // activated comes from the user only.
        QObject::connect(combo, &QComboBox::activated, combo, [&list](int index) { list.userChange(index); });
        return combo;
    }
    auto* view = new QListWidget(parent);
    syncItems(list, view);
    if (list.kind() == ControlKind::DirList) {
        // A folder opens on a double click or Enter, as a folder list does.
        QObject::connect(view, &QListWidget::itemActivated, view,
                         [&list, view](QListWidgetItem* item) { list.userChange(view->row(item)); });
    } else if (list.kind() == ControlKind::FileList) {
        QObject::connect(view, &QListWidget::itemClicked, view,
                         [&list, view](QListWidgetItem* item) { list.userClick(view->row(item)); });
    }
    return view;
}

QWidget* makeLabel(Label& label, QWidget* parent) { return new QLabel(qs(label.caption()), parent); }

// The picture is drawn when the control gets its size (syncGeometry).
QWidget* makePicture(Picture& picture, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setProperty(kPictureProperty, QString::fromStdString(picture.picture()));
    return label;
}

void syncGeometry(const Control& control, QWidget* widget) {
    widget->setGeometry(pixelRect(control.geometry()));
    if (auto* push = qobject_cast<QPushButton*>(widget)) fitButtonPicture(push);
    if (control.kind() == ControlKind::Picture) fitPicture(static_cast<QLabel*>(widget));
}

// Most controls have the window's font: they inherit it, and setting it
// again on each would resolve it once per widget.
void syncFont(const Control& control, QWidget* widget) {
    if (!control.hasFont()) return;
    const QFont font = controlFont(control.fontPoints());
    if (widget->font() != font) widget->setFont(font);
}

void syncText(const TextBox& box, QWidget* widget) {
    auto* edit = static_cast<QLineEdit*>(widget);
    const QString text = qs(box.text());
    if (edit->text() == text) return;
    const QSignalBlocker block(edit);
    const int cursor = edit->cursorPosition();
    edit->setText(text);
    // While the user types, the caret stays where it was; otherwise the text
    // is shown from its start, as a message line should be.
    edit->setCursorPosition(edit->hasFocus() ? std::min<int>(cursor, text.size()) : 0);
}

void syncValue(const OptionButton& option, QWidget* widget) {
    auto* radio = static_cast<QRadioButton*>(widget);
    const QSignalBlocker block(radio);
    radio->setChecked(option.value());
}

namespace {

// A log only appends and drops its oldest lines (its limit, clear). The
// widget remembers which item ever added its first row is, drops the rows
// the model has dropped since, then appends what is new.
void syncLog(const ListBox& list, QListWidget* view) {
    const auto& items = list.items();
    const std::uint64_t first = view->property(kFirstItem).toULongLong();
    const std::uint64_t gone = std::min<std::uint64_t>(list.removed() - std::min(first, list.removed()),
                                                       static_cast<std::uint64_t>(view->count()));
    if (gone == static_cast<std::uint64_t>(view->count()))
        view->clear();
    else if (gone > 0)
        view->model()->removeRows(0, static_cast<int>(gone));
    const std::uint64_t shownFrom = std::max(first + gone, list.removed());
    view->setProperty(kFirstItem, QVariant::fromValue<qulonglong>(shownFrom));
    for (auto i = static_cast<std::size_t>(shownFrom - list.removed()) + static_cast<std::size_t>(view->count());
         i < items.size(); ++i)
        view->addItem(qs(items[i]));
    syncListIndex(list, view);
}

} // namespace

void syncItems(const ListBox& list, QWidget* widget) {
    const auto& items = list.items();
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        const QSignalBlocker block(combo);
        combo->clear();
        for (const auto& item : items) combo->addItem(qs(item));
        combo->setCurrentIndex(list.listIndex());
        return;
    }
    auto* view = static_cast<QListWidget*>(widget);
    const QSignalBlocker block(view);
    if (list.kind() == ControlKind::List) {
        syncLog(list, view);
        return;
    }
    // A folder or file list is listed anew every time.
    view->clear();
    const QIcon folder =
        list.kind() == ControlKind::DirList ? view->style()->standardIcon(QStyle::SP_DirIcon) : QIcon();
    for (auto i = static_cast<std::size_t>(view->count()); i < items.size(); ++i)
        new QListWidgetItem(folder, qs(items[i]), view);
    syncListIndex(list, widget);
}

void syncListIndex(const ListBox& list, QWidget* widget) {
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        const QSignalBlocker block(combo);
        combo->setCurrentIndex(list.listIndex());
        return;
    }
    auto* view = static_cast<QListWidget*>(widget);
    const QSignalBlocker block(view);
    view->setCurrentRow(list.listIndex());
    if (list.listIndex() >= 0) view->scrollToItem(view->item(list.listIndex()));
}

void syncCaption(const Control& control, QWidget* widget) {
    const QString caption = qs(control.caption());
    if (auto* box = qobject_cast<QGroupBox*>(widget))
        box->setTitle(caption);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(caption);
    else if (auto* label = qobject_cast<QLabel*>(widget); label && control.kind() == ControlKind::Label)
        label->setText(caption);
}

} // namespace quelm::ui
