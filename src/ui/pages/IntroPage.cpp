#include "ui/pages/IntroPage.h"

#include "resources/ResourceText.h"
#include "ui/pages/PageText.h"
#include "ui/widgets/ReadOnlyField.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace zka {
namespace {

constexpr std::uint16_t kPrecautionsText = 134;

void replaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

} // namespace

IntroPage::IntroPage(const ResourceText& texts, const std::string& modelName, const std::string& newVersion2x,
                     const std::string& newVersion3x, QWidget* parent)
    : QWidget(parent)
{
    const std::string title = modelName + " " + newVersion3x + "/" + versionNumber(newVersion2x) + " Firmware Upgrade";

    std::string precautions = texts(kPrecautionsText);
    replaceAll(precautions, "2.XX", versionNumber(newVersion2x));
    replaceAll(precautions, "3.XX", versionNumber(newVersion3x));

    title_ = new ReadOnlyField(Qt::AlignHCenter, this);
    title_->setObjectName(QStringLiteral("titleLine"));
    title_->setText(QString::fromStdString(title));
    QFont titleFont = title_->font();
    titleFont.setBold(true);
    title_->setFont(titleFont);
    title_->setMinimumHeight(title_->sizeHint().height() + 6);

    precautions_ = new QPlainTextEdit(this);
    precautions_->setObjectName(QStringLiteral("precautions"));
    precautions_->setReadOnly(true);
    precautions_->setTabChangesFocus(true);
    precautions_->setPlainText(displayText(precautions));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title_);
    layout->addSpacing(4);
    layout->addWidget(precautions_, 1);
}

void IntroPage::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

QString IntroPage::titleText() const
{
    return title_->text();
}

QString IntroPage::windowCaption() const
{
    return QStringLiteral("Velm ") + titleText();
}

QString IntroPage::precautionsText() const
{
    return precautions_->toPlainText();
}

} // namespace zka
