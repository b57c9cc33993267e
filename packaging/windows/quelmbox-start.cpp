// quelmbox-start.exe, what the Start-menu entry runs. The window reads its
// settings and language files from its working folder and writes the
// language choice there, while the installation folder under Program Files
// is not the user's to write. So each user gets a folder of their own,
// %APPDATA%\quelmbox, filled from the installed files at every start: the
// language files refreshed, param_box.dat copied only when missing so that
// the language chosen survives an update. Then the window starts there, with
// this program's arguments, and its exit status is returned. The installed
// files are only read.
#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include <string>
#include <vector>

namespace {

const wchar_t kTitle[] = L"quelmbox";
const wchar_t kSettings[] = L"param_box.dat";

std::wstring systemMessage(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD n =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = n > 0 ? std::wstring(text, n) : L"error " + std::to_wstring(code);
    ::LocalFree(text);
    return message;
}

// Shown, since nobody reads the exit status of a Start-menu entry.
int fail(const std::wstring& what, DWORD code) {
    const std::wstring text = what + L"\n\n" + systemMessage(code);
    ::MessageBoxW(nullptr, text.c_str(), kTitle, MB_OK | MB_ICONERROR);
    return 1;
}

std::wstring installFolder() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            std::wstring path(buffer.data(), n);
            return path.substr(0, path.find_last_of(L"\\/"));
        }
        buffer.resize(buffer.size() * 2);
    }
}

HRESULT userFolder(std::wstring& folder) {
    wchar_t* roaming = nullptr;
    const HRESULT result = ::SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &roaming);
    if (SUCCEEDED(result)) folder = std::wstring(roaming) + L"\\quelmbox";
    ::CoTaskMemFree(roaming);
    return result;
}

// Copies the installed *.dat files into `to`; false once one could not be
// copied, after saying which.
bool fillFolder(const std::wstring& from, const std::wstring& to) {
    if (!::CreateDirectoryW(to.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        fail(L"Cannot make the folder " + to, ::GetLastError());
        return false;
    }
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((from + L"\\*.dat").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        fail(L"No settings or language files in " + from, ::GetLastError());
        return false;
    }
    bool ok = true;
    do {
        const std::wstring name = found.cFileName;
        const bool settings = ::lstrcmpiW(name.c_str(), kSettings) == 0;
        const std::wstring target = to + L"\\" + name;
        if (!::CopyFileW((from + L"\\" + name).c_str(), target.c_str(), settings) &&
            !(settings && ::GetLastError() == ERROR_FILE_EXISTS)) {
            fail(L"Cannot copy " + name + L" to " + to, ::GetLastError());
            ok = false;
        }
    } while (ok && ::FindNextFileW(search, &found));
    ::FindClose(search);
    return ok;
}

// This program's own command line without its first word, the program's
// name (quoted or not), as Windows splits it.
std::wstring ownArguments() {
    const wchar_t* rest = ::GetCommandLineW();
    if (*rest == L'"') {
        ++rest;
        while (*rest != L'\0' && *rest != L'"') ++rest;
        if (*rest == L'"') ++rest;
    } else {
        while (*rest != L'\0' && *rest != L' ' && *rest != L'\t') ++rest;
    }
    while (*rest == L' ' || *rest == L'\t') ++rest;
    return rest;
}

int startWindow(const std::wstring& program, const std::wstring& folder) {
    std::wstring command = L"\"" + program + L"\"";
    const std::wstring arguments = ownArguments();
    if (!arguments.empty()) command += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                          &startup, &process))
        return fail(L"Cannot start " + program, ::GetLastError());
    ::CloseHandle(process.hThread);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 1;
    ::GetExitCodeProcess(process.hProcess, &status);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(status);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::wstring installed = installFolder();
    if (installed.empty()) return fail(L"Cannot find the installation folder", ::GetLastError());
    std::wstring own;
    const HRESULT found = userFolder(own);
    if (FAILED(found)) return fail(L"Cannot find the application data folder", static_cast<DWORD>(found));
    if (!fillFolder(installed, own)) return 1;
    return startWindow(installed + L"\\quelmbox.exe", own);
}
