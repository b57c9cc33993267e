#include "app/builder.h"

#include "drivers/serial/qt_scheduler.h"
#include "shell/bind_handlers.h"

#include <utility>

namespace quelm {

std::unique_ptr<Tool> BuildTool(const BackendOptions& options, TraceSink trace, std::string& error) {
    return BuildTool(options, std::make_unique<QtScheduler>(), std::move(trace), error);
}

std::unique_ptr<Tool> BuildTool(const BackendOptions& options, std::unique_ptr<Scheduler> scheduler, TraceSink trace,
                                std::string& error) {
    auto tool = std::make_unique<Tool>();
    tool->scheduler = std::move(scheduler);
    auto backend = makeBackend(options, *tool->scheduler, error);
    if (!backend) return nullptr;
    tool->backend = std::move(*backend);
    BoxDriver* driver = tool->backend.driver.get();
    if (trace) {
        tool->trace = std::make_unique<TraceDriver>(*driver, *tool->scheduler, std::move(trace));
        driver = tool->trace.get();
    }
    tool->form = std::make_unique<Form>(*tool->scheduler, *driver);
    bindHandlers(*tool->form);
    return tool;
}

} // namespace quelm
