#include "ui/dialogs/UpgradeLogDialog.h"

#include "resources/ResourceText.h"
#include "runtime/Desktop.h"
#include "runtime/Prompter.h"
#include "ui/pages/PageText.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTextCursor>
#include <QVBoxLayout>

namespace zka {
namespace {

constexpr std::uint16_t kErrorCaption = 139;
constexpr QSize kDialogSize{480, 320};

} // namespace

UpgradeLogDialog::UpgradeLogDialog(const std::vector<std::string>& lines, Desktop& desktop, Prompter& prompter,
                                   const ResourceText& texts, QWidget* parent)
    : QDialog(parent)
    , desktop_(desktop)
    , prompter_(prompter)
    , texts_(texts)
{
    setWindowTitle(QStringLiteral("Upgrade log"));
    setObjectName(QStringLiteral("upgradeLogDialog"));

    std::string joined;
    for (const std::string& line : lines)
        joined += line;

    log_ = new QPlainTextEdit(this);
    log_->setObjectName(QStringLiteral("logText"));
    log_->setReadOnly(true);
    log_->setLineWrapMode(QPlainTextEdit::NoWrap);
    log_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Black on white, although read-only: a log to be read, not a greyed-out field.
    QPalette colours = log_->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        colours.setColor(group, QPalette::Base, Qt::white);
        colours.setColor(group, QPalette::Text, Qt::black);
    }
    log_->setPalette(colours);
    log_->setPlainText(displayText(joined));

    auto* save = new QPushButton(QStringLiteral("&Save..."), this);
    save->setObjectName(QStringLiteral("saveButton"));
    auto* copy = new QPushButton(QStringLiteral("&Copy"), this);
    copy->setObjectName(QStringLiteral("copyButton"));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    // Enter does nothing here, whichever control has the focus.
    for (QPushButton* button : {save, copy, close})
        button->setAutoDefault(false);
    connect(save, &QPushButton::clicked, this, [this] { this->save(); });
    connect(copy, &QPushButton::clicked, this, &UpgradeLogDialog::copy);
    connect(close, &QPushButton::clicked, this, &UpgradeLogDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(save);
    buttons->addWidget(copy);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(log_, 1);
    layout->addLayout(buttons);
    resize(kDialogSize);
    log_->setFocus(Qt::OtherFocusReason);
}

QString UpgradeLogDialog::logText() const
{
    return log_->toPlainText();
}

std::string UpgradeLogDialog::savedText() const
{
    QString text = logText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text.toStdString();
}

bool UpgradeLogDialog::save()
{
    Desktop::FileDialog dialog;
    dialog.title = "Save the upgrade log";
    dialog.filters = {{"Text files (*.txt)", "*.txt"}, {"All files (*)", "*"}};
    dialog.defaultExtension = "txt";
    dialog.suggestedName = "upgrade-log.txt";
    const auto path = desktop_.chooseFileToSave(dialog);
    if (!path)
        return false;

    // Written whole or not at all: a half-written log never replaces an earlier file.
    QSaveFile file(QString::fromStdString(*path));
    const std::string text = savedText();
    const bool written = file.open(QIODevice::WriteOnly)
                         && file.write(text.data(), qint64(text.size())) == qint64(text.size()) && file.commit();
    if (!written) {
        prompter_.show(Message{"Cannot write the log to " + *path + ":\r\n" + file.errorString().toStdString(),
                               texts_(kErrorCaption), MessageIcon::Error, MessageButtons::Ok});
    }
    return written;
}

void UpgradeLogDialog::copy()
{
    desktop_.setClipboardText(logText().toStdString());
}

void UpgradeLogDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void UpgradeLogDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // From the first line, with nothing selected.
    log_->moveCursor(QTextCursor::Start);
    log_->ensureCursorVisible();
}

} // namespace zka
