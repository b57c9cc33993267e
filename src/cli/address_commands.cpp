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

long long Address(const AddressList& list, std::size_t k) { return static_cast<long long>(NumericValue(list[k])); }

// The ten addresses, numbered 1 to 10 as the window numbers them.
void PrintAddresses(std::FILE* out, const AddressList& list, const std::string& number, bool json) {
    if (json) {
        std::fputc('[', out);
        for (std::size_t k = 0; k < 10; ++k) std::fprintf(out, k == 0 ? "%lld" : ", %lld", Address(list, k));
        std::fputs("]\n", out);
        return;
    }
    std::fprintf(out, Tr("Detector %s\n"), number.c_str());
    for (std::size_t k = 0; k < 10; ++k) std::fprintf(out, Tr("  address %-3zu %lld\n"), k + 1, Address(list, k));
}

// A read ends done even when a detector never reported an address in ten
// frames; such an address is not given as read.
int AddressesNotRead(const OperationResult& r, std::FILE* err) {
    if (r.notRead.empty()) return kSuccess;
    std::fprintf(err, Tr("quelmbox-cli: no valid report in ten frames for address(es)%s\n"),
                 NotReadText(r.notRead).c_str());
    return kOperationFailed;
}

} // namespace

int ReadAddresses(Form& form, const Options& o, std::FILE* out, std::FILE* err) {
    form.ui.Text3->setText(o.number);
    OperationResult last;
    const auto read = ReadAddressesSettled(form, o.timeoutSeconds, last);
    int code = Outcome(last, err);
    if (code == kSuccess) code = AddressesNotRead(last, err);
    if (code == kSuccess && read.disagreed) code = SayReadsDisagree(err, read.reads);
    if (code != kSuccess) return code;
    PrintAddresses(out, *last.addresses, o.number, o.json);
    // JSON gives the bare list: the note goes with the messages.
    if (read.reads > 1) std::fprintf(o.json ? err : out, "  (%s)\n", ReadTwiceNote(read.reads).c_str());
    return code;
}

// Done after a send means every address has been read back equal to the one
// wanted, from a report that came after its last write.
int SendAddresses(Form& form, const Options& o, std::FILE* out, std::FILE* err) {
    form.ui.Text3->setText(o.number);
    AddressList wanted;
    for (std::size_t i = 0; i < wanted.size(); ++i) wanted[i] = o.addresses[i];
    const OperationResult sent = SignalledRunner(form).sendAddresses(wanted, LimitMs(o.timeoutSeconds));
    int code = Outcome(sent, err);
    if (code == kSuccess) code = AddressesNotRead(sent, err);
    if (code == kSuccess) PrintAddresses(out, *sent.addresses, o.number, o.json);
    return code;
}

} // namespace quelm::cli
