#include "cli/cli.h"

#include "cli/cli_options.h"
#include "cli/live_read.h"
#include "cli/messages.h"
#include "cli/print_parameters.h"
#include "drivers/serial/backend.h"
#include "drivers/serial/qt_scheduler.h"
#include "link/trace_driver.h"
#include "shell/bind_handlers.h"

#include <memory>

namespace quelm::cli {

namespace {

int Outcome(const Form& f, bool stopped, std::FILE* err) {
    const std::string& message = f.ui.Text5->text();
    if (message == f.tables.boxLine(17)) return kSuccess;
    if (stopped || message == " STOP") {
        std::fprintf(err, "quelmbox-cli: STOP: no answer before the time-out\n");
        return kStopped;
    }
    std::fprintf(err, "quelmbox-cli: %s\n", message.c_str());
    if (message == f.tables.boxLine(1) || message == f.tables.boxLine(2)) return kNoBox;
    return kOperationFailed;
}

int ReadParams(const Options& o, std::FILE* out, std::FILE* err) {
    QtScheduler scheduler;
    std::string error;
    auto backend = makeBackend(o.backend, scheduler, error);
    if (!backend) {
        std::fprintf(err, "quelmbox-cli: %s\n", error.c_str());
        return kUsage;
    }
    BoxDriver* driver = backend->driver.get();
    std::unique_ptr<TraceDriver> trace;
    if (o.trace) {
        trace = std::make_unique<TraceDriver>(*driver, scheduler, [err](const std::string& line) {
            std::fprintf(err, "%s\n", line.c_str());
            std::fflush(err);
        });
        driver = trace.get();
    }
    Form form(scheduler, *driver);
    bindHandlers(form);
    FillBoxTable(form.tables);
    form.ui.Text3->setText(o.number);
    const bool stopped = ReadUntilOver(form, o.timeoutSeconds);
    const int code = Outcome(form, stopped, err);
    if (code == kSuccess) PrintParameters(out, o.number, ParametersShown(form), o.json);
    return code;
}

} // namespace

int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    std::string error;
    const auto options = ParseOptions(args, error);
    if (!options) {
        std::fprintf(err, "quelmbox-cli: %s\n%s", error.c_str(), kUsageText);
        return kUsage;
    }
    if (options->help) {
        std::fputs(kUsageText, out);
        return kSuccess;
    }
    return ReadParams(*options, out, err);
}

} // namespace quelm::cli
