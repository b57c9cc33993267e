#pragma once
// A one-line status of a long command on a terminal: the pass, the step or
// the address in hand, the tries, and the message line, rewritten in place
// on standard error while the command runs and wiped when it ends. Nothing
// is written when standard error is not a terminal.
#include "form/form.h"

#include <cstdio>
#include <string>

namespace quelm::cli {

class LiveStatus {
public:
    LiveStatus(Form& form, std::string command, std::FILE* out, std::FILE* err);
    ~LiveStatus();
    LiveStatus(const LiveStatus&) = delete;
    LiveStatus& operator=(const LiveStatus&) = delete;

    // The status as shown ("send-params 300: pass 2, step 9, try 3 | ...").
    std::string text() const;
    // Where the command writes its messages and its output: each write
    // first wipes the status.
    std::FILE* stream() const { return stream_ != nullptr ? stream_ : err_; }
    std::FILE* outStream() const { return outStream_ != nullptr ? outStream_ : out_; }
    // Writes `size` bytes to `file`, the status wiped.
    void pass(std::FILE* file, const char* data, std::size_t size);

private:
    void show();

    Form& form_;
    std::string command_;
    std::FILE* out_;
    std::FILE* err_;
    std::FILE* stream_ = nullptr;
    std::FILE* outStream_ = nullptr;
    Scheduler::TimerId timer_ = 0;
    bool shown_ = false;
};

// Standard error (or `err`) is a terminal.
bool IsTerminal(std::FILE* err);

} // namespace quelm::cli
