#include "ui/seams/QtPrompter.h"

#include <optional>

namespace zka {

QtPrompter::QtPrompter(QWidget* owner)
    : owner_(owner)
{
}

QtPrompter::~QtPrompter()
{
    abandonPending();
}

void QtPrompter::setBoxRunner(BoxRunner runner)
{
    runner_ = std::move(runner);
}

void QtPrompter::abandonPending()
{
    {
        std::lock_guard lock(mutex_);
        abandoned_ = true;
    }
    answered_.notify_all();
}

int QtPrompter::waitingWorkers()
{
    std::lock_guard lock(mutex_);
    return waiting_;
}

MessageAnswer QtPrompter::show(const Message& message)
{
    if (dispatcher_.onUiThread())
        return showHere(message);

    struct Request {
        Message message;
        std::optional<MessageAnswer> answer;
    };
    auto request = std::make_shared<Request>(Request{message, std::nullopt});
    {
        std::lock_guard lock(mutex_);
        if (abandoned_)
            return negativeAnswer(message.buttons);
    }
    dispatcher_.post([this, request] {
        {
            std::lock_guard lock(mutex_);
            if (abandoned_)
                return;
        }
        const MessageAnswer answer = showHere(request->message);
        {
            std::lock_guard lock(mutex_);
            request->answer = answer;
        }
        answered_.notify_all();
    });
    std::unique_lock lock(mutex_);
    ++waiting_;
    answered_.wait(lock, [&] { return request->answer.has_value() || abandoned_; });
    --waiting_;
    return request->answer.value_or(negativeAnswer(message.buttons));
}

MessageAnswer QtPrompter::showHere(const Message& message)
{
    const auto box = buildBox(message, owner_.data());
    const int button = runner_ ? runner_(*box) : box->exec();
    // The keyboard goes back to the owner's window, also where no window manager hands it back.
    if (!runner_ && owner_)
        owner_->window()->activateWindow();
    return answerFor(button, message.buttons);
}

std::unique_ptr<QMessageBox> QtPrompter::buildBox(const Message& message, QWidget* owner)
{
    auto box = std::make_unique<QMessageBox>(owner);
    box->setWindowTitle(QString::fromStdString(message.caption));
    box->setTextFormat(Qt::PlainText);
    box->setText(QString::fromStdString(message.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));

    switch (message.icon) {
    case MessageIcon::None: box->setIcon(QMessageBox::NoIcon); break;
    case MessageIcon::Information: box->setIcon(QMessageBox::Information); break;
    case MessageIcon::Question: box->setIcon(QMessageBox::Question); break;
    case MessageIcon::Warning: box->setIcon(QMessageBox::Warning); break;
    case MessageIcon::Error: box->setIcon(QMessageBox::Critical); break;
    }

    // The first button is the default one unless the message names another; Escape and the
    // window's close button give the negative one.
    switch (message.buttons) {
    case MessageButtons::Ok:
        box->setStandardButtons(QMessageBox::Ok);
        box->setDefaultButton(QMessageBox::Ok);
        box->setEscapeButton(QMessageBox::Ok);
        break;
    case MessageButtons::OkCancel:
        box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box->setDefaultButton(QMessageBox::Ok);
        box->setEscapeButton(QMessageBox::Cancel);
        break;
    case MessageButtons::YesNo:
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box->setDefaultButton(QMessageBox::Yes);
        box->setEscapeButton(QMessageBox::No);
        break;
    }
    if (message.defaultAnswer) {
        switch (*message.defaultAnswer) {
        case MessageAnswer::Ok: box->setDefaultButton(QMessageBox::Ok); break;
        case MessageAnswer::Cancel: box->setDefaultButton(QMessageBox::Cancel); break;
        case MessageAnswer::Yes: box->setDefaultButton(QMessageBox::Yes); break;
        case MessageAnswer::No: box->setDefaultButton(QMessageBox::No); break;
        }
    }
    return box;
}

MessageAnswer QtPrompter::answerFor(int standardButton, MessageButtons buttons)
{
    switch (standardButton) {
    case QMessageBox::Ok:
        if (buttons != MessageButtons::YesNo)
            return MessageAnswer::Ok;
        break;
    case QMessageBox::Cancel:
        if (buttons == MessageButtons::OkCancel)
            return MessageAnswer::Cancel;
        break;
    case QMessageBox::Yes:
        if (buttons == MessageButtons::YesNo)
            return MessageAnswer::Yes;
        break;
    case QMessageBox::No:
        if (buttons == MessageButtons::YesNo)
            return MessageAnswer::No;
        break;
    default:
        break;
    }
    // A button the box does not carry (or a box closed another way) counts as the negative answer.
    return negativeAnswer(buttons);
}

MessageAnswer QtPrompter::negativeAnswer(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok: return MessageAnswer::Ok;
    case MessageButtons::OkCancel: return MessageAnswer::Cancel;
    case MessageButtons::YesNo: return MessageAnswer::No;
    }
    return MessageAnswer::Cancel;
}

} // namespace zka
