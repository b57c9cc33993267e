// Fuzz target of the project file: any bytes read without a crash and with
// at most 19 values, and any ten address texts written so that the file
// reads back as 19 values with its options and levels in place.
#include "project/project_file.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto values = quelm::ParseProjectValues(bytes);
    if (values.size() > quelm::kProjectValues) std::abort();

    // The same bytes cut into ten address texts.
    quelm::ProjectRecord record;
    for (std::size_t i = 0; i < 10; ++i) record.addresses[i] = std::string(bytes.substr(i * size / 10, size / 10 + 1));
    record.options = {4, 11, 10, 20, 27, 29};
    record.levels = {85, 50.5, 0};
    const auto back = quelm::ParseProjectValues(quelm::FormatProjectFile(record));
    if (back.size() != quelm::kProjectValues) std::abort();
    for (int line = 11; line <= 16; ++line)
        if (quelm::MatchProjectOption(line, back[static_cast<std::size_t>(line - 1)]) !=
            record.options[static_cast<std::size_t>(line - 11)])
            std::abort();
    if (back[16] != "85" || back[17] != "50.5" || back[18] != "0") std::abort();
    return 0;
}
