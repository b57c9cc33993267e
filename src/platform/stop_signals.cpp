#include "platform/stop_signals.h"

#include <csignal>

namespace quelm::platform {

const char* StopSignalName() {
    switch (StopSignal()) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
#ifdef SIGHUP
    case SIGHUP: return "SIGHUP";
#endif
    default: return nullptr;
    }
}

} // namespace quelm::platform
