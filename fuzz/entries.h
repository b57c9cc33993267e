#pragma once
// The entry functions of the fuzz targets, one per reader of outside bytes.
// Each takes any bytes, must not crash, and aborts when a property of its
// reader breaks. The libFuzzer targets (fuzz_main.cpp) call them, and the
// regression test replays every committed input through them.
#include <cstddef>
#include <cstdint>
#include <string>

namespace quelm::fuzz {

using Entry = int (*)(const std::uint8_t* data, std::size_t size);

// The reply decoder during an operation chosen by the first byte, the rest
// arriving from the box at line speed: as they come, or with the check byte
// of each five made right so that the frames get past it.
int ReplyDecoderRaw(const std::uint8_t* data, std::size_t size);
int ReplyDecoderChecked(const std::uint8_t* data, std::size_t size);
// What the window showed and sent while ReplyDecoderRaw took `data`, in a
// window started for it alone or in the one reused from input to input.
std::string ReplyDecoderOutcome(const std::uint8_t* data, std::size_t size, bool reusedWindow);
int ProjectFile(const std::uint8_t* data, std::size_t size);
int LanguageFile(const std::uint8_t* data, std::size_t size);
int SettingsFile(const std::uint8_t* data, std::size_t size);
int BoxFile(const std::uint8_t* data, std::size_t size);
int NumericValueOfText(const std::uint8_t* data, std::size_t size);
// The arguments are the bytes cut at each NUL.
int CommandLine(const std::uint8_t* data, std::size_t size);
// A site plan: JSON when the first byte is odd, CSV otherwise.
int SitePlan(const std::uint8_t* data, std::size_t size);

struct Target {
    const char* name; // the folder of its corpus: fuzz/corpus/<name>
    Entry entry;
};
inline constexpr Target kTargets[] = {
    {"reply_raw", ReplyDecoderRaw},        {"reply_checked", ReplyDecoderChecked}, {"project_file", ProjectFile},
    {"language_file", LanguageFile},       {"settings_file", SettingsFile},        {"box_file", BoxFile},
    {"numeric_value", NumericValueOfText}, {"cli_options", CommandLine},           {"site_plan", SitePlan},
};

} // namespace quelm::fuzz
