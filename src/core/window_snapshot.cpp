#include "core/window_snapshot.h"

namespace quelm {

namespace {

bool IsList(const Control& c) {
    const ControlKind k = c.kind();
    return k == ControlKind::List || k == ControlKind::FileList || k == ControlKind::DirList ||
           k == ControlKind::DriveList;
}

} // namespace

WindowSnapshot::ControlState WindowSnapshot::save(const Control& c) {
    ControlState s;
    s.caption = c.caption_;
    s.enabled = c.enabled_;
    s.visible = c.visible_;
    s.geometry = c.geometry_;
    s.fontPoints = c.fontPoints_;
    if (c.kind() == ControlKind::TextBox) s.text = static_cast<const TextBox&>(c).text_;
    if (c.kind() == ControlKind::Option) s.value = static_cast<const OptionButton&>(c).value_;
    if (c.kind() == ControlKind::Menu) s.checked = static_cast<const MenuItem&>(c).checked_;
    if (IsList(c)) {
        const auto* list = static_cast<const ListBox*>(&c);
        s.items = list->items_;
        s.paths = list->paths_;
        s.listIndex = list->listIndex_;
        s.limit = list->limit_;
        s.removed = list->removed_;
        s.path = list->path;
        s.pattern = list->pattern;
    }
    return s;
}

void WindowSnapshot::load(Control& c, const ControlState& s) {
    c.caption_ = s.caption;
    c.enabled_ = s.enabled;
    c.visible_ = s.visible;
    c.geometry_ = s.geometry;
    c.fontPoints_ = s.fontPoints;
    if (c.kind() == ControlKind::TextBox) static_cast<TextBox&>(c).text_ = s.text;
    if (c.kind() == ControlKind::Option) static_cast<OptionButton&>(c).value_ = s.value;
    if (c.kind() == ControlKind::Menu) static_cast<MenuItem&>(c).checked_ = s.checked;
    if (IsList(c)) {
        auto* list = static_cast<ListBox*>(&c);
        list->items_ = s.items;
        list->paths_ = s.paths;
        list->listIndex_ = s.listIndex;
        list->limit_ = s.limit;
        list->removed_ = s.removed;
        list->path = s.path;
        list->pattern = s.pattern;
    }
}

WindowSnapshot::WindowSnapshot(const WindowModel& w)
    : frame_(w.frame_), screen_(w.screen), focus_(w.focus_), focusHeld_(w.focusHeld_), keyPreview_(w.keyPreview),
      caption_(w.caption), linkNote_(w.linkNote) {
    for (const Control* c : w.controls_) controls_.push_back(save(*c));
    for (const MenuItem* m : w.menus_) controls_.push_back(save(*m));
    for (const ModelTimer* t : w.timerList_) timers_.push_back({t->enabled_, t->interval_, t->id_});
}

void WindowSnapshot::restore(WindowModel& w) const {
    std::size_t i = 0;
    for (Control* c : w.controls_) load(*c, controls_[i++]);
    for (MenuItem* m : w.menus_) load(*m, controls_[i++]);
    for (std::size_t k = 0; k < timers_.size(); ++k) {
        ModelTimer& t = *w.timerList_[k];
        t.enabled_ = timers_[k].enabled;
        t.interval_ = timers_[k].interval;
        t.id_ = timers_[k].id;
    }
    w.frame_ = frame_;
    w.screen = screen_;
    w.focus_ = focus_;
    w.focusHeld_ = focusHeld_;
    w.keyPreview = keyPreview_;
    w.caption = caption_;
    w.linkNote = linkNote_;
}

} // namespace quelm
