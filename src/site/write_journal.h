#pragma once
// What an operation has written into the detector, followed frame by frame
// as the link sends and takes them: told when a send is cut short (a stop, a
// time-out, a pulled box, a failure), so that the user knows what the
// detector may hold now.
#include "form/form.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quelm {

class WriteJournal {
public:
    // How far a value went: the write frame left, the box acknowledged it,
    // the detector confirmed it (it answered the call after a parameter, an
    // address was read back equal, the new number was answered).
    enum class Reached { sent, acknowledged, confirmed };
    struct Write {
        int target;        // a parameter 0 to 8 (report order), an address 10 to 19, the number 20
        std::string value; // as the report writes it: "max", "70", "1004"
        std::int64_t number;
        Reached reached;
    };

    // Follows the frames of `f` from now on (after whoever followed them
    // before), until it goes.
    explicit WriteJournal(Form& f);
    ~WriteJournal();
    WriteJournal(const WriteJournal&) = delete;
    WriteJournal& operator=(const WriteJournal&) = delete;

    // The last write of each target, in the order they went.
    const std::vector<Write>& writes() const { return writes_; }
    void clear() { writes_.clear(); }
    // Whether the new number went out and what became of it.
    const Write* newNumber() const;

private:
    void add(const Frame& frame, bool toBox);

    Form& f_;
    std::function<void(const Frame&, bool)> previous_;
    std::vector<Write> writes_;
};

// The field a write sets, as the report names it: "outputPower", "address4",
// "number".
std::string WriteField(const WriteJournal::Write& w);
// The write in words, in `language` (1 French, 2 English): "output power
// max", "level ON+ 70 %", "address 4 = 1004", "new number 301".
std::string WriteLabel(const WriteJournal::Write& w, int language = 2);
// "sent, not acknowledged by the box", "acknowledged by the box, no answer
// since", "the detector answered after it", "read back", ... in `language`.
const char* HowFar(const WriteJournal::Write& w, int language = 2);
// "sent", "acknowledged", "confirmed".
const char* ReachedName(WriteJournal::Reached r);

} // namespace quelm
