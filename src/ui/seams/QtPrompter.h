#pragma once

#include "runtime/Prompter.h"
#include "ui/seams/QtDispatcher.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace zka {

// Message boxes on Qt. On the user-interface thread (the constructing thread) show() runs a modal
// QMessageBox owned by the owner widget. From any other thread it hands the message to the
// user-interface thread and waits there for the answer, as a worker of the upgrade expects.
class QtPrompter final : public Prompter {
public:
    // Runs a built box and returns the standard button that closed it. The default is exec();
    // tests put a runner in its place that answers without showing a modal box.
    using BoxRunner = std::function<int(QMessageBox& box)>;

    explicit QtPrompter(QWidget* owner);
    QtPrompter(const QtPrompter&) = delete;
    QtPrompter& operator=(const QtPrompter&) = delete;
    ~QtPrompter() override;

    MessageAnswer show(const Message& message) override;

    void setBoxRunner(BoxRunner runner);
    // From now on messages of other threads are not shown: waiting workers and later callers get the
    // negative answer (Cancel, No, or OK for a box that has nothing else). The owner calls this before
    // it joins workers on shutdown, so that no worker waits for a box that will never be shown.
    void abandonPending();
    // How many other threads wait in show() for their answer now.
    int waitingWorkers();

    // The box for a message: caption, plain text (CR LF pairs as line breaks), icon and buttons.
    static std::unique_ptr<QMessageBox> buildBox(const Message& message, QWidget* owner);
    // The answer that a standard button of the box stands for.
    static MessageAnswer answerFor(int standardButton, MessageButtons buttons);
    static MessageAnswer negativeAnswer(MessageButtons buttons);

private:
    MessageAnswer showHere(const Message& message);

    QPointer<QWidget> owner_;
    BoxRunner runner_;
    std::mutex mutex_;
    std::condition_variable answered_;
    bool abandoned_ = false;
    int waiting_ = 0;
    // Declared last: destroyed first, so no carried-over message is shown during destruction.
    QtDispatcher dispatcher_;
};

} // namespace zka
