#pragma once
// A serial device of the system, held by this process alone while it is
// open: a tty on Linux (an FTDI adapter, any named port, a pseudo-terminal),
// a COM port on Windows ("COM5", "\\.\COM12"). The line is raw: 8-bit bytes,
// no flow control, no translation. Calls never throw; a failed one says why
// in a SerialError, in kinds the driver names alike on every system.
#include <cstdint>
#include <string>

namespace quelm::platform {

enum class SerialFault {
    none,
    noSuchPort,    // nothing by that name
    busy,          // another program holds the port
    permission,    // the user may not open it; `detail` says what to do
    notSerialPort, // it exists but is no serial device
    gone,          // the adapter went away
    unsupported,   // a line setting the device cannot take
    other,         // the system's own words in `detail`
};

struct SerialError {
    SerialFault fault = SerialFault::none;
    std::string detail;
};

// Whether `path` names a serial device, looked at without opening it.
SerialError ProbeSerialPort(const std::string& path);

class SerialPort {
public:
    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens `path` for this process alone, raw, at the device's speed.
    bool open(const std::string& path, SerialError& error);
    bool isOpen() const { return native_ != kClosed; }
    // The port is released even when the system reports an error.
    bool close(SerialError& error);

    // Bits per second; `unsupported` for a rate the system has no setting for.
    bool setSpeed(std::uint32_t baud, SerialError& error);
    // As the vendor driver numbers them: 5 to 8 bits; stopBits 0 one, 2 two;
    // parity 0 none, 1 odd, 2 even, 3 mark, 4 space.
    bool setFraming(int wordLength, int stopBits, int parity, SerialError& error);

    // One byte, waiting up to `timeoutMs` for it: 1 read, 0 none came, -1 failed.
    int readByte(std::uint8_t& byte, int timeoutMs, SerialError& error);
    // One byte, waiting up to `timeoutMs` for room, then until it has left
    // for the line: 1 written, 0 no room in time, -1 failed.
    int writeByte(std::uint8_t byte, int timeoutMs, SerialError& error);
    // Bytes waiting in the receive and the transmit queue.
    bool queues(std::uint32_t& rx, std::uint32_t& tx, SerialError& error);

    // Asks for the least delay before received bytes are passed on (an FTDI
    // adapter holds them up to its latency timer, 16 ms by default). Returns
    // what it got, in words for the trace.
    std::string requestLowLatency(const std::string& path);

    // The system's handle: a file descriptor on Linux, a HANDLE on Windows.
    std::intptr_t native() const { return native_; }

private:
    static constexpr std::intptr_t kClosed = -1;
    std::intptr_t native_ = kClosed;
    int readTimeoutMs_ = -1; // as last given to the system, where it keeps one
    int writeTimeoutMs_ = -1;
};

} // namespace quelm::platform
