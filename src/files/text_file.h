#pragma once
// Single-byte Windows-1252 text files, as the settings, language and project
// files are: the code page both ways, a bounded read of regular files only,
// and a write that replaces a file whole or not at all.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quelm {

// Windows-1252 bytes as UTF-8. The five bytes the code page leaves undefined
// (81, 8D, 8F, 90, 9D) become the control characters of the same number.
std::string DecodeWindows1252(std::string_view bytes);
// UTF-8 text as Windows-1252 bytes; a character the code page lacks, or a
// byte that is not valid UTF-8, becomes "?".
std::string EncodeWindows1252(std::string_view utf8);

// The file's first `limit` bytes, or nothing with the reason in `error`.
// Only a regular file is opened: a pipe or a device could keep the tool
// waiting forever.
std::optional<std::string> ReadFileStart(const std::filesystem::path& file, std::size_t limit, std::string& error);

// What a write does with a name that is a symbolic link.
enum class Links {
    follow, // the link stays one: the file it points to is replaced, in that file's folder
    refuse, // nothing is written: a folder others write into cannot send a write elsewhere
};

// Replaces `file` with `bytes`: written to a new temporary file of its own
// beside it, given the old file's mode and owner, flushed to the disk, then
// renamed over it. Only a regular file is replaced: a pipe, a device or a
// folder of that name is refused, and so is a file marked read-only. On any failure the temporary file is
// removed, the old file stays as it was, and `error` says why.
bool WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes, std::string& error,
                         Links links = Links::follow);

// Whether WriteFileAtomically could write `file` now, checked before long
// work whose result goes there: the name stands, through its links, for a
// regular file not marked read-only or for nothing yet, in a folder where a file can be made, and
// it is not the tool's own standard input, output or error by another name
// ("/dev/stdout"). `target` is the name the write would replace.
bool CheckWritable(const std::filesystem::path& file, std::filesystem::path& target, std::string& error);

// The steps of WriteFileAtomically at which a crash leaves a different state
// on the disk. The writer calls a hook, when one is set, at each of them: the
// crash tests kill the process there. The tool sets none.
enum class WritePoint { temporaryOpened, chunkWritten, synced, closed, renamed, folderSynced };
using WritePointHook = void (*)(WritePoint);
void SetWritePointHook(WritePointHook hook);
// The largest single write; a longer file is written in several.
inline constexpr std::size_t kWriteChunk = 4096;

} // namespace quelm
