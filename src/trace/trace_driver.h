#pragma once
// A readable protocol trace: wraps any BoxDriver and reports every frame
// written to the box and read from it, with a millisecond time stamp and
// what the frame means. Every call that fails is reported with its status
// in words and the driver's reason.
#include "core/scheduler.h"
#include "driver_api/box_driver.h"
#include "protocol/frame.h"

#include <functional>
#include <string>
#include <vector>

namespace quelm {

// What the bytes of one frame mean, in a few words ("read parameters group 1,
// detector 300"), in French for language 1; a piece of a frame is said to be one.
std::string DescribeFrame(const std::vector<std::uint8_t>& bytes, bool toBox, int language = 2);
// A driver status in words: "ok", "invalid handle", "I/O error", ...
std::string StatusName(std::uint32_t status);

class TraceDriver final : public BoxDriver {
public:
    using Sink = std::function<void(const std::string&)>;
    TraceDriver(BoxDriver& inner, const Scheduler& clock, Sink sink);
    // The same records, unformatted, for a TraceLog: a frame with the time
    // its first byte went or came, or an event (empty bytes, `text` set).
    std::function<void(std::int64_t atUs, bool toBox, const std::vector<std::uint8_t>& bytes, const std::string& text)>
        onRecord;
    ~TraceDriver() override;
    // The language of the frames' meanings on the sink: 1 French, 2 English.
    void setLanguage(int language) { language_ = language; }

    std::uint32_t open(int index, DeviceHandle& handle) override;
    std::uint32_t close(DeviceHandle handle) override;
    std::uint32_t setBaudRate(DeviceHandle handle, std::uint32_t baud) override;
    std::uint32_t setDataCharacteristics(DeviceHandle handle, int wordLength, int stopBits, int parity) override;
    std::uint32_t setTimeouts(DeviceHandle handle, int readMs, int writeMs) override;
    std::uint32_t writeByte(DeviceHandle handle, std::uint8_t byte, std::uint32_t& written) override;
    std::uint32_t readByte(DeviceHandle handle, std::uint8_t& byte, std::uint32_t& count) override;
    std::uint32_t getStatus(DeviceHandle handle, std::uint32_t& rxQueue, std::uint32_t& txQueue,
                            std::uint32_t& events) override;
    std::uint32_t countDevices(std::uint32_t& count) override;
    std::string lastError() const override { return inner_.lastError(); }
    std::string openNote() const override { return inner_.openNote(); }

private:
    // Reports a failed call: "<call> failed, status 4 (I/O error): <reason>".
    // Returns `status`.
    std::uint32_t failed(const char* call, std::uint32_t status);
    void flush(std::vector<std::uint8_t>& bytes, bool toBox);
    void flushAll();
    void event(const std::string& text);

    BoxDriver& inner_;
    const Scheduler& clock_;
    Sink sink_;
    std::int64_t originUs_;
    std::vector<std::uint8_t> out_, in_;
    std::int64_t outStartUs_ = 0, inStartUs_ = 0;
    std::string lastOpenNote_; // said once, and again when it changes
    int language_ = 2;
};

} // namespace quelm
