#include "cli/address_commands.h"

#include "cli/cli_language.h"
#include "cli/exit_codes.h"
#include "cli/live_read.h"
#include "cli/messages.h"
#include "core/roles.h"
#include "protocol/number.h"

#include <string>

namespace quelm::cli {

namespace {

long long Address(const Form& f, std::size_t k) { return static_cast<long long>(NumericValue(f.ui.Text1[k]->text())); }

// The ten addresses, numbered 1 to 10 as the window numbers them.
void PrintAddresses(std::FILE* out, const Form& f, const std::string& number, bool json) {
    if (json) {
        std::fputc('[', out);
        for (std::size_t k = 0; k < 10; ++k) std::fprintf(out, k == 0 ? "%lld" : ", %lld", Address(f, k));
        std::fputs("]\n", out);
        return;
    }
    std::fprintf(out, Tr("Detector %s\n"), number.c_str());
    for (std::size_t k = 0; k < 10; ++k) std::fprintf(out, Tr("  address %-3zu %lld\n"), k + 1, Address(f, k));
}

// A read ends with line 18 even when a detector never reported an address in
// ten frames; such an address stays disabled with the text it had, and is
// not given as read.
int AddressesNotRead(const Form& f, std::FILE* err) {
    std::string missing;
    for (std::size_t k = 0; k < 10; ++k)
        if (!f.ui.Text1[k]->enabled()) {
            missing += ' ';
            missing += std::to_string(k + 1);
        }
    if (missing.empty()) return kSuccess;
    std::fprintf(err, Tr("quelmbox-cli: no valid report in ten frames for address(es)%s\n"), missing.c_str());
    return kOperationFailed;
}

} // namespace

int ReadAddresses(Form& form, const Options& o, std::FILE* out, std::FILE* err) {
    form.ui.Text3->setText(o.number);
    bool stopped = false;
    const auto read = ReadAddressesSettled(form, o.timeoutSeconds, stopped);
    int code = Outcome(form, stopped, addressesDone, err);
    if (code == kSuccess) code = AddressesNotRead(form, err);
    if (code == kSuccess && read.disagreed) code = SayReadsDisagree(err, read.reads);
    if (code != kSuccess) return code;
    PrintAddresses(out, form, o.number, o.json);
    // JSON gives the bare list: the note goes with the messages.
    if (read.reads > 1) std::fprintf(o.json ? err : out, "  (%s)\n", ReadTwiceNote(read.reads).c_str());
    return code;
}

// Line 18 after a send means every address has been read back equal to the
// one wanted, from a report that came after its last write.
int SendAddresses(Form& form, const Options& o, std::FILE* out, std::FILE* err) {
    form.ui.Text3->setText(o.number);
    for (std::size_t i = 0; i < 10; ++i) form.ui.Text2[i]->setText(o.addresses[i]);
    const bool stopped = RunUntilOver(
        form, [&form] { form.ui.Command[button::sendAddresses]->click(); }, o.timeoutSeconds);
    int code = Outcome(form, stopped, addressesDone, err);
    if (code == kSuccess) code = AddressesNotRead(form, err);
    if (code == kSuccess) PrintAddresses(out, form, o.number, o.json);
    return code;
}

} // namespace quelm::cli
