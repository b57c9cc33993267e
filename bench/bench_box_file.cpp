// Loads simulated box files of 25,000 to 200,000 detectors, each with its
// addresses line, and prints the load time per size: linear growth keeps the
// time per detector flat.
#include "drivers/sim/sim_box.h"

#include <chrono>
#include <cstdio>
#include <string>

using namespace quelm;

namespace {

std::string BoxText(int detectors) {
    std::string text = "box-channel A\nboxes 1\n";
    text.reserve(static_cast<std::size_t>(detectors) * 96);
    for (int n = 0; n < detectors; ++n) {
        const std::string number = std::to_string(n * 5);
        text += "detector " + number + " power=med on=80\n";
        text += "addresses " + number + " 1 2 3 4 5\n";
    }
    return text;
}

} // namespace

int main() {
    std::printf("%10s %10s %12s %14s\n", "detectors", "KiB", "load ms", "us/detector");
    for (int detectors : {25'000, 50'000, 100'000, 200'000}) {
        const std::string text = BoxText(detectors);
        const auto start = std::chrono::steady_clock::now();
        std::string error;
        const auto config = sim::parseBoxText(text, error);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (!config || config->detectors.size() != static_cast<std::size_t>(detectors)) {
            std::fprintf(stderr, "bench_box_file: the load failed: %s\n", error.c_str());
            return 1;
        }
        std::printf("%10d %10zu %12.1f %14.3f\n", detectors, text.size() / 1024, ms, ms * 1000.0 / detectors);
    }
    return 0;
}
