#include "cli/live_read.h"

#include "shell/keyboard.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace quelm::cli {

namespace {

constexpr int kEscape = 27;

} // namespace

bool OperationOver(const Form& f) {
    if (!f.ui.Command[7]->enabled()) return false;
    for (int n : {6, 17, 23, 24, 28})
        if (f.ui.Timer[static_cast<std::size_t>(n)]->enabled()) return false;
    return true;
}

bool ReadUntilOver(Form& f, double timeoutSeconds) {
    QEventLoop loop;
    QElapsedTimer elapsed;
    bool stopped = false;
    QTimer watch;
    watch.setTimerType(Qt::PreciseTimer);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const qint64 limitMs = static_cast<qint64>(timeoutSeconds * 1000);
        if (OperationOver(f)) loop.quit();
        if (!stopped && elapsed.elapsed() > limitMs) {
            stopped = true;
            Form_KeyDown(f, kEscape);
        }
        // The stop watch acts within 100 ms; should nothing be watching,
        // the script is not kept waiting either.
        if (stopped && elapsed.elapsed() > limitMs + 1000) loop.quit();
    });
    elapsed.start();
    f.ui.Command[7]->click();
    if (OperationOver(f)) return false;
    watch.start(1);
    loop.exec();
    return stopped;
}

} // namespace quelm::cli
