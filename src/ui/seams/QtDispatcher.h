#pragma once

#include "runtime/TimerService.h"

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace zka {

// Runs work on the user-interface thread: the thread that constructed the dispatcher. post() may be
// called from any thread; each task runs later, after the events already queued there, one at a time.
//
// The tasks travel in a queue of our own, guarded by a standard mutex, and Qt only carries an
// argument-free wake-up call. That keeps every hand-over between threads visible to ThreadSanitizer,
// which cannot see through the toolkit's own futex-based locks.
class QtDispatcher final : public QObject, public Dispatcher {
    Q_OBJECT

public:
    explicit QtDispatcher(QObject* parent = nullptr);
    QtDispatcher(const QtDispatcher&) = delete;
    QtDispatcher& operator=(const QtDispatcher&) = delete;
    ~QtDispatcher() override;

    void post(std::function<void()> task) override;
    // Whether the caller runs on the thread that the tasks run on.
    bool onUiThread() const;

private:
    Q_INVOKABLE void runOne();

    const std::thread::id uiThread_ = std::this_thread::get_id();
    std::mutex mutex_;
    std::deque<std::function<void()>> tasks_;
};

} // namespace zka
