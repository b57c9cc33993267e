#include "cli/json_failure.h"

#include "cli/json.h"
#include "platform/system.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>

namespace quelm::cli {

namespace {

// The messages reach standard error as they are written, and are recorded.
std::FILE* OpenTee(std::FILE* err, std::string& recorded) {
    return platform::OpenWriteStream(
        [err, &recorded](const char* data, std::size_t size) {
            recorded.append(data, size);
            std::fwrite(data, 1, size, err);
            std::fflush(err);
        },
        /*lineBuffered=*/false);
}

// The length of the prefix of a line the command said as its own:
// "quelmbox-cli: " in English, "quelmbox-cli : " in French, with the blank
// the window's French messages start with; 0 for another line.
std::size_t OwnPrefix(const std::string& line) {
    for (const char* prefix : {"quelmbox-cli: ", "quelmbox-cli : "})
        if (line.rfind(prefix, 0) == 0) return std::min(line.find_first_not_of(' ', std::strlen(prefix)), line.size());
    return 0;
}

// The lines the command said as its own, not the trace, as one text; the
// lines that follow one of them indented ("  output power max: read back")
// belong to it.
std::string Said(const std::string& recorded) {
    std::string said;
    std::size_t at = 0;
    bool saying = false;
    while (at < recorded.size()) {
        std::size_t end = recorded.find('\n', at);
        if (end == std::string::npos) end = recorded.size();
        const std::string line = recorded.substr(at, end - at);
        const std::size_t prefix = OwnPrefix(line);
        // Two blanks, not the trace's deeper indent.
        const bool item = saying && line.size() > 2 && line.rfind("  ", 0) == 0 && line[2] != ' ';
        if (prefix != 0)
            said += (said.empty() ? "" : "; ") + line.substr(prefix);
        else if (item)
            said += (!said.empty() && said.back() == ':' ? " " : ", ") + line.substr(2);
        saying = prefix != 0 || item;
        at = end + 1;
    }
    return said;
}

std::string TrimmedEnd(const std::string& text) {
    const std::size_t end = text.find_last_not_of(" \t\r\n");
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

std::string HeldText(std::FILE* held) {
    std::string text;
    if (held == nullptr) return text;
    std::fflush(held);
    std::rewind(held);
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, held)) > 0;) text.append(chunk, n);
    return text;
}

// What a command printed before it failed, as a JSON list: the whole text
// when it is one JSON value (a report written over several lines), else one
// item a line, each line that is not JSON given as a string.
std::string HeldAsJsonList(const std::string& held) {
    if (nlohmann::json::accept(held)) {
        std::string whole = "[";
        whole += TrimmedEnd(held);
        whole += ']';
        return whole;
    }
    std::string list = "[";
    std::size_t at = 0, count = 0;
    while (at < held.size()) {
        std::size_t end = held.find('\n', at);
        if (end == std::string::npos) end = held.size();
        const std::string line = held.substr(at, end - at);
        if (!line.empty()) list += (count++ ? ", " : "") + (nlohmann::json::accept(line) ? line : JsonString(line));
        at = end + 1;
    }
    return list + "]";
}

} // namespace

JsonOutcome::JsonOutcome(std::FILE* out, std::FILE* err)
    : out_(out), err_(err), held_(std::tmpfile()), messages_(OpenTee(err, recorded_)) {
    if (held_ == nullptr) held_ = out;
    // Where the system has no stream that passes the messages on as they
    // come, they are held and passed on when the command ends.
    if (messages_ == nullptr) {
        messages_ = std::tmpfile();
        messagesHeld_ = messages_ != nullptr;
    }
    if (messages_ == nullptr) messages_ = err;
}

JsonOutcome::~JsonOutcome() {
    if (held_ != out_) std::fclose(held_);
    if (messages_ != err_) std::fclose(messages_);
}

int JsonOutcome::finish(int code) {
    if (messagesHeld_) {
        const std::string messages = HeldText(messages_);
        std::fputs(messages.c_str(), err_);
        recorded_ += messages;
        std::fclose(messages_);
        messages_ = err_;
        messagesHeld_ = false;
    }
    const std::string held = held_ != out_ ? HeldText(held_) : "";
    if (code == 0) std::fputs(held.c_str(), out_);
    if (code != 0) {
        std::string said = Said(recorded_);
        std::string s =
            "{\"error\": " + JsonString(said.empty() ? "failed" : said) + ", \"exit\": " + std::to_string(code);
        for (const auto& [key, json] : known_) s += ", " + JsonString(key) + ": " + json;
        if (!held.empty()) s += ", \"output\": " + HeldAsJsonList(held);
        std::fprintf(out_, "%s}\n", s.c_str());
    }
    return code;
}

} // namespace quelm::cli
