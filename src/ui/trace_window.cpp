#include "ui/trace_window.h"

#include "core/texts.h"
#include "platform/path_text.h"

#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTreeView>
#include <QVBoxLayout>

namespace quelm::ui {

namespace {

constexpr int kShownLines = 20000;

} // namespace

TraceWindow::TraceWindow(TraceLog& log, const WindowModel& model, QWidget* parent)
    : QWidget(parent, Qt::Window), log_(log), model_(model) {
    setObjectName(QStringLiteral("traceWindow"));
    text_ = new QPlainTextEdit(this);
    text_->setObjectName(QStringLiteral("traceText"));
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setMaximumBlockCount(kShownLines);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setBold(false); // the columns read better in a light face than in the window's bold one
    text_->setFont(fixed);
    save_ = new QPushButton(this);
    clear_ = new QPushButton(this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(clear_);
    buttons->addWidget(save_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addLayout(buttons);
    resize(900, 420);
    connect(save_, &QPushButton::clicked, this, [this] { askAndSave(); });
    connect(clear_, &QPushButton::clicked, this, [this] { clearTrace(); });
    log_.onAdded = [this](const TraceEntry& entry) {
        if (isVisible()) append(entry);
    };
    log_.onRepeated = [this](const TraceEntry& entry) {
        if (isVisible()) replaceLast(entry);
    };
    log_.onCleared = [this] { text_->clear(); };
    showLanguage();
}

TraceWindow::~TraceWindow() {
    log_.onAdded = nullptr;
    log_.onRepeated = nullptr;
    log_.onCleared = nullptr;
}

int TraceWindow::language() const { return model_.English->checked() ? 2 : 1; }

void TraceWindow::showLanguage() {
    setWindowTitle(QString::fromStdString(model_.ProtocolTrace->caption()));
    save_->setText(QString::fromUtf8(Text(Said::TraceSave, language())));
    clear_->setText(QString::fromUtf8(Text(Said::TraceClear, language())));
    // The frames' meanings are said again in the new language.
    if (isVisible()) reload();
}

QString TraceWindow::shownText() const { return text_->toPlainText(); }

bool TraceWindow::saveTo(const QString& file, QString& error) const {
    std::string why;
    if (log_.save(quelm::platform::PathFromUtf8(file.toStdString()), why, language())) return true;
    error = QString::fromStdString(why);
    return false;
}

// Entries that came while the window was closed are shown when it opens.
void TraceWindow::showEvent(QShowEvent* event) {
    reload();
    QWidget::showEvent(event);
}

void TraceWindow::append(const TraceEntry& entry) {
    text_->appendPlainText(QString::fromStdString(FormatTraceEntry(entry, language())));
}

void TraceWindow::replaceLast(const TraceEntry& entry) {
    QTextCursor cursor(text_->document()->lastBlock());
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(QString::fromStdString(FormatTraceEntry(entry, language())));
}

void TraceWindow::reload() {
    QString all;
    for (const TraceEntry& entry : log_.entries())
        all += QString::fromStdString(FormatTraceEntry(entry, language())) + '\n';
    if (all.endsWith('\n')) all.chop(1);
    text_->setPlainText(all);
    text_->moveCursor(QTextCursor::End);
}

// Qt's own dialog, in the tool's language through Qt's translations, wide
// enough for its name, size and date columns.
void TraceWindow::askAndSave() {
    QFileDialog dialog(this, save_->text(), QStringLiteral("quelmbox-trace.txt"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.resize(900, 520);
    // The name takes what the size, type and date columns leave.
    if (auto* view = dialog.findChild<QTreeView*>()) {
        view->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        view->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const QString file = dialog.selectedFiles().constFirst();
    QString error;
    if (!saveTo(file, error)) {
        const std::string said =
            Filled(Text(Said::TraceNotSaved, language()), file.toStdString(), Reason(error.toStdString(), language()));
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(said));
    }
}

} // namespace quelm::ui
