// Observable values and events: the whole contract between a window model
// and whatever renders it.
#pragma once

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace ui {

// A value that tells its observers when it really changes. Observers run
// synchronously on the thread that calls set(), which is always the UI thread.
template <class T>
class Property {
public:
    using Observer = std::function<void(const T&)>;

    Property() = default;
    // Not explicit, so that a control can initialise its properties from a braced list.
    Property(T initial) : value_(std::move(initial)) {}
    Property(const Property&) = delete;
    Property& operator=(const Property&) = delete;

    const T& operator()() const { return value_; }
    const T& get() const { return value_; }

    // Returns true when the value changed (and observers were told).
    bool set(T v) {
        if (coerce_) v = coerce_(std::move(v));
        if (v == value_) return false;
        value_ = std::move(v);
        notify();
        return true;
    }

    // Tells the observers again without a change: for values mutated in place
    // through mutable() (a list of items, say).
    void notify() {
        // A copy, so that an observer may add or remove observers.
        auto observers = observers_;
        for (auto& [id, f] : observers) f(value_);
    }
    T& mutableValue() { return value_; }

    int observe(Observer f) {
        observers_.emplace_back(++lastId_, std::move(f));
        return lastId_;
    }
    void unobserve(int id) {
        observers_.erase(
            std::remove_if(observers_.begin(), observers_.end(), [id](const auto& o) { return o.first == id; }),
            observers_.end());
    }
    size_t observerCount() const { return observers_.size(); }

    // Applied to every value given to set(): a track bar clamps its position.
    void setCoerce(std::function<T(T)> f) { coerce_ = std::move(f); }

private:
    T value_{};
    std::vector<std::pair<int, Observer>> observers_;
    int lastId_ = 0;
    std::function<T(T)> coerce_;
};

// One handler, as the window's event properties have (OnClick, OnTimer, ...).
// Calling an event without a handler does nothing.
template <class... Args>
class Event {
public:
    using Handler = std::function<void(Args...)>;

    Event& operator=(Handler h) {
        handler_ = std::move(h);
        return *this;
    }
    void operator()(Args... args) const {
        if (handler_) handler_(args...);
    }
    explicit operator bool() const { return static_cast<bool>(handler_); }

private:
    Handler handler_;
};

}  // namespace ui
