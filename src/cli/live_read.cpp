#include "cli/live_read.h"

#include "cli/cli_language.h"
#include "cli/exit_codes.h"
#include "core/roles.h"
#include "core/texts.h"
#include "platform/stop_signals.h"

#include <cmath>

namespace quelm::cli {

namespace {

double SecondsLeft(const Form& f, std::int64_t startUs, double timeoutSeconds) {
    const double left = timeoutSeconds - static_cast<double>(f.clock.nowUs() - startUs) / 1e6;
    return left > 0.001 ? left : 0.001;
}

} // namespace

OperationRunner SignalledRunner(Form& f) {
    return OperationRunner(f, [] { return platform::StopSignal() != 0; });
}

std::int64_t LimitMs(double timeoutSeconds) { return static_cast<std::int64_t>(std::ceil(timeoutSeconds * 1000)); }

bool RunUntilOver(Form& f, const std::function<void()>& start, double timeoutSeconds) {
    return SignalledRunner(f).run(start, noLine, LimitMs(timeoutSeconds)).cut != Cut::none;
}

bool ReadUntilOver(Form& f, double timeoutSeconds) {
    return RunUntilOver(
        f, [&f] { f.ui.Command[button::readParameters]->click(); }, timeoutSeconds);
}

SettledRead<DetectorParameters> ReadParametersSettled(Form& f, double timeoutSeconds, OperationResult& last) {
    const std::int64_t startUs = f.clock.nowUs();
    OperationRunner runner = SignalledRunner(f);
    const std::string number = f.ui.Text3->text();
    return ReadUntilSettled<DetectorParameters>(f, 3, false, [&]() -> std::optional<DetectorParameters> {
        last = runner.readParameters(number, LimitMs(SecondsLeft(f, startUs, timeoutSeconds)));
        return last.parameters;
    });
}

SettledRead<AddressList> ReadAddressesSettled(Form& f, double timeoutSeconds, OperationResult& last) {
    const std::int64_t startUs = f.clock.nowUs();
    OperationRunner runner = SignalledRunner(f);
    return ReadUntilSettled<AddressList>(f, code::kAddressCount, false, [&]() -> std::optional<AddressList> {
        last = runner.readAddresses(LimitMs(SecondsLeft(f, startUs, timeoutSeconds)));
        // An address never reported in ten frames is not read.
        if (!last.notRead.empty()) return std::nullopt;
        return last.addresses;
    });
}

int SayReadsDisagree(std::FILE* err, int reads) {
    std::fprintf(err,
                 Tr("quelmbox-cli: %d reads, no two in a row alike: replies other than the detector's are on the "
                    "line\n"),
                 reads);
    return kOperationFailed;
}

std::string ReadTwiceNote(int reads) {
    return Filled(Tr("read %1 times: something unusual was seen on the line; the last two reads agree"),
                  std::to_string(reads));
}

} // namespace quelm::cli
