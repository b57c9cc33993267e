#include "cli/live_read.h"

#include "cli/exit_codes.h"
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

double SecondsLeft(const Form& f, std::int64_t startUs, double timeoutSeconds) {
    const double left = timeoutSeconds - static_cast<double>(f.clock.nowUs() - startUs) / 1e6;
    return left > 0.001 ? left : 0.001;
}

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

SettledRead<DetectorParameters> ReadParametersSettled(Form& f, double timeoutSeconds, bool& stopped) {
    const std::int64_t startUs = f.clock.nowUs();
    return ReadUntilSettled<DetectorParameters>(f, 3, false, [&]() -> std::optional<DetectorParameters> {
        stopped = ReadUntilOver(f, SecondsLeft(f, startUs, timeoutSeconds));
        if (stopped || f.x.shownLine != parametersRead) return std::nullopt;
        return ParametersHeld(f);
    });
}

SettledRead<AddressList> ReadAddressesSettled(Form& f, double timeoutSeconds, bool& stopped) {
    const std::int64_t startUs = f.clock.nowUs();
    return ReadUntilSettled<AddressList>(f, code::kAddressCount, false, [&]() -> std::optional<AddressList> {
        stopped = RunUntilOver(
            f, [&f] { f.ui.Command[button::readAddresses]->click(); }, SecondsLeft(f, startUs, timeoutSeconds));
        if (stopped || f.x.shownLine != addressesDone) return std::nullopt;
        AddressList list;
        for (std::size_t k = 0; k < list.size(); ++k) {
            // An address never reported in ten frames is shown not read.
            if (!f.ui.Text1[k]->enabled()) return std::nullopt;
            list[k] = f.ui.Text1[k]->text();
        }
        return list;
    });
}

int SayReadsDisagree(std::FILE* err, int reads) {
    std::fprintf(err,
                 "quelmbox-cli: %d reads, no two in a row alike: replies other than the detector's are on the line\n",
                 reads);
    return kOperationFailed;
}

std::string ReadTwiceNote(int reads) {
    return "read " + std::to_string(reads) + " times: something unusual was seen on the line; the last two reads agree";
}

} // namespace quelm::cli
