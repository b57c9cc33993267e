#include "cli/live_status.h"

#include "core/printable.h"
#include "form/exchange_state.h"
#include "platform/system.h"

#include <utility>

namespace quelm::cli {

namespace {

constexpr int kEveryMs = 200;

std::FILE* OpenStream(LiveStatus* status, std::FILE* file) {
    return platform::OpenWriteStream(
        [status, file](const char* data, std::size_t size) { status->pass(file, data, size); });
}

} // namespace

bool IsTerminal(std::FILE* err) { return platform::IsTerminal(err); }

LiveStatus::LiveStatus(Form& form, std::string command, std::FILE* out, std::FILE* err)
    : form_(form), command_(std::move(command)), out_(out), err_(err) {
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

std::string LiveStatus::text() const {
    const ExchangeState& x = form_.x;
    std::string s = command_ + ":";
    if (x.sendPass > 0 && x.paramSendActive == 1) s += " pass " + std::to_string(x.sendPass) + ",";
    if (x.operation == kReadAddresses || x.operation == kSendAddresses)
        s += " address " + std::to_string(x.addressIndex < 0 ? 1 : x.addressIndex + 1) + ",";
    else if (x.stepTimer != 0)
        s += " step " + std::to_string(x.stepTimer) + ",";
    if (x.operation == kIdle)
        s += " attempt " + std::to_string(x.attemptCount);
    else if (x.tryCount > 0 && x.tryCount < 10)
        s += " try " + std::to_string(x.tryCount + 1);
    else
        s += " try 1";
    const std::string& message = form_.ui.Text5->text();
    if (!message.empty()) s += " |" + (message[0] == ' ' ? message : " " + message);
    return s.size() > 100 ? s.substr(0, 100) : s;
}

void LiveStatus::show() {
    std::fprintf(err_, "\r\033[K%s", Printable(text()).c_str());
    std::fflush(err_);
    shown_ = true;
}

} // namespace quelm::cli
