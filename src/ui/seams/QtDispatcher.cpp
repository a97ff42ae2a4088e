#include "ui/seams/QtDispatcher.h"

#include <QMetaObject>

namespace zka {

QtDispatcher::QtDispatcher(QObject* parent)
    : QObject(parent)
{
}

// Pending wake-up calls die with the object; the tasks they would have run are dropped here.
QtDispatcher::~QtDispatcher() = default;

void QtDispatcher::post(std::function<void()> task)
{
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    // One wake-up per task, so every task runs in its own turn of the event loop.
    QMetaObject::invokeMethod(this, "runOne", Qt::QueuedConnection);
}

bool QtDispatcher::onUiThread() const
{
    return std::this_thread::get_id() == uiThread_;
}

void QtDispatcher::runOne()
{
    std::function<void()> task;
    {
        std::lock_guard lock(mutex_);
        if (tasks_.empty())
            return;
        task = std::move(tasks_.front());
        tasks_.pop_front();
    }
    if (task)
        task();
}

} // namespace zka
