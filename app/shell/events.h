// How the shell reaches the features: named events that any number of
// features subscribe to, and single answers that exactly one feature gives.
//
// An `Event` calls its subscribers in the order they subscribed; subscribing
// hands back nothing, so no feature can take away or replace another's
// subscriber. A `Slot` is a question with one answer (the save question, the
// database window's state): the feature that answers sets it once, and a
// second `set` throws, so two features can never silently fight over it.
// The shell publishes the events (`ShellEventBus`, owned by Application); the
// features subscribe in their install functions.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <stdexcept>
#include <utility>
#include <vector>

namespace rix {

struct FormatSwitch;

// Where a subscriber's place among the others is part of what the writer
// sees, it subscribes with a rank: lower ranks run first, equal ranks in
// subscription order. Everything else subscribes at rank 0.
enum SubscriberRank : int {
    RANK_ANY = 0,
    // The side windows open at the last end reopen at the first redraw: the
    // notebook first, the index window over it.
    RANK_NOTEBOOK_WINDOW = 1,
    RANK_INDEX_WINDOW = 2,
};

template <class... Args>
class Event {
public:
    using Subscriber = std::function<void(Args...)>;

    void subscribe(Subscriber s, int rank = RANK_ANY) {
        if (!s) return;
        auto at = subscribers_.begin();
        while (at != subscribers_.end() && at->rank <= rank) ++at;
        subscribers_.insert(at, Entry{rank, std::move(s)});
    }
    // Every subscriber, by rank, then in subscription order. One that
    // subscribes while the event runs hears the next one.
    void publish(Args... args) const {
        const std::vector<Entry> now = subscribers_;
        for (const Entry& e : now) e.call(args...);
    }
    std::size_t size() const { return subscribers_.size(); }

private:
    struct Entry {
        int rank;
        Subscriber call;
    };
    std::vector<Entry> subscribers_;
};

// The window's timers by id: each id has its own subscribers (the feature
// that set the timer); a timer nobody subscribed to is dropped.
class TimerEvent {
public:
    void subscribe(int id, std::function<void(int id)> s) {
        if (s) subscribers_[id].push_back(std::move(s));
    }
    void publish(int id) const {
        auto it = subscribers_.find(id);
        if (it == subscribers_.end()) return;
        const std::vector<std::function<void(int)>> now = it->second;
        for (const auto& s : now) s(id);
    }
    bool subscribed(int id) const { return subscribers_.count(id) != 0; }

private:
    std::map<int, std::vector<std::function<void(int)>>> subscribers_;
};

template <class Signature>
class Slot;

// One answer, given by one feature. Unset: there is nothing to ask (callers
// test it first, as with a std::function).
template <class R, class... Args>
class Slot<R(Args...)> {
public:
    using Function = std::function<R(Args...)>;

    // The answering feature sets it once; a second setter is a wiring fault.
    void set(Function f) {
        if (f_) throw std::logic_error("a second feature answers the same hook");
        f_ = std::move(f);
    }
    // A test takes the feature's answer out (or stands in for it afterwards).
    void clear() { f_ = nullptr; }

    explicit operator bool() const { return static_cast<bool>(f_); }
    R operator()(Args... args) const { return f_(std::forward<Args>(args)...); }
    // The answer as a function to hand on (empty when unset).
    const Function& function() const { return f_; }

private:
    Function f_;
};

// What the shell tells the features, as it happens.
struct ShellEventBus {
    // The surface was shown again after drawing: the caret, the scroll bar,
    // the guides and the side windows follow the screen.
    Event<> redraw;
    // After every redraw subscriber: what is drawn over the screen and the
    // caret (the composition in place).
    Event<> redraw_overlay;
    // A window timer fired, by id (every timer but the shell's own: the
    // auto-save minute and the menu bar's return).
    TimerEvent timer;
    // The opened document was loaded into the editing tables.
    Event<> document_loaded;
    // The editing tables are cleared before another document comes: what
    // belongs to the old one goes (its tags' windows, its notebook).
    Event<> document_cleared;
    // A screen format was chosen (Alt+1..5, 編集画面書式): what depends on
    // the format's settings follows (the index window's place).
    Event<const FormatSwitch&> format_switched;
    // The exit flow, before the window goes: the side windows write whether
    // they are open, and where.
    Event<> exit;
};

}  // namespace rix
