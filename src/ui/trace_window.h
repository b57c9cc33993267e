#pragma once
// The protocol trace window: the link's hidden log and every frame sent and
// received, as the tool's TraceLog keeps them, shown live while the window
// is open; it saves the trace to a file and clears it. It only reads the
// log: the link works the same with the window open or closed.
#include "core/window_model.h"
#include "trace/trace_log.h"

#include <QString>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace quelm::ui {

class TraceWindow : public QWidget {
public:
    // A window of its own over `parent`; the captions follow the language
    // the model's menu marks.
    TraceWindow(TraceLog& log, const WindowModel& model, QWidget* parent);
    ~TraceWindow() override;
    TraceWindow(const TraceWindow&) = delete;
    TraceWindow& operator=(const TraceWindow&) = delete;

    // Captions in the language in use.
    void showLanguage();
    // The trace as shown, one line per entry.
    QString shownText() const;
    // Writes the trace to `file`; false with the reason in `error`.
    bool saveTo(const QString& file, QString& error) const;
    void clearTrace() { log_.clear(); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void append(const TraceEntry& entry);
    // The last line shown, rewritten: its entry counted one more repeat.
    void replaceLast(const TraceEntry& entry);
    void reload();
    void askAndSave();
    int language() const; // 1 French, 2 English, as the menu marks

    TraceLog& log_;
    const WindowModel& model_;
    QPlainTextEdit* text_;
    QPushButton* save_;
    QPushButton* clear_;
};

} // namespace quelm::ui
