#pragma once
// Drives a window of another process through window messages, as a user
// would: finds it by its title, lists its controls, clicks buttons and
// option buttons, types text, presses keys and picks menu items. Controls
// are named as in the window model: their identifiers follow its order.
#include "core/virtual_clock.h"
#include "core/window_model.h"
#include "platform/wide_text.h"

#include <windows.h>

#include <functional>
#include <string>

namespace quelm::test {

inline std::wstring Wide(const std::string& utf8) { return platform::WideOf(utf8); }
inline std::string Utf8(const std::wstring& wide) { return platform::Utf8Of(wide); }
// The first shown top-level window whose title starts with `title` (or, when
// `cls` is given, whose class is `cls`), waited for up to `ms`.
HWND FindTopWindow(const std::string& title, const wchar_t* cls, int ms);
// Polls `done` every 20 ms for up to `ms`.
bool WaitFor(const std::function<bool()>& done, int ms);
std::string TextOf(HWND hwnd);

class WindowDriver {
public:
    explicit WindowDriver(HWND main) : main_(main) {}
    HWND main() const { return main_; }
    HWND control(const std::string& name) const;
    // "class 'text' enabled visible x,y wxh" for every child, in z-order.
    std::string listing() const;
    std::string text(const std::string& name) const { return TextOf(control(name)); }
    bool enabled(const std::string& name) const;
    bool visible(const std::string& name) const;
    bool checked(const std::string& name) const;
    void click(const std::string& name) const;
    void type(const std::string& name, const std::string& text) const;
    void key(int virtualKey) const;
    void menu(const std::string& name) const;
    // The items of a list box.
    std::vector<std::string> items(const std::string& name) const;
    // Picks item `index` of a folder list as a double click does.
    void openListItem(const std::string& name, int index) const;

private:
    int idOf(const std::string& name) const;
    HWND main_;
    VirtualClock clock_;
    WindowModel model_{clock_};
};

} // namespace quelm::test
