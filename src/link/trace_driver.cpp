#include "link/trace_driver.h"

#include <cstdio>

namespace quelm {

namespace {

std::uint32_t NumberOf(const std::vector<std::uint8_t>& b) { return b[1] * 65536u + b[2] * 256u + b[3]; }

bool ChecksumOk(const std::vector<std::uint8_t>& b) { return b[4] == (b[0] ^ b[1] ^ b[2] ^ b[3]); }

std::string DescribeToBox(const std::vector<std::uint8_t>& b) {
    const int c = b[0];
    const std::string n = std::to_string(NumberOf(b));
    if (b == std::vector<std::uint8_t>{0, 1, 1, 2, 2}) return "connection test";
    if (c == 0 && b[1] == 1 && b[2] == 2 && b[3] == 3) return b[4] == 4 ? "box channel B" : "box channel A";
    if (c == 1) return "test number " + n;
    if (c >= 16 && c <= 25) return "read address " + std::to_string(c - 15) + ", detector " + n;
    if (c >= 48 && c <= 57) return "write address " + std::to_string(c - 47) + " = " + n;
    if (c >= 64 && c <= 66) return "read parameters group " + std::to_string(c - 63) + ", detector " + n;
    if (c >= 68 && c <= 73) {
        static const char* names[] = {"rise time", "fall time", "level ON+", "level DYN+", "level DYN-", "command type"};
        return "write " + std::string(names[c - 68]) + " = " + std::to_string(b[4]) + ", detector " + n;
    }
    if (c >= 80 && c <= 85) return "write dynamic time code " + std::to_string(c - 80) + ", detector " + n;
    if (c == 86 || c == 87) return std::string("write detector channel ") + (c == 86 ? "A" : "B") + ", detector " + n;
    if (c >= 88 && c <= 90) return "write output power " + std::string(c == 88 ? "max" : c == 89 ? "med" : "min") + ", detector " + n;
    if (c == 96) return "call detector " + n;
    if (c == 97) return "program new number " + n;
    return "unknown command";
}

std::string DescribeFromBox(const std::vector<std::uint8_t>& b) {
    const int c = b[0];
    if (c == 0 && b[1] == 1 && b[2] == 2 && b[3] == 3) return std::string("acknowledgement, box channel ") + (b[4] == 4 ? "B" : b[4] == 3 ? "A" : "?");
    if (!ChecksumOk(b)) return "bad check byte";
    const std::string n = std::to_string(NumberOf(b));
    if (c == 1) return "detector reports number " + n;
    if (c >= 32 && c <= 41) return "address " + std::to_string(c - 31) + " = " + n;
    if (c == 64) return "group 1: power " + std::to_string(b[1]) + ", channel " + std::to_string(b[2]) + ", dynamic time " + std::to_string(b[3]);
    if (c == 65) return "group 2: rise " + std::to_string(b[1]) + ", fall " + std::to_string(b[2]) + ", ON+ " + std::to_string(b[3]);
    if (c == 66) return "group 3: DYN+ " + std::to_string(b[1]) + ", DYN- " + std::to_string(b[2]) + ", type " + std::to_string(b[3]);
    if (c == 96) return "detector " + n + " answers";
    if (c == 97) return "detector now has number " + n;
    return "unknown reply";
}

} // namespace

std::string DescribeFrame(const std::vector<std::uint8_t>& bytes, bool toBox) {
    if (bytes.size() != 5) return std::to_string(bytes.size()) + " byte(s), not a whole frame";
    return toBox ? DescribeToBox(bytes) : DescribeFromBox(bytes);
}

TraceDriver::TraceDriver(BoxDriver& inner, const Scheduler& clock, Sink sink)
    : inner_(inner), clock_(clock), sink_(std::move(sink)), originUs_(clock.nowUs()) {}

TraceDriver::~TraceDriver() { flushAll(); }

void TraceDriver::flush(std::vector<std::uint8_t>& bytes, bool toBox) {
    if (bytes.empty()) return;
    char head[48];
    const double ms = static_cast<double>((toBox ? outStartUs_ : inStartUs_) - originUs_) / 1000.0;
    std::snprintf(head, sizeof head, "%10.3f ms  %s ", ms, toBox ? "TX" : "RX");
    std::string line = head;
    for (std::uint8_t b : bytes) {
        char hex[8];
        std::snprintf(hex, sizeof hex, " %3u", b);
        line += hex;
    }
    line += "   " + DescribeFrame(bytes, toBox);
    bytes.clear();
    sink_(line);
}

void TraceDriver::flushAll() {
    flush(out_, true);
    flush(in_, false);
}

void TraceDriver::event(const std::string& text) {
    flushAll();
    char head[32];
    std::snprintf(head, sizeof head, "%10.3f ms  ", static_cast<double>(clock_.nowUs() - originUs_) / 1000.0);
    sink_(head + text);
}

std::uint32_t TraceDriver::open(int index, DeviceHandle& handle) {
    const std::uint32_t s = inner_.open(index, handle);
    if (s != kOk && s != kDeviceNotOpened) event("open failed, status " + std::to_string(s));
    return s;
}

std::uint32_t TraceDriver::close(DeviceHandle handle) {
    flushAll();
    return inner_.close(handle);
}

std::uint32_t TraceDriver::setBaudRate(DeviceHandle handle, std::uint32_t baud) {
    return inner_.setBaudRate(handle, baud);
}

std::uint32_t TraceDriver::setDataCharacteristics(DeviceHandle handle, int wordLength, int stopBits, int parity) {
    return inner_.setDataCharacteristics(handle, wordLength, stopBits, parity);
}

std::uint32_t TraceDriver::setTimeouts(DeviceHandle handle, int readMs, int writeMs) {
    return inner_.setTimeouts(handle, readMs, writeMs);
}

std::uint32_t TraceDriver::writeByte(DeviceHandle handle, std::uint8_t byte, std::uint32_t& written) {
    flush(in_, false);
    if (out_.empty()) outStartUs_ = clock_.nowUs();
    const std::uint32_t s = inner_.writeByte(handle, byte, written);
    if (s != kOk) event("write failed, status " + std::to_string(s));
    out_.push_back(byte);
    if (out_.size() == 5) flush(out_, true);
    return s;
}

std::uint32_t TraceDriver::readByte(DeviceHandle handle, std::uint8_t& byte, std::uint32_t& count) {
    flush(out_, true);
    const std::int64_t startUs = clock_.nowUs();
    const std::uint32_t s = inner_.readByte(handle, byte, count);
    if (count > 0) {
        if (in_.empty()) inStartUs_ = startUs;
        in_.push_back(byte);
        if (in_.size() == 5) flush(in_, false);
    } else {
        flush(in_, false);
    }
    return s;
}

std::uint32_t TraceDriver::getStatus(DeviceHandle handle, std::uint32_t& rxQueue, std::uint32_t& txQueue,
                                     std::uint32_t& events) {
    return inner_.getStatus(handle, rxQueue, txQueue, events);
}

std::uint32_t TraceDriver::countDevices(std::uint32_t& count) {
    const std::uint32_t s = inner_.countDevices(count);
    event(s == kOk ? "boxes attached: " + std::to_string(count) : "box count failed, status " + std::to_string(s));
    return s;
}

} // namespace quelm
