// The serial port on Windows: a COM port opened without sharing (so no other
// program can open it meanwhile), set through its DCB, read and written with
// COMMTIMEOUTS so that a read returns as soon as a byte is there or when its
// time-out has passed.
#include "platform/serial_port.h"

#include "platform/wide_text.h"

#include <windows.h>

#include <utility>

namespace quelm::platform {
namespace {

HANDLE handleOf(std::intptr_t native) { return reinterpret_cast<HANDLE>(native); }

// "COM5" as the device namespace names it; a name given that way stays.
std::wstring deviceName(const std::string& path) {
    if (path.rfind("\\\\.\\", 0) == 0 || path.rfind("\\\\?\\", 0) == 0) return WideOf(path);
    return L"\\\\.\\" + WideOf(path);
}

// The port's own name, "COM12" for "\\.\COM12".
std::wstring dosName(const std::string& path) {
    const std::wstring device = deviceName(path);
    return device.substr(4);
}

// "C:", a drive, which the device namespace holds as well.
bool IsDrive(const std::wstring& name) { return name.size() == 2 && name[1] == L':'; }

// `whileOpen`: the port was open, so a refusal means the adapter went away.
SerialError errorOf(DWORD code, bool whileOpen) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME: return {SerialFault::noSuchPort, {}};
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return whileOpen ? SerialError{SerialFault::gone, {}} : SerialError{SerialFault::busy, {}};
    case ERROR_GEN_FAILURE:
    case ERROR_BAD_COMMAND:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_NOT_READY: // what Wine gives once the line behind the port is gone
    case ERROR_OPERATION_ABORTED:
    case ERROR_DEVICE_REMOVED: return {SerialFault::gone, {}};
    default: return {SerialFault::other, SystemMessage(code)};
    }
}

bool failed(SerialError& error, bool whileOpen = true) {
    error = errorOf(::GetLastError(), whileOpen);
    return false;
}

int lost(SerialError& error) {
    error = errorOf(::GetLastError(), true);
    return -1;
}

// A raw line with no flow control; DTR and RTS raised, as a tty raises them.
void makeRaw(DCB& dcb) {
    dcb.fBinary = TRUE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fAbortOnError = FALSE;
}

template <class F>
bool editLine(std::intptr_t native, SerialError& error, F change) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(handleOf(native), &dcb)) return failed(error);
    if (!change(dcb)) {
        error = {SerialFault::unsupported, {}};
        return false;
    }
    if (::SetCommState(handleOf(native), &dcb)) return true;
    if (::GetLastError() == ERROR_INVALID_PARAMETER) {
        error = {SerialFault::unsupported, {}};
        return false;
    }
    return failed(error);
}

// Gives the system the read and write time-outs when they change: a read
// returns at once with what is queued, else with the first byte that comes,
// else after `readMs`; a write gives up after `writeMs` (at least 1 ms: 0
// would mean waiting forever).
bool useTimeouts(std::intptr_t native, int readMs, int writeMs, int& lastRead, int& lastWrite, SerialError& error) {
    if (readMs == lastRead && writeMs == lastWrite) return true;
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = MAXDWORD;
    t.ReadTotalTimeoutMultiplier = readMs > 0 ? MAXDWORD : 0;
    t.ReadTotalTimeoutConstant = static_cast<DWORD>(readMs > 0 ? readMs : 0);
    t.WriteTotalTimeoutMultiplier = 0;
    t.WriteTotalTimeoutConstant = static_cast<DWORD>(writeMs > 0 ? writeMs : 1);
    if (!::SetCommTimeouts(handleOf(native), &t)) return failed(error);
    lastRead = readMs;
    lastWrite = writeMs;
    return true;
}

} // namespace

SerialError ProbeSerialPort(const std::string& path) {
    // The serial ports' own configuration, asked by name without opening the
    // port; not every system keeps one for every port (Wine has none past
    // COM9), so a device of that name in the device namespace counts too:
    // the open says what it is.
    COMMCONFIG config{};
    config.dwSize = sizeof config;
    DWORD size = sizeof config;
    if (::GetDefaultCommConfigW(dosName(path).c_str(), &config, &size)) return {};
    wchar_t target[512] = {};
    if (::QueryDosDeviceW(dosName(path).c_str(), target, 512) != 0 && !IsDrive(dosName(path))) return {};
    // Nor does every system list it there: a look at the device without
    // asking to read or write it tells a character device, or one another
    // program holds, from no device at all.
    const HANDLE look = ::CreateFileW(deviceName(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (look != INVALID_HANDLE_VALUE) {
        const bool device = ::GetFileType(look) == FILE_TYPE_CHAR;
        ::CloseHandle(look);
        if (device) return {};
    } else if (const DWORD code = ::GetLastError(); code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION) {
        return {};
    }
    // A file or a folder by that name is no serial port.
    if (::GetFileAttributesW(WideOf(path).c_str()) != INVALID_FILE_ATTRIBUTES) return {SerialFault::notSerialPort, {}};
    return {SerialFault::noSuchPort, {}};
}

SerialPort::~SerialPort() {
    SerialError ignored; // nothing is left to lose when the port goes with its owner
    if (isOpen()) close(ignored);
}

bool SerialPort::open(const std::string& path, SerialError& error) {
    // No sharing: while the session lasts, any other open of the port fails.
    const HANDLE h = ::CreateFileW(deviceName(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        // No port of that name, or a file; else another program holds it.
        const DWORD code = ::GetLastError();
        if (error = ProbeSerialPort(path); error.fault != SerialFault::none) return false;
        error = errorOf(code, false);
        return false;
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (::GetFileType(h) != FILE_TYPE_CHAR || !::GetCommState(h, &dcb)) {
        ::CloseHandle(h);
        error = {SerialFault::notSerialPort, {}};
        return false;
    }
    makeRaw(dcb);
    if (!::SetCommState(h, &dcb)) {
        const DWORD code = ::GetLastError();
        ::CloseHandle(h);
        error = errorOf(code, false);
        return false;
    }
    native_ = reinterpret_cast<std::intptr_t>(h);
    readTimeoutMs_ = -1;
    writeTimeoutMs_ = -1;
    return true;
}

bool SerialPort::close(SerialError& error) {
    const HANDLE h = handleOf(std::exchange(native_, kClosed));
    return ::CloseHandle(h) ? true : failed(error);
}

bool SerialPort::setSpeed(std::uint32_t baud, SerialError& error) {
    return editLine(native_, error, [baud](DCB& dcb) {
        dcb.BaudRate = baud;
        return baud > 0;
    });
}

bool SerialPort::setFraming(int wordLength, int stopBits, int parity, SerialError& error) {
    return editLine(native_, error, [=](DCB& dcb) {
        static constexpr BYTE kParity[] = {NOPARITY, ODDPARITY, EVENPARITY, MARKPARITY, SPACEPARITY};
        if (wordLength < 5 || wordLength > 8 || (stopBits != 0 && stopBits != 2) || parity < 0 || parity > 4)
            return false;
        dcb.ByteSize = static_cast<BYTE>(wordLength);
        dcb.StopBits = stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
        dcb.Parity = kParity[parity];
        dcb.fParity = parity != 0;
        return true;
    });
}

int SerialPort::readByte(std::uint8_t& byte, int timeoutMs, SerialError& error) {
    const int writeMs = writeTimeoutMs_ < 0 ? 0 : writeTimeoutMs_;
    if (!useTimeouts(native_, timeoutMs, writeMs, readTimeoutMs_, writeTimeoutMs_, error)) return -1;
    std::uint8_t got = 0;
    DWORD n = 0;
    if (!::ReadFile(handleOf(native_), &got, 1, &n, nullptr)) return lost(error);
    if (n != 1) return 0;
    byte = got;
    return 1;
}

int SerialPort::writeByte(std::uint8_t byte, int timeoutMs, SerialError& error) {
    const int readMs = readTimeoutMs_ < 0 ? 0 : readTimeoutMs_;
    if (!useTimeouts(native_, readMs, timeoutMs, readTimeoutMs_, writeTimeoutMs_, error)) return -1;
    DWORD n = 0;
    if (!::WriteFile(handleOf(native_), &byte, 1, &n, nullptr)) {
        return ::GetLastError() == ERROR_TIMEOUT ? 0 : lost(error);
    }
    if (n != 1) return 0;
    // Push the byte to the line now, so the box sees the frame byte by byte.
    if (!::FlushFileBuffers(handleOf(native_))) return lost(error);
    return 1;
}

bool SerialPort::queues(std::uint32_t& rx, std::uint32_t& tx, SerialError& error) {
    DWORD errors = 0;
    COMSTAT stat{};
    if (!::ClearCommError(handleOf(native_), &errors, &stat)) return failed(error);
    rx = stat.cbInQue;
    tx = stat.cbOutQue;
    return true;
}

std::string SerialPort::requestLowLatency(const std::string& path) {
    return "low latency on " + path +
           ": the adapter's latency timer is a setting of its Windows driver, not of this tool; set it to 1 ms "
           "(Device Manager, Ports, the port's Properties, Port Settings, Advanced, Latency Timer)";
}

} // namespace quelm::platform
