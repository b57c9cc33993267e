#pragma once
// A one-line status of a long command on a terminal, in the user's words:
// what it waits for and how often it asked already, rewritten in place
// on standard error while the command runs and wiped when it ends. Nothing
// is written when standard error is not a terminal.
#include "form/form.h"

#include <cstdio>
#include <string>

namespace quelm::cli {

class LiveStatus {
public:
    // `subject` is what the command works on ("detector 300").
    LiveStatus(Form& form, std::string subject, std::FILE* out, std::FILE* err);
    ~LiveStatus();
    LiveStatus(const LiveStatus&) = delete;
    LiveStatus& operator=(const LiveStatus&) = delete;

    // The status as shown ("detector 299: no answer, try 2 (Ctrl-C stops)").
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
    std::string subject_;
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
