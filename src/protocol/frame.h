#pragma once
// The five-byte frame of the box link: byte 1 the command or reply code,
// bytes 2 to 4 data (a number as 24 bits, most significant byte first),
// byte 5 the exclusive-or of bytes 1 to 4, except in the box's fixed frames
// and in the parameter writes whose byte 5 carries the value.
#include <array>
#include <cstdint>
#include <string>

namespace quelm {

// Bytes 1 to 5 of a frame; position 0 is unused so that positions read as
// the protocol numbers them. A frame being built may hold a value with no
// 8-bit form (a number beyond 24 bits); such a frame is never sent.
using Frame = std::array<std::int64_t, 6>;

namespace code {

// Command codes (byte 1 of a frame the tool sends) and reply codes (byte 1
// of a frame the box sends).
enum Code : int {
    kBoxFrame = 0,       // connection test, box channel; the box's acknowledgement
    kTestNumber = 1,     // test number sent; a detector reporting its number
    kReadAddress0 = 16,  // read address 0 .. 9: 16 .. 25
    kAddressValue0 = 32, // value of address 0 .. 9: 32 .. 41
    kWriteAddress0 = 48, // write address 0 .. 9: 48 .. 57
    kReadGroup1 = 64,    // parameter group 1: power, channel, dynamic time
    kReadGroup2 = 65,    // parameter group 2: rise, fall, level ON+
    kReadGroup3 = 66,    // parameter group 3: levels DYN+ and DYN-, command type
    kWriteRiseTime = 68, // 68 .. 73: byte 5 carries the value
    kWriteFallTime = 69,
    kWriteLevelOnPlus = 70,
    kWriteLevelDynPlus = 71,
    kWriteLevelDynMinus = 72,
    kWriteCommandType = 73,
    kWriteDynamicTime0 = 80, // one code per choice: 80 .. 85
    kWriteChannelA = 86,
    kWriteChannelB = 87,
    kWritePowerMax = 88,
    kWritePowerMed = 89,
    kWritePowerMin = 90,
    kCallNumber = 96,    // call the detector with this number; its answer
    kProgramNumber = 97, // program this new number; the detector's confirmation
};

constexpr int kAddressCount = 10;

} // namespace code

// The highest number a detector (or an address) can carry.
constexpr std::int64_t kMaxDetectorNumber = 1048574;

// The box's fixed frames.
constexpr Frame kConnectionTestFrame{0, 0, 1, 1, 2, 2};
// Box channel 3 = A, 4 = B, carried in byte 5.
constexpr Frame BoxChannelFrame(int channel) { return {0, 0, 1, 2, 3, channel}; }

// The exclusive-or of bytes 1 to 4.
std::int64_t CheckByte(const Frame& f);
bool CheckByteRight(const Frame& f);
// A reply whose byte 1 is `code` and whose check byte is right.
bool IsReply(const Frame& f, std::int64_t code);
// Bytes 2 to 4 read as one number.
std::int64_t FrameNumber(const Frame& f);

// What a received frame is.
enum class ReplyKind {
    blank,           // five equal bytes, an empty queue included: nothing came
    acknowledgement, // 0, 1, 2, 3, channel
    numberReport,    // 1 with its check byte: a detector reports its number
    addressReport,   // 32 .. 41 with their check byte
    parameterReply,  // 64, 65, 66 with their check byte
    numberReply,     // 96 or 97 with their check byte
    other,           // a wrong check byte or an unknown code
};
ReplyKind ClassifyReply(const Frame& f);

// The five bytes as they travel, for the trace and the simulated line.
using WireFrame = std::array<std::uint8_t, 5>;
Frame FromWire(const WireFrame& w);

// One line that says what a frame means, as the trace prints it, in French
// for language 1 and in English for any other.
std::string DescribeFrame(const Frame& f, bool toBox, int language = 2);

} // namespace quelm
