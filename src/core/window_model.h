#pragma once
// The controls of the main window, by their names, with the event rules of
// the toolkit the behaviour was written for. State only: it draws nothing.
// The view (ui/) mirrors it; tests and the command-line front end use it
// headless.
#include "core/scheduler.h"

#include "core/check.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quelm {

enum class ControlKind { Group, TextBox, Option, Button, List, FileList, DirList, DriveList, Label, Picture, Menu };

// Design position and size in twips (15 twips per pixel at 96 dpi), relative
// to the containing group, or to the client area for top-level controls.
struct Twips {
    int left = 0, top = 0, width = 0, height = 0;
};

// A control's current position and size in twips: the design values until
// the layout is scaled to the screen, which leaves fractions.
struct Geometry {
    double left = 0, top = 0, width = 0, height = 0;
};

// Focus: the control now has the keyboard focus, or (when it is not
// WindowModel::focus()) has lost it to the window itself.
enum class Change { Text, Caption, Enabled, Visible, Value, Items, Repaint, Geometry, Font, Focus };

// A control array of the window, indexed by the number in its controls'
// names (Option[3] is Option3). An index the window has no control for is a
// fault of the caller, checked in the test build.
template <class T, std::size_t N>
class ControlArray {
public:
    T* operator[](std::size_t i) const {
        QUELM_CHECK(i < N && items_[i] != nullptr);
        return items_[i];
    }
    void set(std::size_t i, T* item) {
        QUELM_CHECK(i < N);
        items_[i] = item;
    }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::array<T*, N> items_{};
};

class WindowModel;
class Group;

class Control {
public:
    Control(WindowModel& window, std::string name, ControlKind kind, Group* container, Twips design,
            std::string caption);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& name() const { return name_; }
    ControlKind kind() const { return kind_; }
    Group* container() const { return container_; }
    const Twips& design() const { return design_; }
    // Position in the client area, through the containing groups.
    Twips windowPosition() const;

    const std::string& caption() const { return caption_; }
    void setCaption(const std::string& caption);
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool visible() const { return visible_; }
    void setVisible(bool visible);
    const Geometry& geometry() const { return geometry_; }
    void setGeometry(const Geometry& geometry);
    // Pictures and menus have no font; every other control has one.
    bool hasFont() const { return kind_ != ControlKind::Picture && kind_ != ControlKind::Menu; }
    double fontPoints() const { return fontPoints_; }
    void setFontPoints(double points);

protected:
    void notify(Change change);
    WindowModel& window() const { return window_; }

private:
    friend class WindowSnapshot;
    WindowModel& window_;
    std::string name_;
    ControlKind kind_;
    Group* container_;
    Twips design_;
    Geometry geometry_;
    std::string caption_;
    bool enabled_ = true;
    bool visible_ = true;
    double fontPoints_ = 8.25;
};

class Group : public Control {
public:
    using Control::Control;
};

class Label : public Control {
public:
    using Control::Control;
};

// A fixed picture; `picture` names the image the view draws.
class Picture : public Control {
public:
    Picture(WindowModel& window, std::string name, Group* container, Twips design, std::string picture);
    const std::string& picture() const { return picture_; }

private:
    std::string picture_;
};

class TextBox : public Control {
public:
    using Control::Control;
    const std::string& text() const { return text_; }
    // Runs the change handler when the text changes; the handler may set the
    // text again, which runs it again.
    void setText(const std::string& text);
    // Asks the view to show the current text at once.
    void repaint() { notify(Change::Repaint); }
    std::function<void()> onChange;

private:
    std::string text_;
    friend class WindowModel;
    friend class WindowSnapshot;
};

// Option buttons of one group are exclusive: the group is their container.
class OptionButton : public Control {
public:
    using Control::Control;
    bool value() const { return value_; }
    // Selects this option and clears the others of its group; runs the click
    // handler only when it was not selected before.
    void select();
    // Selects (as select()) or clears without running any handler.
    void setValue(bool value);
    std::function<void()> onClick;

private:
    void clearQuietly();
    friend class WindowSnapshot;
    bool value_ = false;
};

class Button : public Control {
public:
    Button(WindowModel& window, std::string name, Group* container, Twips design, std::string caption,
           std::string picture = {});
    // Runs the click handler, as the handlers call the service buttons.
    void click() {
        if (onClick) onClick();
    }
    // A click by the user: only on an enabled, visible button.
    void userClick() {
        if (enabled() && visible()) click();
    }
    const std::string& picture() const { return picture_; }
    std::function<void()> onClick;

private:
    std::string picture_;
};

class ListBox : public Control {
public:
    using Control::Control;
    const std::vector<std::string>& items() const { return items_; }
    // Appends; past the limit, the oldest items go.
    void addItem(const std::string& item);
    void clear();
    // At most `limit` items are kept, the newest ones (0: no limit): once an
    // item passes the limit, the oldest tenth of the list goes at once, so
    // that a log dropping lines costs little per line. A list used as a log
    // gets one, so that it cannot grow while the tool runs.
    void setLimit(std::size_t limit);
    std::size_t limit() const { return limit_; }
    // How many items have left the list since it was made, by the limit,
    // clear() or setItems(): items()[i] is the (removed() + i)-th item ever
    // added. A mirror that remembers how far it had got follows removals.
    std::uint64_t removed() const { return removed_; }
    // Replaces every item; `paths` (empty, or one per item) names what each
    // item stands for: the folder of a folder list's line, a drive's root.
    void setItems(std::vector<std::string> items, std::vector<std::string> paths = {});
    // The path item `index` stands for; empty when it has none.
    std::string itemPath(int index) const;
    // The selected item, -1 for none. Setting it runs no handler.
    int listIndex() const { return listIndex_; }
    void setListIndex(int index);
    // The folder a folder or file list shows, the drive a drive list holds,
    // and a file list's pattern ("*.bdp"): set by the handlers, no event.
    std::string path;
    std::string pattern;
    // A click by the user on item `index` (a file list's click).
    void userClick(int index) { userSelect(index, onClick); }
    // The user's choice of item `index` that changes the list (another drive,
    // a folder opened).
    void userChange(int index) { userSelect(index, onChange); }
    std::function<void()> onClick;
    std::function<void()> onChange;
    // Invoked after every addItem, for a log mirror (trace, CLI).
    std::function<void(const std::string&)> onAdded;

private:
    void userSelect(int index, const std::function<void()>& handler);
    friend class WindowSnapshot;
    void trim();

    std::vector<std::string> items_;
    std::vector<std::string> paths_;
    int listIndex_ = -1;
    std::size_t limit_ = 0;
    std::uint64_t removed_ = 0;
};

// A menu or a menu item; `menuParent` is null for a menu of the bar.
class MenuItem : public Control {
public:
    MenuItem(WindowModel& window, std::string name, MenuItem* menuParent, std::string caption);
    MenuItem* menuParent() const { return parent_; }
    void click() {
        if (onClick) onClick();
    }
    std::function<void()> onClick;
    // A check mark beside the item (the language menu shows the active
    // language); the view shows it, no handler runs.
    bool checkable() const { return checkable_; }
    bool checked() const { return checked_; }
    void setChecked(bool checked);

private:
    friend class WindowModel;
    friend class WindowSnapshot;
    MenuItem* parent_;
    bool checkable_ = false;
    bool checked_ = false;
};

// A timer of the window. Ticks run from the scheduler's loop only.
class ModelTimer {
public:
    ModelTimer(Scheduler& scheduler, std::string name, int intervalMs);
    ~ModelTimer();
    ModelTimer(const ModelTimer&) = delete;
    ModelTimer& operator=(const ModelTimer&) = delete;

    const std::string& name() const { return name_; }
    bool enabled() const { return enabled_; }
    // Enabling a running timer changes nothing; enabling never ticks at once.
    void setEnabled(bool enabled);
    void enable() { setEnabled(true); }
    void disable() { setEnabled(false); }
    int interval() const { return interval_; }
    // A new interval restarts the count of a running timer; 0 stops ticking.
    void setInterval(int intervalMs);
    std::function<void()> onTick;

private:
    void arm();
    friend class WindowSnapshot;
    void disarm();
    Scheduler& scheduler_;
    std::string name_;
    int interval_;
    bool enabled_ = false;
    Scheduler::TimerId id_ = 0;
};

enum class WindowState { Normal, Minimised, Maximised };

// The window itself: outer position and size in twips, the logical size of
// its client area, its font and state. The design window's outer size is the
// reference screen's size.
struct WindowFrame {
    double left = 0, top = 0, width = 15240, height = 10600;
    double scaleWidth = 15120, scaleHeight = 9840;
    double fontPoints = 8.25;
    WindowState state = WindowState::Normal;
};

// The size of the screen the window is shown on, in twips.
struct ScreenSize {
    double width = 15240, height = 10600;
};

class WindowModel {
public:
    explicit WindowModel(Scheduler& scheduler);
    ~WindowModel();
    WindowModel(const WindowModel&) = delete;
    WindowModel& operator=(const WindowModel&) = delete;

    std::string caption = "BOX de programmation pour Quelm V4.2";
    static constexpr int kClientWidth = 15120;
    static constexpr int kClientHeight = 9840;
    static constexpr int kOuterWidth = 15240;
    static constexpr int kOuterHeight = 10600;
    // Lines the hidden log of the link (LoggerList) keeps at most, the newest
    // ones: about ten seconds of polling ticks while a reply is awaited, and
    // some tens of kilobytes however long the tool waits.
    static constexpr std::size_t kLogLines = 1000;

    // Set by the view from the real screen; the reference size headless.
    ScreenSize screen;
    const WindowFrame& frame() const { return frame_; }
    void setFrame(const WindowFrame& frame);
    // The client area in twips, following the outer size.
    double clientWidth() const { return kClientWidth * frame_.width / kOuterWidth; }
    double clientHeight() const { return kClientHeight * frame_.height / kOuterHeight; }
    // When set, the window sees every key before the focused control.
    bool keyPreview = false;

    // Every control in window order, menus excluded; timers apart.
    const std::vector<Control*>& controls() const { return controls_; }
    const std::vector<MenuItem*>& menus() const { return menus_; }
    const std::vector<ModelTimer*>& timers() const { return timerList_; }
    Control* find(std::string_view name) const;
    ModelTimer* findTimer(std::string_view name) const;

    // The one observer of every change (the view).
    std::function<void(Control&, Change)> observer;
    // The observer of the window frame (position, size, font, state).
    std::function<void()> frameObserver;

    // Controls by name. Arrays are indexed by the number in the name:
    // Option[3] is Option3; Text1[0] is Text1(0).
    TextBox *Text3, *Text4, *Text5, *Text6, *Text7, *Text8, *Text9, *Text10, *Text103;
    ControlArray<TextBox, 10> Text1, Text2;
    ControlArray<Label, 10> Label1, Label3;
    ControlArray<OptionButton, 30> Option;
    ControlArray<Button, 14> Command;
    ControlArray<Group, 21> Frame;
    ControlArray<ModelTimer, 29> Timer;
    ListBox *LoggerList, *File1, *Dirlist, *Drvlist;
    Button *ClassicOpen, *ClassicClose, *GetNumDevices;
    Picture* Image1;
    MenuItem *File, *openfile, *Savefile, *ProtocolTrace, *Site, *Quit, *Language, *French, *English;

    // The control with the keyboard focus, null for none (the window itself).
    Control* focus() const { return focus_; }
    // The user put the focus on `control` (the view reports it); null, the
    // window itself, leaves a focus held by a disabled control held.
    void userFocus(Control* control);

    // What the tool talks to, in French and in English ("boîte simulée",
    // "simulated box", a port name), shown after the caption in the window's
    // title; set by the front end.
    std::array<std::string, 2> linkNote;
    // The caption and the note of the language the menu marks.
    std::string title() const;

private:
    friend class Control;
    friend class WindowSnapshot;
    template <class T, class... A>
    T* add(A&&... args);
    void buildLayout();
    void buildTimers(Scheduler& scheduler);

    std::vector<std::unique_ptr<Control>> owned_;
    std::vector<std::unique_ptr<ModelTimer>> ownedTimers_;
    std::vector<Control*> controls_;
    std::vector<MenuItem*> menus_;
    std::vector<ModelTimer*> timerList_;
    WindowFrame frame_;
    Control* focus_ = nullptr;
    Control* focusHeld_ = nullptr; // lost its focus by being disabled
};

} // namespace quelm
