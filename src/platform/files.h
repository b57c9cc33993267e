#pragma once
// Reading a file that must be a regular file: a pipe or a device could keep
// the tool waiting forever, so the kind of file is checked before it is
// opened and again on what was opened (it could have been replaced in
// between), and the open itself never waits.
#include <cstdint>
#include <string>

namespace quelm::platform {

struct FileRead {
    enum class Refusal { none, missing, folder, notRegular, tooLarge, failed };
    Refusal refusal = Refusal::none;
    std::uintmax_t size = 0; // of a file too large, when known
    std::string reason;      // the system's words for `failed`, lower case first
    std::string bytes;
};

// The whole of the regular file `path` (UTF-8) when it holds at most `limit`
// bytes, else why not; or, with `startOnly`, its first `limit` bytes.
FileRead ReadRegularFile(const std::string& path, std::size_t limit, bool startOnly = false);

// The tool's standard input to its end, when it holds at most `limit`
// bytes. The wait for a slow writer is a wait a stop request ends (see
// stop_signals.h): then the read has failed, with kStoppedReason.
FileRead ReadStandardInput(std::size_t limit);
inline constexpr const char* kStoppedReason = "stopped before the end of the input";

// Whether `path` (UTF-8) stands, through its links, for the very file of
// the tool's standard input, output or error: "/dev/stdout", or the log the
// output is appended to under its own name.
bool IsStandardStream(const std::string& path);

} // namespace quelm::platform
