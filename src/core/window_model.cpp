#include "core/window_model.h"

#include <algorithm>

namespace quelm {

Control::Control(WindowModel& window, std::string name, ControlKind kind, Group* container, Twips design,
                 std::string caption)
    : window_(window), name_(std::move(name)), kind_(kind), container_(container),
      design_(design), geometry_{double(design.left), double(design.top), double(design.width), double(design.height)},
      caption_(std::move(caption)) {}

Twips Control::windowPosition() const {
    Twips p = design_;
    for (const Group* g = container_; g != nullptr; g = g->container()) {
        p.left += g->design().left;
        p.top += g->design().top;
    }
    return p;
}

void Control::notify(Change change) {
    if (window_.observer) window_.observer(*this, change);
}

void Control::setCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    notify(Change::Caption);
}

void Control::setGeometry(const Geometry& g) {
    const Geometry& o = geometry_;
    if (g.left == o.left && g.top == o.top && g.width == o.width && g.height == o.height) return;
    geometry_ = g;
    notify(Change::Geometry);
}

void Control::setFontPoints(double points) {
    if (!hasFont() || points == fontPoints_) return;
    fontPoints_ = points;
    notify(Change::Font);
}

// A control that loses the focus by being disabled takes it back when it is
// enabled again, unless the user has put it elsewhere meanwhile; until then
// no control has it, so that no keys go into a box of the window unseen.
void Control::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    WindowModel& w = window_;
    if (!enabled && w.focus_ == this) {
        w.focusHeld_ = this;
        w.focus_ = nullptr;
        notify(Change::Focus);
    }
    enabled_ = enabled;
    notify(Change::Enabled);
    if (enabled && w.focusHeld_ == this && w.focus_ == nullptr && visible_) {
        w.focusHeld_ = nullptr;
        w.focus_ = this;
        notify(Change::Focus);
    }
}

void WindowModel::userFocus(Control* control) {
    if (control == nullptr) return; // the window itself: a held focus stays held
    focus_ = control;
    focusHeld_ = nullptr;
}

void Control::setVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    notify(Change::Visible);
}

Picture::Picture(WindowModel& window, std::string name, Group* container, Twips design, std::string picture)
    : Control(window, std::move(name), ControlKind::Picture, container, design, {}), picture_(std::move(picture)) {}

Button::Button(WindowModel& window, std::string name, Group* container, Twips design, std::string caption,
               std::string picture)
    : Control(window, std::move(name), ControlKind::Button, container, design, std::move(caption)),
      picture_(std::move(picture)) {}

MenuItem::MenuItem(WindowModel& window, std::string name, MenuItem* menuParent, std::string caption)
    : Control(window, std::move(name), ControlKind::Menu, nullptr, {}, std::move(caption)), parent_(menuParent) {}

std::string WindowModel::title() const {
    const std::string& note = linkNote[English->checked() ? 1 : 0];
    return note.empty() ? caption : caption + " \u2014 " + note;
}

void MenuItem::setChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    notify(Change::Value);
}

void TextBox::setText(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    notify(Change::Text);
    if (onChange) onChange();
}

void OptionButton::clearQuietly() {
    if (!value_) return;
    value_ = false;
    notify(Change::Value);
}

void OptionButton::setValue(bool value) {
    if (!value) {
        clearQuietly();
        return;
    }
    if (value_) return;
    // The others of the group are cleared before this one shows as selected.
    if (Group* g = container()) {
        for (Control* c : window().controls())
            if (c != this && c->container() == g && c->kind() == ControlKind::Option)
                static_cast<OptionButton*>(c)->clearQuietly();
    }
    value_ = true;
    notify(Change::Value);
}

void OptionButton::select() {
    const bool wasSelected = value_;
    setValue(true);
    if (!wasSelected && onClick) onClick();
}

void ListBox::addItem(const std::string& item) {
    items_.push_back(item);
    trim();
    notify(Change::Items);
    if (onAdded) onAdded(item);
}

void ListBox::setLimit(std::size_t limit) {
    limit_ = limit;
    if (limit_ == 0 || items_.size() <= limit_) return;
    trim();
    notify(Change::Items);
}

void ListBox::trim() {
    if (limit_ == 0 || items_.size() <= limit_) return;
    const std::size_t excess = items_.size() - limit_ + (limit_ + 9) / 10 - 1;
    const std::size_t drop = std::min(excess, items_.size());
    items_.erase(items_.begin(), items_.begin() + static_cast<std::ptrdiff_t>(drop));
    if (!paths_.empty())
        paths_.erase(paths_.begin(), paths_.begin() + static_cast<std::ptrdiff_t>(std::min(drop, paths_.size())));
    listIndex_ = listIndex_ >= static_cast<int>(drop) ? listIndex_ - static_cast<int>(drop) : -1;
    removed_ += drop;
}

void ListBox::clear() {
    if (items_.empty()) return;
    removed_ += items_.size();
    items_.clear();
    paths_.clear();
    listIndex_ = -1;
    notify(Change::Items);
}

void ListBox::setItems(std::vector<std::string> items, std::vector<std::string> paths) {
    removed_ += items_.size();
    items_ = std::move(items);
    paths_ = std::move(paths);
    paths_.resize(items_.size());
    listIndex_ = -1;
    trim();
    notify(Change::Items);
}

std::string ListBox::itemPath(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= paths_.size()) return {};
    return paths_[static_cast<std::size_t>(index)];
}

void ListBox::setListIndex(int index) {
    if (index < -1 || index >= static_cast<int>(items_.size())) index = -1;
    if (index == listIndex_) return;
    listIndex_ = index;
    notify(Change::Value);
}

void ListBox::userSelect(int index, const std::function<void()>& handler) {
    if (!enabled() || !visible() || index < 0 || index >= static_cast<int>(items_.size())) return;
    setListIndex(index);
    if (handler) handler();
}

ModelTimer::ModelTimer(Scheduler& scheduler, std::string name, int intervalMs)
    : scheduler_(scheduler), name_(std::move(name)), interval_(intervalMs) {}

ModelTimer::~ModelTimer() { disarm(); }

void ModelTimer::arm() {
    if (interval_ <= 0 || id_ != 0) return;
    id_ = scheduler_.startTimer(interval_, [this] {
        if (enabled_ && onTick) onTick();
    });
}

void ModelTimer::disarm() {
    if (id_ == 0) return;
    scheduler_.stopTimer(id_);
    id_ = 0;
}

void ModelTimer::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled_)
        arm();
    else
        disarm();
}

void ModelTimer::setInterval(int intervalMs) {
    if (intervalMs == interval_) return;
    interval_ = intervalMs;
    disarm();
    if (enabled_) arm();
}

WindowModel::~WindowModel() = default;

void WindowModel::setFrame(const WindowFrame& frame) {
    frame_ = frame;
    if (frameObserver) frameObserver();
}

Control* WindowModel::find(std::string_view name) const {
    for (Control* c : controls_)
        if (c->name() == name) return c;
    for (MenuItem* m : menus_)
        if (m->name() == name) return m;
    return nullptr;
}

ModelTimer* WindowModel::findTimer(std::string_view name) const {
    for (ModelTimer* t : timerList_)
        if (t->name() == name) return t;
    return nullptr;
}

} // namespace quelm
