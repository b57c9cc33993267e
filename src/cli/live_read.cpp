#include "cli/live_read.h"

#include "exchange/form_ops.h"
#include "shell/keyboard.h"

#include <cmath>

namespace quelm::cli {

namespace {

constexpr int kEscape = 27;
// The stop watch acts within 100 ms; should nothing be watching, the script
// is not kept waiting either.
constexpr std::int64_t kStopGraceMs = 1000;

} // namespace

bool RunUntilOver(Form& f, const std::function<void()>& start, double timeoutSeconds) {
    const auto over = [&f] { return !ExchangeRunning(f); };
    const auto limitMs = static_cast<std::int64_t>(std::ceil(timeoutSeconds * 1000));
    start();
    if (f.clock.runUntil(over, limitMs)) return false;
    Form_KeyDown(f, kEscape);
    f.clock.runUntil(over, kStopGraceMs);
    return true;
}

bool ReadUntilOver(Form& f, double timeoutSeconds) {
    return RunUntilOver(
        f, [&f] { f.ui.Command[7]->click(); }, timeoutSeconds);
}

} // namespace quelm::cli
