#pragma once
// The tool's own texts, in French and in English: what the language files do
// not carry (dialogs, the trace window's buttons, the title's note, the
// built-in stand-ins of lines a box file lacks, the reasons of a failure).
// Language 1 is French, 2 English; any other is taken as French.
#include <string>
#include <string_view>

namespace quelm {

enum class Said : int {
    TraceSave,
    TraceClear,
    TraceNotSaved,
    SettingsUnreadable,
    LanguageFilesUnread,
    LanguageFileMissing,
    UnknownLanguageCode,
    LanguageNotSaved,
    NumberRefused,
    AddressRefused,
    PortUnusable,
    EmptyGroupRefused,
    ProjectNotSaved,
    FolderNotCreated,
    NotAProjectFile,
    SendNeverConfirmed,
    LevelRefused,
    SeveralBoxes,
    NoValidAnswer,
    AddressNeverConfirmed,
    NewNumberAnswers,
    ValuesUncertain,
    SimulatedBox,
    FirstFtdiAdapter,
    DetectorSilent,
    NumberBoxReadRefused,
    NumberBoxSendRefused,
    AddressesPartlyRead,
    ProjectFileShort,
    // Phrases of the reasons the file and port layers give in English.
    CannotOpen,
    CannotRead,
    CannotWrite,
    NoSuchFile,
    IsAFolder,
    NotARegularFile,
    NotASerialPort,
    PermissionDenied,
    PortBusy,
    NoSuchDevice,
    AdapterGone,
    NoFtdiAdapter,
    OnlyDeviceZero,
    LineSettingUnsupported,
    ReadOnlyFile,
    Count
};

// The text of `id` in `language`; "%1", "%2"... stand for what the caller fills in.
std::string_view Text(Said id, int language);
// `text` with its %1, %2, %3 replaced.
std::string Filled(std::string_view text, const std::string& a1, const std::string& a2 = {},
                   const std::string& a3 = {});
// A reason the file or port layer gave in English, its known phrases put
// into French for language 1; names and the system's own words stay as
// they are, and any other language keeps the English.
std::string Reason(const std::string& english, int language);

// The command line's sentence `english` in `language`: its French wording
// for language 1 where the catalogue has one, else `english` itself.
const char* Phrase(const char* english, int language);

} // namespace quelm
