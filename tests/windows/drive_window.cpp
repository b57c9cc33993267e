// Drives quelmbox.exe under Wine (or Windows) through window messages and
// checks what a technician would see: run beside the window by
// scripts/test_windows.sh.
//   drive_window simulated FOLDER   the simulated box; FOLDER is the window's
//                                   working folder, for the files it saves
//   drive_window port               a read through the port the window opened
//   drive_window quit               the Quit menu item
// Prints each check and its result; the exit status counts the failures.
#include "window_driver.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

using namespace quelm::test;
namespace fs = std::filesystem;

namespace {

constexpr const char* kTitle = "BOX de programmation pour Quelm V4.2";
int failures = 0;

// `detail` is read after `ok` has been found, whatever order C++ takes the
// arguments in: a check of what a wait found shows what it found.
void report(bool ok, const std::string& what, const std::string& detail) {
    std::printf("%s %s%s%s\n", ok ? "PASS" : "FAIL", what.c_str(), detail.empty() ? "" : ": ", detail.c_str());
    std::fflush(stdout);
    if (!ok) ++failures;
}

void check(bool ok, const std::string& what) { report(ok, what, {}); }

template <class Detail>
void check(bool ok, const std::string& what, const Detail& detail) {
    report(ok, what, detail());
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The message an operation ends with when a key stopped it.
bool stopped(const std::string& text) { return contains(text, "STOP") || contains(text, "arrêté"); }

bool waitText(const WindowDriver& w, const std::string& name, const std::string& part, int ms) {
    return WaitFor([&] { return contains(w.text(name), part); }, ms);
}

// The number at the start of the message line (" 3 essai(s) - ...").
long leadingNumber(const std::string& text) { return std::strtol(text.c_str(), nullptr, 10); }

// The connection test's message line counts the box's answers (on the
// simulated box, fifty in well under a second), then the test gives the
// window back. Every count seen is kept.
void connectionTest(const WindowDriver& w) {
    std::vector<long> counts;
    WaitFor(
        [&] {
            const std::string text = w.text("Text5");
            if (contains(text, "essai(s) - attente du N°") && (counts.empty() || counts.back() != leadingNumber(text)))
                counts.push_back(leadingNumber(text));
            return counts.size() >= 3 || (!counts.empty() && w.enabled("Command7"));
        },
        15000);
    std::string seen;
    for (long n : counts) seen += std::to_string(n) + " ";
    check(counts.size() >= 2 && std::is_sorted(counts.begin(), counts.end()), "connection test counts its tries",
          [&] { return seen; });
    if (!w.enabled("Command7")) w.key(VK_ESCAPE);
    check(WaitFor([&] { return w.enabled("Command7"); }, 5000), "the connection test gives the window back");
}

// French captions from the files, and the connection test counting its tries.
void frenchStart(const WindowDriver& w) {
    const std::string listing = w.listing();
    std::printf("%s", listing.c_str());
    check(w.text("Command7") == "Lire les paramètres", "French caption of Command7",
          [&] { return std::string(w.text("Command7")); });
    check(w.text("Frame6") == "Paramètres", "French caption of Frame6", [&] { return std::string(w.text("Frame6")); });
    check(w.text("Frame15") == "Niveau ON+  (en %)", "French caption of Frame15",
          [&] { return std::string(w.text("Frame15")); });
    check(!w.visible("Frame10") && !w.visible("LoggerList"), "disk manager and log hidden at start");
    connectionTest(w);
}

bool readDetector(const WindowDriver& w, const std::string& number) {
    w.type("Text3", number);
    w.click("Command7");
    return waitText(w, "Text5", "lecture terminée", 10000) && WaitFor([&] { return w.enabled("Command7"); }, 3000);
}

// Detector 300 of the simulated box: every parameter away from the defaults.
void read300(const WindowDriver& w) {
    check(readDetector(w, "300"), "detector 300 read", [&] { return w.text("Text5"); });
    for (const char* option : {"Option4", "Option8", "Option12", "Option17", "Option24", "Option29"})
        check(w.checked(option), std::string("read shows ") + option);
    check(w.text("Text8") == "80" && w.text("Text9") == "60" && w.text("Text10") == "25", "levels of 300",
          [&] { return w.text("Text8") + " " + w.text("Text9") + " " + w.text("Text10"); });
}

void readOther(const WindowDriver& w) {
    check(readDetector(w, "1048574"), "detector 1048574 read", [&] { return std::string(w.text("Text5")); });
    for (const char* option : {"Option3", "Option10", "Option11", "Option20", "Option27", "Option28"})
        check(w.checked(option), std::string("read shows ") + option);
    for (const char* option : {"Option5", "Option13", "Option14", "Option21", "Option29"})
        check(!w.checked(option), std::string("read clears ") + option);
    check(w.text("Text8") == "100" && w.text("Text9") == "90" && w.text("Text10") == "5", "levels read",
          [&] { return std::string(w.text("Text8") + " " + w.text("Text9") + " " + w.text("Text10")); });
}

// A number box that holds no plain number refuses its button's operation,
// naming the box, and gives the window back as it was.
void junkNumbers(const WindowDriver& w) {
    w.type("Text3", "3OO");
    w.click("Command7");
    check(waitText(w, "Text5", "Lecture refusée", 3000) && contains(w.text("Text5"), "Détecteur N°") &&
              w.enabled("Command7"),
          "a read of detector 3OO refused", [&] { return w.text("Text5"); });
    w.type("Text3", "300");
    w.type("Text4", "abc");
    w.click("Command6");
    check(waitText(w, "Text5", "Envoi refusé", 3000) && contains(w.text("Text5"), "Programmation du N°") &&
              w.enabled("Command6"),
          "a new number abc refused", [&] { return w.text("Text5"); });
    w.type("Text4", "");
}

// Through the disk manager: a new folder with accents, opened, the file saved.
void saveProject(const WindowDriver& w, const fs::path& work) {
    const std::string folder = "Donn\xC3\xA9"
                               "es \xC3\xA9t\xC3\xA9";
    w.menu("Savefile");
    check(WaitFor([&] { return w.visible("Frame10"); }, 3000), "Save file shows the disk manager");
    check(WaitFor([&] { return !w.visible("Frame6"); }, 3000), "the parameters give way to the disk manager");
    w.type("Text6", folder);
    w.click("Command12");
    int index = -1;
    WaitFor(
        [&] {
            const auto items = w.items("Dirlist");
            for (std::size_t i = 0; i < items.size(); ++i)
                if (contains(items[i], folder)) index = static_cast<int>(i);
            return index >= 0;
        },
        3000);
    check(index >= 0, "the new folder is listed");
    w.openListItem("Dirlist", index);
    WaitFor([&] { return w.items("Dirlist").size() > 0 && contains(w.items("Dirlist").back(), folder); }, 3000);
    w.click("Command11");
    const fs::path saved = work / Wide(folder) / "1048574.bdp";
    check(WaitFor([&] { return fs::exists(saved); }, 3000), "project file saved",
          [&] { return std::string(Utf8(saved.wstring())); });
    check(WaitFor([&] { return !w.visible("Frame10") && w.visible("Frame6"); }, 3000), "disk manager closes");
}

void sendAndReadBack(const WindowDriver& w) {
    w.click("Option12");
    w.type("Text8", "77");
    check(WaitFor([&] { return w.checked("Option12"); }, 2000), "option click selects med");
    w.click("Command8");
    check(waitText(w, "Text5", "envoyés et vérifiés", 20000), "parameters sent and checked",
          [&] { return std::string(w.text("Text5")); });
    WaitFor([&] { return w.enabled("Command7"); }, 3000);
    w.click("Option13");
    w.type("Text8", "1");
    check(readDetector(w, "1048574"), "read back", [&] { return std::string(w.text("Text5")); });
    check(w.checked("Option12") && !w.checked("Option13") && w.text("Text8") == "77", "read back shows what was sent",
          [&] { return std::string(w.text("Text8")); });
}

// A detector that never answers: the read waits; Escape ends it and every
// button comes back.
void escapeMidRead(const WindowDriver& w) {
    w.type("Text3", "555");
    w.click("Command7");
    check(waitText(w, "Text5", "ne répond pas", 8000) && !w.enabled("Command7"), "read waits for the silent detector",
          [&] { return std::string(w.text("Text5")); });
    w.key(VK_ESCAPE);
    check(WaitFor([&] { return stopped(w.text("Text5")); }, 3000), "Escape stops the read",
          [&] { return std::string(w.text("Text5")); });
    check(WaitFor([&] { return w.enabled("Command7") && w.enabled("Command8") && w.enabled("Command4"); }, 3000),
          "the window is given back");
}

void languageSwitch(const WindowDriver& w) {
    w.menu("English");
    check(WaitFor([&] { return w.text("Command7") == "Read parameters"; }, 3000), "English captions",
          [&] { return std::string(w.text("Command7")); });
    check(w.text("Frame6") == "Parameters", "English group caption", [&] { return std::string(w.text("Frame6")); });
    w.menu("French");
    check(WaitFor([&] { return w.text("Command7") == "Lire les paramètres"; }, 3000), "French again",
          [&] { return std::string(w.text("Command7")); });
    w.key(VK_ESCAPE); // the start-up's connection test
    WaitFor([&] { return w.enabled("Command7"); }, 3000);
}

void traceWindow(const WindowDriver& w) {
    w.menu("ProtocolTrace");
    HWND trace = FindTopWindow({}, L"QuelmboxTrace", 3000);
    check(trace != nullptr, "trace window opens");
    HWND lines = ::GetDlgItem(trace, 10);
    LRESULT count = 0;
    std::string first;
    bool tx = false, rx = false;
    const auto scan = [&] {
        count = ::SendMessageW(lines, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count && !(tx && rx); ++i) {
            wchar_t line[512] = {};
            if (::SendMessageW(lines, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) >= 511) continue;
            ::SendMessageW(lines, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line));
            const std::string text = Utf8(line);
            tx = tx || contains(text, " TX ");
            rx = rx || contains(text, " RX ");
            if (first.empty() && contains(text, " TX ")) first = text;
        }
        return count > 20 && tx && rx;
    };
    check(WaitFor(scan, 3000), "trace window lists frames sent and received",
          [&] { return std::to_string(count) + " lines, first frame: " + first; });
    ::PostMessageW(trace, WM_CLOSE, 0, 0);
}

void siteSurvey(const WindowDriver& w, const fs::path& work) {
    w.menu("Site");
    HWND site = FindTopWindow({}, L"QuelmboxSite", 3000);
    check(site != nullptr, "site window opens");
    const std::string folder = "Relev\xC3\xA9";
    const std::wstring numbers = L"300,12,1048574", dir = (work / Wide(folder)).wstring();
    ::SendMessageW(::GetDlgItem(site, 10), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(numbers.c_str()));
    ::SendMessageW(::GetDlgItem(site, 11), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(dir.c_str()));
    ::PostMessageW(::GetDlgItem(site, 16), BM_CLICK, 0, 0);
    HWND status = ::GetDlgItem(site, 23);
    check(WaitFor([&] { return contains(TextOf(status), "3 détecteurs : 3 atteints, 3 faits"); }, 30000),
          "survey of three", [&] { return std::string(TextOf(status)); });
    for (const char* d : {"300", "12", "1048574"})
        check(WaitFor([&] { return fs::exists(work / Wide(folder) / (std::string(d) + ".bdp")); }, 2000),
              std::string("survey saved ") + d);
    check(WaitFor([&] { return ::IsWindowEnabled(w.main()) != FALSE; }, 3000), "main window given back after the run");
    ::PostMessageW(site, WM_CLOSE, 0, 0);
}

// Every shown control lies inside the window's client area, on this screen
// at its dots per inch (the script sets 150 %).
struct Inside {
    RECT client;
    std::string outside;
};

BOOL CALLBACK checkInside(HWND hwnd, LPARAM param) {
    auto& inside = *reinterpret_cast<Inside*>(param);
    RECT r{}, both{};
    ::GetWindowRect(hwnd, &r);
    wchar_t cls[64] = {};
    ::GetClassNameW(hwnd, cls, 64);
    // A drop-down list's window is as tall as its list when open.
    if (std::wstring(cls) == L"ComboBox") r.bottom = r.top + 1;
    if (::IsWindowVisible(hwnd) && (!::IntersectRect(&both, &r, &inside.client) || !::EqualRect(&both, &r)))
        inside.outside += std::to_string(::GetDlgCtrlID(hwnd)) + " ";
    return TRUE;
}

void whole(const WindowDriver& w) {
    Inside inside{};
    ::GetClientRect(w.main(), &inside.client);
    ::MapWindowPoints(w.main(), HWND_DESKTOP, reinterpret_cast<POINT*>(&inside.client), 2);
    ::EnumChildWindows(w.main(), checkInside, reinterpret_cast<LPARAM>(&inside));
    const std::string size = std::to_string(inside.client.right - inside.client.left) + "x" +
                             std::to_string(inside.client.bottom - inside.client.top);
    check(inside.outside.empty(), "every shown control inside the client area of " + size,
          [&] { return inside.outside; });
    const int dpi = static_cast<int>(::GetDpiForWindow(w.main()));
    std::printf("window at %d dpi, client area %s\n", dpi, size.c_str());
}

// Through the port: the same read as on the simulated box.
void portRead(const WindowDriver& w) {
    check(contains(TextOf(w.main()), "COM5"), "title names the port", [&] { return std::string(TextOf(w.main())); });
    connectionTest(w);
    readOther(w);
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    HWND main = FindTopWindow(kTitle, nullptr, 60000);
    check(main != nullptr, "window found by its title");
    if (main == nullptr) return 1;
    WindowDriver w(main);
    // The title comes with the window, its controls just after.
    check(WaitFor([&] { return w.control("Text5") != nullptr && w.control("Image1") != nullptr; }, 10000),
          "controls made");
    if (mode == "quit") {
        w.menu("Quit");
        check(WaitFor([&] { return !::IsWindow(main); }, 10000), "Quit closes the window");
    } else if (mode == "whole") {
        whole(w);
    } else if (mode == "port") {
        portRead(w);
    } else if (mode == "simulated" && argc > 2) {
        const fs::path work = Wide(argv[2]);
        frenchStart(w);
        whole(w);
        readOther(w);
        saveProject(w, work);
        sendAndReadBack(w);
        escapeMidRead(w);
        languageSwitch(w);
        traceWindow(w);
        siteSurvey(w, work);
        junkNumbers(w);
        read300(w); // the window left as a technician sees it after a read
    } else {
        std::fprintf(stderr, "usage: drive_window simulated FOLDER | port | quit\n");
        return 2;
    }
    std::printf("%d failure(s)\n", failures);
    return failures == 0 ? 0 : 1;
}
