#include "cli/live_status.h"

#include "cli/cli_language.h"
#include "core/printable.h"
#include "form/exchange_state.h"
#include "platform/system.h"

#include <cstdio>
#include <utility>

namespace quelm::cli {

namespace {

constexpr int kEveryMs = 200;

// At most `limit` bytes of `s`, never cutting a character in two.
std::string Utf8Prefix(const std::string& s, std::size_t limit) {
    if (s.size() <= limit) return s;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) --end;
    return s.substr(0, end);
}

std::FILE* OpenStream(LiveStatus* status, std::FILE* file) {
    return platform::OpenWriteStream(
        [status, file](const char* data, std::size_t size) { status->pass(file, data, size); });
}

} // namespace

bool IsTerminal(std::FILE* err) { return platform::IsTerminal(err); }

LiveStatus::LiveStatus(Form& form, std::string subject, std::FILE* out, std::FILE* err)
    : form_(form), subject_(std::move(subject)), out_(out), err_(err) {
    if (!IsTerminal(err_)) return;
    stream_ = OpenStream(this, err_);
    // Output to the same terminal wipes the status first as well.
    if (stream_ != nullptr && IsTerminal(out_)) outStream_ = OpenStream(this, out_);
    if (stream_ != nullptr) timer_ = form_.clock.startTimer(kEveryMs, [this] { show(); });
}

LiveStatus::~LiveStatus() {
    if (timer_ != 0) form_.clock.stopTimer(timer_);
    if (stream_ != nullptr) std::fclose(stream_);
    if (outStream_ != nullptr) std::fclose(outStream_);
    pass(err_, "", 0);
}

void LiveStatus::pass(std::FILE* file, const char* data, std::size_t size) {
    if (shown_) std::fputs("\r\033[K", err_);
    std::fflush(err_);
    shown_ = false;
    std::fwrite(data, 1, size, file);
    std::fflush(file);
}

// A sentence of the catalogue with one number filled in.
std::string WithNumber(const char* english, int n) {
    char s[160];
    std::snprintf(s, sizeof s, Tr(english), n);
    return s;
}

// What the tool is doing, in words: the pass of a send and the address in
// hand, then whether it waits for the box, for a detector to report its
// number, or for a detector's answer, and how often it asked already.
std::string LiveStatus::text() const {
    const ExchangeState& x = form_.x;
    std::string s = subject_ + (Language() == 1 ? " : " : ": ");
    if (x.sendPass > 0 && x.paramSendActive == 1) s += WithNumber("pass %d", x.sendPass) + ", ";
    if (x.operation == kReadAddresses || x.operation == kSendAddresses)
        s += WithNumber("address %d", x.addressIndex < 0 ? 1 : x.addressIndex + 1) + ", ";
    if (x.operation == kIdle && form_.link.deviceCount != 1)
        s += Tr("looking for the box");
    else if (x.operation == kIdle)
        s += Tr("waiting for a detector to report its number");
    else if (x.attemptCount > 0 && x.attemptCount < kAbortMarker) // the watchdog asked again
        s += WithNumber("no answer, try %d", x.attemptCount + 1);
    else if (x.tryCount > 0 && x.tryCount < kMaxTries)
        s += WithNumber("no valid answer, try %d", x.tryCount + 1);
    else
        s += Tr("waiting for an answer");
    s += std::string(" (") + Tr("Ctrl-C stops") + ")";
    return Utf8Prefix(s, 100);
}

void LiveStatus::show() {
    std::fprintf(err_, "\r\033[K%s", Printable(text()).c_str());
    std::fflush(err_);
    shown_ = true;
}

} // namespace quelm::cli
