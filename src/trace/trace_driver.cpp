#include "trace/trace_driver.h"

#include "protocol/number.h"

#include <cstdio>

namespace quelm {

std::string DescribeFrame(const std::vector<std::uint8_t>& bytes, bool toBox, int language) {
    if (bytes.size() != 5)
        return std::to_string(bytes.size()) +
               (language == 1 ? (bytes.size() == 1 ? " octet, pas une trame enti\xC3\xA8re"
                                                   : " octets, pas une trame enti\xC3\xA8re")
                              : (bytes.size() == 1 ? " byte, not a whole frame" : " bytes, not a whole frame"));
    return DescribeFrame(FromWire({bytes[0], bytes[1], bytes[2], bytes[3], bytes[4]}), toBox, language);
}

std::string StatusName(std::uint32_t status) {
    switch (status) {
    case kOk: return "ok";
    case kInvalidHandle: return "invalid handle";
    case kDeviceNotFound: return "device not found";
    case kDeviceNotOpened: return "device not opened";
    case kIoError: return "I/O error";
    case kOtherError: return "other error";
    default: return "unknown status";
    }
}

TraceDriver::TraceDriver(BoxDriver& inner, const Scheduler& clock, Sink sink)
    : inner_(inner), clock_(clock), sink_(std::move(sink)), originUs_(clock.nowUs()) {}

TraceDriver::~TraceDriver() { flushAll(); }

void TraceDriver::flush(std::vector<std::uint8_t>& bytes, bool toBox) {
    if (bytes.empty()) return;
    const std::int64_t startUs = toBox ? outStartUs_ : inStartUs_;
    if (onRecord) onRecord(startUs, toBox, bytes, DescribeFrame(bytes, toBox));
    if (!sink_) {
        bytes.clear();
        return;
    }
    const double ms = static_cast<double>(startUs - originUs_) / 1000.0;
    std::string line = FixedText(ms, 3, 10) + (toBox ? " ms  TX " : " ms  RX ");
    for (std::uint8_t b : bytes) {
        char hex[8];
        std::snprintf(hex, sizeof hex, " %3u", b);
        line += hex;
    }
    line += "   " + DescribeFrame(bytes, toBox, language_);
    bytes.clear();
    sink_(line);
}

void TraceDriver::flushAll() {
    flush(out_, true);
    flush(in_, false);
}

void TraceDriver::event(const std::string& text) {
    flushAll();
    if (onRecord) onRecord(clock_.nowUs(), false, {}, text);
    if (!sink_) return;
    sink_(FixedText(static_cast<double>(clock_.nowUs() - originUs_) / 1000.0, 3, 10) + " ms  " + text);
}

std::uint32_t TraceDriver::failed(const char* call, std::uint32_t status) {
    if (status == kOk) return status;
    std::string text =
        std::string(call) + " failed, status " + std::to_string(status) + " (" + StatusName(status) + ")";
    if (const std::string reason = inner_.lastError(); !reason.empty()) text += ": " + reason;
    event(text);
    return status;
}

// What the open arranged (low latency) is said once, and again when it changes.
std::uint32_t TraceDriver::open(int index, DeviceHandle& handle) {
    const std::uint32_t opened = inner_.open(index, handle);
    // Every send opens the session again: over an open one, the driver's
    // refusal with no reason is the expected outcome, not a failure.
    if (opened == kDeviceNotOpened && inner_.lastError().empty()) {
        event("open: the session is already open and goes on (status 3)");
        return opened;
    }
    const std::uint32_t s = failed("open", opened);
    if (s == kOk && inner_.openNote() != lastOpenNote_) {
        lastOpenNote_ = inner_.openNote();
        if (!lastOpenNote_.empty()) event(lastOpenNote_);
    }
    return s;
}

std::uint32_t TraceDriver::close(DeviceHandle handle) {
    flushAll();
    return failed("close", inner_.close(handle));
}

std::uint32_t TraceDriver::setBaudRate(DeviceHandle handle, std::uint32_t baud) {
    return failed("set baud rate", inner_.setBaudRate(handle, baud));
}

std::uint32_t TraceDriver::setDataCharacteristics(DeviceHandle handle, int wordLength, int stopBits, int parity) {
    return failed("set data characteristics", inner_.setDataCharacteristics(handle, wordLength, stopBits, parity));
}

std::uint32_t TraceDriver::setTimeouts(DeviceHandle handle, int readMs, int writeMs) {
    return failed("set time-outs", inner_.setTimeouts(handle, readMs, writeMs));
}

std::uint32_t TraceDriver::writeByte(DeviceHandle handle, std::uint8_t byte, std::uint32_t& written) {
    flush(in_, false);
    if (out_.empty()) outStartUs_ = clock_.nowUs();
    const std::uint32_t s = inner_.writeByte(handle, byte, written);
    failed("write", s);
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
    return failed("read", s);
}

std::uint32_t TraceDriver::getStatus(DeviceHandle handle, std::uint32_t& rxQueue, std::uint32_t& txQueue,
                                     std::uint32_t& events) {
    return failed("status", inner_.getStatus(handle, rxQueue, txQueue, events));
}

std::uint32_t TraceDriver::countDevices(std::uint32_t& count) {
    const std::uint32_t s = inner_.countDevices(count);
    if (s != kOk) return failed("box count", s);
    std::string text = "boxes attached: " + std::to_string(count);
    if (const std::string reason = inner_.lastError(); count == 0 && !reason.empty()) text += " (" + reason + ")";
    event(text);
    return s;
}

} // namespace quelm
