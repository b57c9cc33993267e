#include "platform/unique_name.h"

#include <random>
#include <string>

namespace quelm::platform {

std::filesystem::path UniqueNameIn(const std::filesystem::path& folder) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device device;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string name = ".quelm-";
    for (int i = 0; i < 8; ++i) name += kLetters[pick(device)];
    return folder / name;
}

} // namespace quelm::platform
