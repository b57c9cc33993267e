#include "files/text_file.h"

#include "platform/file_replace.h"
#include "platform/files.h"
#include "platform/path_text.h"

#include <algorithm>
#include <utility>

namespace quelm {

namespace {

// Code points of the bytes 0x80 to 0x9F; the other bytes map to themselves.
constexpr char16_t kHighControls[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The next code point of `s` from `at`, moving `at` past it; U+FFFD for a
// byte that does not start a valid sequence (then `at` moves by one byte).
char32_t NextCodePoint(std::string_view s, std::size_t& at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char b = byte(at);
    const int length = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (length == 0 || at + static_cast<std::size_t>(length) > s.size()) {
        ++at;
        return 0xFFFD;
    }
    char32_t c = length == 1 ? b : b & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        const unsigned char next = byte(at + static_cast<std::size_t>(i));
        if ((next >> 6) != 2) {
            ++at;
            return 0xFFFD;
        }
        c = (c << 6) | (next & 0x3F);
    }
    at += static_cast<std::size_t>(length);
    return c;
}

char ToWindows1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
    return '?';
}

WritePointHook writePointHook = nullptr;

constexpr const char* kLinkRefused = "it is a symbolic link, which is not followed here";
constexpr const char* kReadOnly = "the file is read-only (it is not replaced)";
constexpr const char* kNotRegular = "it is not a regular file (a pipe, a device or a folder is never replaced)";

// A name that already stands for something other than a regular file.
bool NotRegular(const std::filesystem::path& name) {
    std::error_code ec;
    const auto status = std::filesystem::status(name, ec);
    return std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
}

void Reached(WritePoint point) {
    if (writePointHook) writePointHook(point);
}

// All of `bytes` to `file`, then to the disk.
bool WriteAndSync(platform::NewFile& file, std::string_view bytes, std::string& reason) {
    while (!bytes.empty()) {
        const std::size_t n = file.write(bytes.data(), std::min(bytes.size(), kWriteChunk), reason);
        if (n == 0) return false;
        bytes.remove_prefix(n);
        Reached(WritePoint::chunkWritten);
    }
    if (!file.flush(reason)) return false;
    Reached(WritePoint::synced);
    return true;
}

} // namespace

std::string DecodeWindows1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char b : bytes) {
        const auto byte = static_cast<unsigned char>(b);
        AppendUtf8(out, byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : byte);
    }
    return out;
}

std::string EncodeWindows1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) out += ToWindows1252(NextCodePoint(utf8, at));
    return out;
}

std::optional<std::string> ReadFileStart(const std::filesystem::path& file, std::size_t limit, std::string& error) {
    using Refusal = platform::FileRead::Refusal;
    const std::string name = platform::Utf8OfPath(file); // the path as the caller gave it
    platform::FileRead read = platform::ReadRegularFile(platform::Utf8OfPath(file), limit, /*startOnly=*/true);
    switch (read.refusal) {
    case Refusal::none: return std::move(read.bytes);
    case Refusal::missing: error = "cannot open " + name + ": no such file"; break;
    case Refusal::folder: error = "cannot open " + name + ": is a folder"; break;
    case Refusal::notRegular:
    case Refusal::tooLarge: error = "cannot read " + name + ": it is not a regular file"; break;
    case Refusal::failed: error = "cannot open " + name + ": " + read.reason; break;
    }
    return std::nullopt;
}

void SetWritePointHook(WritePointHook hook) { writePointHook = hook; }

bool CheckWritable(const std::filesystem::path& file, std::filesystem::path& target, std::string& error) {
    const auto fail = [&](const std::string& reason) {
        error = "cannot write " + platform::Utf8OfPath(file) + ": " + reason;
        return false;
    };
    std::string reason;
    if (platform::IsStandardStream(platform::Utf8OfPath(file)))
        return fail("it is the tool's own standard input, output or error");
    if (!platform::FollowLinks(file, target, reason)) return fail(reason);
    if (NotRegular(target)) return fail(kNotRegular);
    if (platform::WriteProtected(target)) return fail(kReadOnly);
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) return fail("no folder " + platform::Utf8OfPath(folder));
    // A file of our own made there and removed says that the write can be made.
    platform::NewFile probe;
    if (!probe.create(folder, true, reason)) return fail(reason);
    probe.close(reason);
    std::filesystem::remove(probe.path(), ec);
    return true;
}

// The temporary file is created beside the file the name really stands for
// (through its links, which stay links), under a name of its own: nothing
// that already exists is opened. It takes the old file's mode and owner
// before it is renamed over it.
bool WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes, std::string& error, Links links) {
    const auto fail = [&](const std::string& reason) {
        error = "cannot write " + platform::Utf8OfPath(file) + ": " + reason;
        return false;
    };
    std::filesystem::path target = file;
    std::string reason;
    std::error_code ec;
    if (links == Links::refuse && std::filesystem::is_symlink(std::filesystem::symlink_status(file, ec)))
        return fail(kLinkRefused);
    if (links == Links::follow && !platform::FollowLinks(file, target, reason)) return fail(reason);
    if (NotRegular(target)) return fail(kNotRegular);
    if (platform::WriteProtected(target)) return fail(kReadOnly);
    const auto old = platform::RegularFileStatus(target);
    platform::NewFile temporary;
    if (!temporary.create(target.parent_path(), old.has_value(), reason)) return fail(reason);
    Reached(WritePoint::temporaryOpened);
    if (old) temporary.takeModeAndOwner(*old);
    const bool written = WriteAndSync(temporary, bytes, reason);
    std::string closing;
    if (!temporary.close(closing) && written) reason = closing;
    if (reason.empty()) Reached(WritePoint::closed);
    if (reason.empty() && platform::ReplaceWith(target, temporary.path(), reason)) {
        Reached(WritePoint::renamed);
        platform::SyncFolder(target.parent_path());
        Reached(WritePoint::folderSynced);
        return true;
    }
    std::filesystem::remove(temporary.path(), ec);
    return fail(reason);
}

} // namespace quelm
