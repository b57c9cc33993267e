#pragma once
// With --json a failure is JSON too: the output is held while the command
// runs, its messages are recorded as they go to standard error, and a command
// that fails prints an object with the error, the exit code and what it knew.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace quelm::cli {

class JsonOutcome {
public:
    JsonOutcome(std::FILE* out, std::FILE* err);
    ~JsonOutcome();
    JsonOutcome(const JsonOutcome&) = delete;
    JsonOutcome& operator=(const JsonOutcome&) = delete;

    // Where the command writes: its output, held; its messages, passed on.
    std::FILE* out() const { return held_; }
    std::FILE* err() const { return messages_; }
    // A member of the failure's object ("detector", 300 as JSON).
    void know(const std::string& key, const std::string& json) { known_.emplace_back(key, json); }
    // The held output, then, for a failure, the failure's object on the real
    // output. Returns the code, or 1 when the output could not be written.
    int finish(int code);

private:
    std::FILE* out_;
    std::FILE* err_;
    std::FILE* held_;
    std::FILE* messages_;
    std::string recorded_;
    bool messagesHeld_ = false; // messages_ is a file of its own, passed on at the end
    std::vector<std::pair<std::string, std::string>> known_;
};

} // namespace quelm::cli
