#pragma once
// UTF-8 inside, UTF-16 at the Windows system calls. Windows only.
#include <string>
#include <string_view>

namespace quelm::platform {

std::wstring WideOf(std::string_view utf8);
std::string Utf8Of(std::wstring_view wide);
// The system's message for an error code, in UTF-8, without the line end.
std::string SystemMessage(unsigned long code);

} // namespace quelm::platform
