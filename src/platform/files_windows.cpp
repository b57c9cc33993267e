#include "platform/files.h"

#include "platform/stop_signals.h"
#include "platform/wide_text.h"

#include <windows.h>

#include <algorithm>
#include <cctype>

namespace quelm::platform {
namespace {

using Refusal = FileRead::Refusal;

FileRead failed(DWORD code) {
    FileRead read;
    read.refusal = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? Refusal::missing : Refusal::failed;
    read.reason = SystemMessage(code);
    if (!read.reason.empty() && read.reason.back() == '.') read.reason.pop_back();
    if (!read.reason.empty())
        read.reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(read.reason[0])));
    return read;
}

FileRead Stopped() {
    FileRead read;
    read.refusal = Refusal::failed;
    read.reason = kStoppedReason;
    return read;
}

} // namespace

FileRead ReadRegularFile(const std::string& path, std::size_t limit, bool startOnly) {
    const std::wstring name = WideOf(path);
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return failed(::GetLastError());
    FileRead read;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        read.refusal = Refusal::folder;
        return read;
    }
    const HANDLE h = ::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return failed(::GetLastError());
    LARGE_INTEGER size{};
    if (::GetFileType(h) != FILE_TYPE_DISK) {
        read.refusal = Refusal::notRegular;
    } else if (!::GetFileSizeEx(h, &size)) {
        read = failed(::GetLastError());
    } else if (!startOnly && static_cast<std::uintmax_t>(size.QuadPart) > limit) {
        read.refusal = Refusal::tooLarge;
        read.size = static_cast<std::uintmax_t>(size.QuadPart);
    }
    // Read to the end, but never past the limit: the file may grow meanwhile.
    char chunk[1 << 16];
    while (read.refusal == Refusal::none && !(startOnly && read.bytes.size() == limit)) {
        const std::size_t want = startOnly ? std::min(sizeof chunk, limit - read.bytes.size()) : sizeof chunk;
        DWORD n = 0;
        if (!::ReadFile(h, chunk, static_cast<DWORD>(want), &n, nullptr))
            read = failed(::GetLastError());
        else if (n == 0)
            break;
        else if (read.bytes.size() + n > limit)
            read.refusal = Refusal::tooLarge;
        else
            read.bytes.append(chunk, n);
    }
    ::CloseHandle(h);
    if (read.refusal != Refusal::none) read.bytes.clear();
    return read;
}

namespace {

// A pipe is read only once it holds something, so that a wait on a slow
// writer looks at the stop request every 50 ms; a console's read ends with
// Ctrl+C, and a file's never waits. True when there is something to read
// (or the pipe cannot say, and the read waits), false at a stop.
bool WaitForPipe(HANDLE in, FileRead& read) {
    for (;;) {
        if (StopSignal() != 0) {
            read = Stopped();
            return false;
        }
        DWORD available = 0;
        if (!::PeekNamedPipe(in, nullptr, 0, nullptr, &available, nullptr) || available > 0) return true;
        ::Sleep(50);
    }
}

bool SameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    return ::GetFileInformationByHandle(a, &x) && ::GetFileInformationByHandle(b, &y) &&
           x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
           x.nFileIndexLow == y.nFileIndexLow;
}

} // namespace

FileRead ReadStandardInput(std::size_t limit) {
    FileRead read;
    const HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
    const bool pipe = ::GetFileType(in) == FILE_TYPE_PIPE;
    char chunk[1 << 16];
    while (read.refusal == Refusal::none) {
        if (pipe && !WaitForPipe(in, read)) break;
        DWORD n = 0;
        if (!::ReadFile(in, chunk, sizeof chunk, &n, nullptr)) {
            if (::GetLastError() != ERROR_BROKEN_PIPE) read = failed(::GetLastError());
            break;
        }
        if (StopSignal() != 0)
            read = Stopped();
        else if (n == 0)
            break;
        else if (read.bytes.size() + n > limit)
            read.refusal = Refusal::tooLarge;
        else
            read.bytes.append(chunk, n);
    }
    if (read.refusal != Refusal::none) read.bytes.clear();
    return read;
}

bool IsStandardStream(const std::string& path) {
    const HANDLE named = ::CreateFileW(WideOf(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (named == INVALID_HANDLE_VALUE) return false;
    bool same = false;
    for (const DWORD stream : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE})
        same = same || SameFile(named, ::GetStdHandle(stream));
    ::CloseHandle(named);
    return same;
}

} // namespace quelm::platform
