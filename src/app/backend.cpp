#include "app/backend.h"

#include "core/texts.h"
#include "drivers/serial/serial_driver.h"
#include "drivers/sim/sim_driver.h"
#include "platform/path_text.h"
#include "platform/system.h"

#include <charconv>
#include <filesystem>
#include <system_error>
#include <utility>

namespace quelm {
namespace {

// An option with a value, as "NAME=VALUE" in args[i] or as "NAME" "VALUE" in
// args[i] and args[i + 1] (then i moves to the value). Returns false when
// args[i] is not this option; sets `error` when the value is missing.
bool optionValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name, std::string& value,
                 std::string& error, int language) {
    const std::string& arg = args[i];
    if (arg.size() > name.size() && arg.compare(0, name.size() + 1, name + "=") == 0) {
        value = arg.substr(name.size() + 1);
    } else if (arg == name || arg == name + "=") {
        if (arg == name && i + 1 < args.size()) value = args[++i];
    } else {
        return false;
    }
    if (value.empty()) error = Filled(Phrase("%1 needs a value", language), name);
    return true;
}

bool parseSeed(const std::string& text, std::uint64_t& seed) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, seed);
    return ec == std::errc{} && ptr == end;
}

} // namespace

bool parseBackendOption(const std::vector<std::string>& args, std::size_t& i, BackendOptions& options,
                        std::string& error) {
    error.clear();
    if (i >= args.size()) return false;
    std::string value;
    if (args[i] == "--simulate") {
        options.simulate = true;
    } else if (optionValue(args, i, "--simulate", value, error, options.language)) {
        options.simulate = true;
        options.simFile = value;
    } else if (optionValue(args, i, "--port", value, error, options.language)) {
        options.port = value;
    } else if (optionValue(args, i, "--seed", value, error, options.language)) {
        if (error.empty() && !parseSeed(value, options.seed))
            error = Filled(
                Phrase("--seed needs a whole number from 0 to 18446744073709551615, not \"%1\"", options.language),
                value);
    } else {
        return false;
    }
    return error.empty();
}

std::string defaultBoxFile() {
    constexpr const char* kName = "simbox.txt";
    std::error_code ec;
    const std::filesystem::path exe = platform::ExecutablePath();
    if (!exe.empty()) {
        const std::filesystem::path beside = exe.parent_path() / kName;
        if (std::filesystem::exists(beside, ec)) return platform::Utf8OfPath(beside);
    }
    return kName;
}

std::optional<Backend> makeBackend(const BackendOptions& options, Scheduler& scheduler, std::string& error) {
    if (options.simulate && !options.port.empty()) {
        error = Phrase("--simulate and --port cannot be used together", options.language);
        return std::nullopt;
    }
    Backend backend;
    if (!options.simulate) {
        backend.driver = std::make_unique<SerialDriver>(options.port);
        return backend;
    }
    const std::string file = options.simFile.empty() ? defaultBoxFile() : options.simFile;
    std::string why;
    std::optional<sim::BoxConfig> config = sim::loadBoxFile(file, why);
    if (!config) {
        const bool named = why.find(file) != std::string::npos;
        why = Reason(why, options.language);
        error = Phrase("cannot load the simulated box: ", options.language) + (named ? why : file + ": " + why);
        return std::nullopt;
    }
    backend.box = std::make_unique<sim::SimBox>(std::move(*config), options.seed);
    backend.driver = std::make_unique<sim::SimDriver>(*backend.box, scheduler);
    return backend;
}

} // namespace quelm
