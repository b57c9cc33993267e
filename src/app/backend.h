#pragma once
// The choice of box driver, shared by the window and the command-line front
// end: the real serial port (an FTDI adapter, or a port given by name) or a
// simulated box read from a box file.
#include "core/scheduler.h"
#include "driver_api/box_driver.h"
#include "drivers/sim/sim_box.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quelm {

struct BackendOptions {
    bool simulate = false;
    std::string simFile; // empty: simbox.txt next to the executable
    std::string port;    // empty: the first FTDI adapter
    std::uint64_t seed = 0;
    int language = 2; // of the errors below: 1 French, 2 English
};

// Consumes one backend option at args[i]: --simulate, --simulate=FILE,
// --port PATH, --port=PATH, --seed N, --seed=N. On success returns true and
// leaves `i` on the last argument it consumed (the value of "--port PATH"),
// so a `for (...; ++i)` loop goes on with the next one. Returns false when
// args[i] is none of these (error left empty) or when its value is missing
// or bad (error says which).
bool parseBackendOption(const std::vector<std::string>& args, std::size_t& i, BackendOptions& options,
                        std::string& error);

// Declared in this order so that the driver, which refers to the box, goes first.
struct Backend {
    std::unique_ptr<sim::SimBox> box; // only when simulating
    std::unique_ptr<BoxDriver> driver;
};

// The driver the options ask for. The simulated driver runs on `scheduler`'s
// clock and must not outlive it. Fails (nothing returned, reason in `error`)
// on a missing or bad box file, or with both --simulate and --port.
std::optional<Backend> makeBackend(const BackendOptions& options, Scheduler& scheduler, std::string& error);

// Where the default box file is looked for: next to the running executable,
// else in the working directory.
std::string defaultBoxFile();

} // namespace quelm
