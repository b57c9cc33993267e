#include "cli/live_read.h"

#include "core/roles.h"
#include "form/form_ops.h"
#include "platform/stop_signals.h"
#include "shell/keyboard.h"

#include <cmath>

namespace quelm::cli {

namespace {

constexpr int kEscape = 27;
// The stop watch acts within 100 ms; should nothing be watching, the script
// is not kept waiting either.
constexpr std::int64_t kStopGraceMs = 1000;

// Presses the stop key and gives the stop watch the time to end the exchange.
void PressStopKey(Form& f) {
    Form_KeyDown(f, kEscape);
    f.clock.runUntil([&f] { return !ExchangeRunning(f); }, kStopGraceMs);
}

} // namespace

bool RunUntilOver(Form& f, const std::function<void()>& start, double timeoutSeconds) {
    const auto over = [&f] { return !ExchangeRunning(f); };
    const auto limitMs = static_cast<std::int64_t>(std::ceil(timeoutSeconds * 1000));
    // A signal that came before the start stops the command before it sends.
    if (platform::StopSignal() != 0) return true;
    start();
    if (f.clock.runUntil([&over] { return over() || platform::StopSignal() != 0; }, limitMs) && over()) return false;
    PressStopKey(f);
    return true;
}

bool ReadUntilOver(Form& f, double timeoutSeconds) {
    return RunUntilOver(
        f, [&f] { f.ui.Command[button::readParameters]->click(); }, timeoutSeconds);
}

} // namespace quelm::cli
