#pragma once
// The few things a program asks of the system around it: where it lies, the
// user's home, its arguments and its console.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace quelm::platform {

// The running executable; empty when the system does not say.
std::filesystem::path ExecutablePath();

// The user's home folder (HOME on Linux, USERPROFILE on Windows), UTF-8;
// empty when unset.
std::string HomeFolder();

// The language the user's session speaks, as the system names it: on Linux
// the locale of messages (LC_ALL, else LC_MESSAGES, else LANG: "fr_FR.UTF-8",
// "C"), on Windows the user's interface language ("fr-FR"); empty when
// nothing says.
std::string SessionLanguage();

// Where the user's own settings file lies when the tool is installed: on
// Linux the folder the launcher starts the window in ($XDG_DATA_HOME/quelmbox,
// else ~/.local/share/quelmbox); empty on Windows, where the window's
// settings are in its working folder, and when nothing says.
std::filesystem::path UserSettingsFolder();

// The program's arguments as UTF-8 (on Windows read from the wide command
// line, since `argv` holds them in a single-byte code page).
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Standard output and error pass UTF-8 bytes as they are: on Windows the
// console shows them as UTF-8 (its code page is given back as it was when
// the program exits), each stream is written a whole buffer at a time rather
// than byte by byte, and "\n" is not turned into "\r\n", so that the tool
// prints the same bytes on every system.
void PrepareConsole();

// The program has a console window of its own that goes when it exits: on
// Windows, started by a double-click rather than from a command prompt.
// Never on Linux.
bool HasOwnConsole();
// Waits until a key is pressed in the console.
void WaitForKey();

// A terminal is behind `file`.
bool IsTerminal(std::FILE* file);

// A stream whose writes all go to `write` (line by line, or each at once), or
// nullptr where the system cannot make one; fclose releases it.
using StreamWrite = std::function<void(const char* data, std::size_t size)>;
std::FILE* OpenWriteStream(StreamWrite write, bool lineBuffered = true);

} // namespace quelm::platform
