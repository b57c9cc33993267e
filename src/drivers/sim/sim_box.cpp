// The two serial lines of the simulated box: host bytes are gathered into
// five-byte frames, replies go back byte by byte through the faults.
#include "drivers/sim/sim_box.h"

#include <algorithm>
#include <utility>

namespace quelm::sim {

namespace {

// Appends, dropping the oldest half once the record is full.
template <class T>
void Record(std::vector<T>& record, const T& item) {
    if (record.size() >= kRecordLimit)
        record.erase(record.begin(), record.begin() + static_cast<std::ptrdiff_t>(kRecordLimit / 2));
    record.push_back(item);
}

} // namespace

SimBox::SimBox(BoxConfig config, std::uint64_t seed) : config_(std::move(config)), rng_(seed) {}

void SimBox::hostByte(std::int64_t tUs, std::uint8_t byte) {
    if (!plugged_) return; // nobody at the other end of the cable
    written_.push_back(byte);
    if (written_.size() == 5) {
        constexpr std::size_t kHostFrames = 256;
        hostFrames_.push_back({tUs, {written_[0], written_[1], written_[2], written_[3], written_[4]}});
        if (hostFrames_.size() > kHostFrames) hostFrames_.pop_front();
        written_.clear();
    }
    if (!hostFaults_.any()) return receiveByte(tUs, byte);
    const Faults& h = hostFaults_;
    if (chance(h.junk)) receiveByte(tUs, static_cast<std::uint8_t>(nextRandom() & 0xFF));
    if (chance(h.delay) && h.maxDelayMs > 0)
        tUs += 1 + static_cast<std::int64_t>(below(static_cast<std::uint64_t>(h.maxDelayMs) * 1000));
    if (chance(h.corrupt)) byte ^= static_cast<std::uint8_t>(1u << below(8));
    if (chance(h.drop)) return;
    if (chance(h.cut)) partial_.clear();
    receiveByte(tUs, byte);
    if (chance(h.duplicate)) receiveByte(tUs, byte);
}

void SimBox::receiveByte(std::int64_t tUs, std::uint8_t byte) {
    const std::int64_t arrival = std::max(tUs, hostLineFreeUs_) + kByteWireUs;
    hostLineFreeUs_ = arrival;
    // Frames have no delimiter: a long pause is the only way the box can
    // drop the start of a frame that will never be finished.
    if (arrival - lastHostByteUs_ > kFrameGapUs) partial_.clear();
    lastHostByteUs_ = arrival;
    Record(fromHost_, TimedByte{arrival, byte});
    ++bytesFromHostTotal_;
    partial_.push_back(byte);
    if (partial_.size() < 5) return;
    Frame f{};
    std::copy(partial_.begin(), partial_.end(), f.begin());
    partial_.clear();
    Record(frames_, ReceivedFrame{arrival, f});
    ++framesReceivedTotal_;
    onFrame(arrival, f);
}

std::size_t SimBox::pending(std::int64_t tUs) const {
    const auto firstLater =
        std::find_if(toHost_.begin(), toHost_.end(), [tUs](const TimedByte& b) { return b.tUs > tUs; });
    return static_cast<std::size_t>(firstLater - toHost_.begin());
}

bool SimBox::takeByte(std::int64_t tUs, std::uint8_t& byte) {
    if (toHost_.empty() || toHost_.front().tUs > tUs) return false;
    byte = toHost_.front().byte;
    toHost_.pop_front();
    return true;
}

std::optional<std::int64_t> SimBox::nextArrivalUs() const {
    if (toHost_.empty()) return std::nullopt;
    return toHost_.front().tUs;
}

void SimBox::inject(std::int64_t tUs, const std::vector<std::uint8_t>& bytes) {
    if (!plugged_) return;
    std::int64_t line = std::max(tUs, boxLineFreeUs_);
    for (std::uint8_t b : bytes) line = put(line, b);
    boxLineFreeUs_ = line;
}

void SimBox::unplug() {
    plugged_ = false;
    toHost_.clear();
    partial_.clear();
}

void SimBox::plugIn() {
    plugged_ = true;
    written_.clear(); // a frame cut by the unplugging is never finished
}

Detector* SimBox::detector(std::uint32_t number) {
    return const_cast<Detector*>(std::as_const(*this).detector(number));
}

const Detector* SimBox::detector(std::uint32_t number) const {
    auto it = std::find_if(config_.detectors.begin(), config_.detectors.end(),
                           [number](const Detector& d) { return d.number == number; });
    return it == config_.detectors.end() ? nullptr : &*it;
}

void SimBox::refuseAddressWrites(int index, int times) {
    refusedAddress_ = index;
    refusalsLeft_ = times;
}

void SimBox::onFrame(std::int64_t tUs, const Frame& f) {
    if (auto a = answer(f)) {
        // A reply to a read comes as slowly as the detector read answers.
        const bool read = (f[0] >= 16 && f[0] <= 25) || (f[0] >= 64 && f[0] <= 66);
        const Detector* d = read && selected_ ? detector(*selected_) : nullptr;
        reply(tUs, *a, d != nullptr ? d->slownessUs : 0);
        recentReplies_.back().request = f;
    }
}

bool SimBox::hostWrote(const std::array<std::uint8_t, 5>& frame, std::int64_t fromUs) const {
    return std::any_of(hostFrames_.begin(), hostFrames_.end(),
                       [&](const ReceivedFrame& w) { return w.tUs >= fromUs && w.bytes == frame; });
}

// A reply starts one turnaround after its request, or when the line has
// finished the previous one. A cut keeps one to four bytes of the frame.
void SimBox::reply(std::int64_t tUs, const Frame& f, std::int64_t slownessUs) {
    constexpr std::size_t kRecentReplies = 64;
    recentReplies_.push_back({tUs, f});
    if (recentReplies_.size() > kRecentReplies) recentReplies_.pop_front();
    std::int64_t start = tUs + config_.turnaroundUs + slownessUs;
    if (config_.jitterUs > 0)
        start += static_cast<std::int64_t>(below(static_cast<std::uint64_t>(config_.jitterUs) + 1));
    std::int64_t line = std::max(start, boxLineFreeUs_);
    std::size_t keep = f.size();
    if (chance(faults_.cut)) keep = 1 + below(f.size() - 1);
    for (std::size_t i = 0; i < keep; ++i) line = sendByte(line, f[i]);
    boxLineFreeUs_ = line;
}

// A dropped byte still takes its time on the line; a delay holds the line,
// so the bytes after it come late as well.
std::int64_t SimBox::sendByte(std::int64_t lineUs, std::uint8_t byte) {
    if (chance(faults_.junk)) lineUs = put(lineUs, static_cast<std::uint8_t>(nextRandom() & 0xFF));
    if (chance(faults_.delay) && faults_.maxDelayMs > 0)
        lineUs += 1 + static_cast<std::int64_t>(below(static_cast<std::uint64_t>(faults_.maxDelayMs) * 1000));
    if (chance(faults_.corrupt)) byte ^= static_cast<std::uint8_t>(1u << below(8));
    if (chance(faults_.drop)) return lineUs + kByteWireUs;
    lineUs = put(lineUs, byte);
    if (chance(faults_.duplicate)) lineUs = put(lineUs, byte);
    return lineUs;
}

// One byte on the box-to-host line: it arrives at the end of its wire time.
std::int64_t SimBox::put(std::int64_t lineUs, std::uint8_t byte) {
    lineUs += kByteWireUs;
    if (toHost_.size() < kReceiveQueueLimit) toHost_.push_back({lineUs, byte});
    return lineUs;
}

// splitmix64: small, fast, and the same sequence on every platform.
std::uint64_t SimBox::nextRandom() {
    std::uint64_t z = (rng_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double SimBox::uniform() { return static_cast<double>(nextRandom() >> 11) * 0x1.0p-53; }

std::uint64_t SimBox::below(std::uint64_t n) { return n == 0 ? 0 : nextRandom() % n; }

} // namespace quelm::sim
