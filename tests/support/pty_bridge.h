#pragma once
// A simulated box behind a pseudo-terminal: the serial driver opens
// slavePath() like any serial port, and every byte it writes goes through the
// kernel's tty to a SimBox, whose replies come back through the tty when
// their arrival time has come. Integration tests and the demo mode drive the
// real serial driver this way, byte by byte.
//
// A thread of the bridge owns the master side; the box is shared with it
// under a mutex, reached through withBox().
#include "drivers/sim/sim_box.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quelm {

class PtyBridge {
public:
    // Opens the pseudo-terminal pair, both sides raw; throws std::system_error
    // when the system has none to give. The thread starts with start().
    explicit PtyBridge(sim::SimBox box);
    ~PtyBridge();
    PtyBridge(const PtyBridge&) = delete;
    PtyBridge& operator=(const PtyBridge&) = delete;

    const std::string& slavePath() const { return slavePath_; }

    // The adapter's holding of received bytes (an FTDI chip's latency
    // timer): the box's bytes reach the host in bursts, no earlier than
    // `us` after the first byte of the burst, or at once when 62 bytes are
    // waiting. 0 (the default) delivers every byte when it arrives.
    void setHoldingDelayUs(std::int64_t us) {
        holdingUs_ = us;
        wake();
    }
    static constexpr std::size_t kAdapterPacketBytes = 62;

    // Both safe to call from any thread, any number of times.
    void start();
    void stop();
    bool running() const { return running_; }

    // Runs f(box) with the box locked and returns its result; the bridge
    // thread then looks again at what the box has to send.
    template <class F>
    auto withBox(F&& f) {
        const WakeOnExit wake{*this};
        const std::lock_guard lock(boxMutex_);
        return f(box_);
    }

private:
    struct WakeOnExit {
        PtyBridge& bridge;
        ~WakeOnExit() { bridge.wake(); }
    };
    void wake();
    void run();
    // Feeds the bytes the host wrote to the box, stamped with the time they were read.
    void takeFromHost();
    // Writes to the host every box byte whose arrival time has come (held
    // as the adapter holds them); returns the time in microseconds until
    // there is more to do (-1: nothing pending).
    std::int64_t deliverToHost();
    void closeAll();

    sim::SimBox box_;
    std::mutex boxMutex_;
    std::mutex controlMutex_; // serialises start and stop
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<bool> stopping_{false};
    std::atomic<std::int64_t> holdingUs_{0};
    std::vector<std::uint8_t> held_; // bridge thread only
    std::int64_t heldSinceUs_ = 0;
    int master_ = -1;
    int slave_ = -1; // held open so the line never hangs up between the driver's sessions
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::string slavePath_;
};

} // namespace quelm
