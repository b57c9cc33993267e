#include "app/builder.h"

#include "core/message_lines.h"
#include "core/texts.h"
#include "shell/bind_handlers.h"

#include <utility>

namespace quelm {

namespace {

// Frames and driver events from the trace driver, log lines from the link's
// hidden log, each with the exchange state of the moment.
void attachTraceLog(Tool& tool) {
    TraceLog& log = *tool.traceLog;
    Form& form = *tool.form;
    log.context = [&form] { return std::pair{form.x.operation, form.x.stepTimer}; };
    tool.trace->onRecord = [&log](std::int64_t atUs, bool toBox, const std::vector<std::uint8_t>& bytes,
                                  const std::string& text) {
        if (bytes.empty())
            log.addText(TraceEntry::Kind::Event, text);
        else
            log.addFrame(atUs, toBox, bytes, text);
    };
    auto previous = std::move(form.ui.LoggerList->onAdded);
    form.ui.LoggerList->onAdded = [&log, &form, previous](const std::string& line) {
        if (previous) previous(line);
        // The connection test logs line 11 on a quiet tick, as the window did.
        log.addText(TraceEntry::Kind::Log, line,
                    LogLineNote(line, form.tables.messageLine(programmingTries), !form.link.portError.empty()));
    };
}

} // namespace

Tool::~Tool() {
    // The trace driver reports what it still holds when it goes, after the
    // window model: the log must not ask the model for its state then.
    if (traceLog) traceLog->context = nullptr;
}

std::string describeLink(const BackendOptions& options, int language) {
    if (options.simulate) return std::string(Text(Said::SimulatedBox, language));
    if (!options.port.empty()) return options.port;
    return std::string(Text(Said::FirstFtdiAdapter, language));
}

std::unique_ptr<Tool> BuildTool(const BackendOptions& options, std::unique_ptr<Scheduler> scheduler, TraceSink trace,
                                std::string& error, bool withTraceLog) {
    auto tool = std::make_unique<Tool>();
    tool->scheduler = std::move(scheduler);
    auto backend = makeBackend(options, *tool->scheduler, error);
    if (!backend) return nullptr;
    tool->backend = std::move(*backend);
    BoxDriver* driver = tool->backend.driver.get();
    if (withTraceLog) tool->traceLog = std::make_unique<TraceLog>(*tool->scheduler);
    if (trace || withTraceLog) {
        tool->trace = std::make_unique<TraceDriver>(*driver, *tool->scheduler, std::move(trace));
        driver = tool->trace.get();
    }
    tool->form = std::make_unique<Form>(*tool->scheduler, *driver);
    bindHandlers(*tool->form);
    if (withTraceLog) attachTraceLog(*tool);
    return tool;
}

} // namespace quelm
