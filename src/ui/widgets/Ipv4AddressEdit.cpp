#include "ui/widgets/Ipv4AddressEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QRegularExpression>
#include <QStyleOptionFrame>
#include <QValidator>

#include <optional>

namespace zka {
namespace {

// Digits only, at most three, at most 255. A keystroke that would break this is refused.
class OctetValidator final : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int&) const override
    {
        if (input.isEmpty())
            return Acceptable;
        if (input.size() > 3)
            return Invalid;
        for (const QChar c : input) {
            if (c < u'0' || c > u'9')
                return Invalid;
        }
        return input.toInt() <= 255 ? Acceptable : Invalid;
    }
};

std::optional<Ipv4AddressEdit::Octets> parseDotted(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral(R"(^\s*(\d{1,3})\.(\d{1,3})\.(\d{1,3})\.(\d{1,3})\s*$)"));
    const auto match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    Ipv4AddressEdit::Octets octets{};
    for (int i = 0; i < 4; ++i) {
        const int value = match.captured(i + 1).toInt();
        if (value > 255)
            return std::nullopt;
        octets[i] = static_cast<std::uint8_t>(value);
    }
    return octets;
}

} // namespace

Ipv4AddressEdit::Ipv4AddressEdit(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    QStyleOptionFrame frame;
    frame.initFrom(this);
    const int border = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, this) + 1;

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(border, border, border, border);
    layout->setSpacing(0);

    const int fieldWidth = fontMetrics().horizontalAdvance(QStringLiteral("0000"));
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            auto* dot = new QLabel(QStringLiteral("."), this);
            dot->setForegroundRole(QPalette::Text);
            dot->setAlignment(Qt::AlignCenter);
            layout->addWidget(dot);
        }
        auto* field = new QLineEdit(this);
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        field->setValidator(new OctetValidator(field));
        field->setFixedWidth(fieldWidth);
        field->setObjectName(QStringLiteral("octet%1").arg(i));
        // Tab enters the address at its first field and leaves it from any field, like one control.
        if (i > 0)
            field->setFocusPolicy(Qt::ClickFocus);
        field->installEventFilter(this);
        connect(field, &QLineEdit::textEdited, this, [this, i] { onFieldEdited(i); });
        layout->addWidget(field);
        fields_[i] = field;
    }
    setFocusProxy(fields_[0]);
    setFocusPolicy(Qt::StrongFocus);
}

void Ipv4AddressEdit::setAddress(const Octets& octets)
{
    for (int i = 0; i < 4; ++i)
        fields_[i]->setText(QString::number(octets[i]));
}

Ipv4AddressEdit::Octets Ipv4AddressEdit::address() const
{
    Octets octets{};
    for (int i = 0; i < 4; ++i)
        octets[i] = static_cast<std::uint8_t>(fields_[i]->text().toInt()); // empty gives 0
    return octets;
}

bool Ipv4AddressEdit::isBlank() const
{
    for (const auto* field : fields_) {
        if (!field->text().isEmpty())
            return false;
    }
    return true;
}

void Ipv4AddressEdit::clear()
{
    for (auto* field : fields_)
        field->clear();
}

QString Ipv4AddressEdit::text() const
{
    const Octets octets = address();
    return QStringLiteral("%1.%2.%3.%4").arg(octets[0]).arg(octets[1]).arg(octets[2]).arg(octets[3]);
}

bool Ipv4AddressEdit::setText(const QString& dotted)
{
    const auto octets = parseDotted(dotted);
    if (!octets)
        return false;
    setAddress(*octets);
    return true;
}

QLineEdit* Ipv4AddressEdit::field(int index) const
{
    return fields_.at(static_cast<std::size_t>(index));
}

void Ipv4AddressEdit::focusField(int index)
{
    QLineEdit* target = field(index);
    target->setFocus(Qt::OtherFocusReason);
    target->selectAll();
}

void Ipv4AddressEdit::paintEvent(QPaintEvent*)
{
    // One edit frame around all four fields, drawn by the style like any line edit.
    QPainter painter(this);
    QStyleOptionFrame option;
    option.initFrom(this);
    option.rect = rect();
    option.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    for (const auto* field : fields_) {
        if (field->hasFocus())
            option.state |= QStyle::State_HasFocus;
    }
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
}

bool Ipv4AddressEdit::eventFilter(QObject* watched, QEvent* event)
{
    const int index = indexOf(watched);
    if (index < 0)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        update(); // the frame shows the focus of any field
        break;
    case QEvent::KeyPress:
        if (handleKey(index, static_cast<QKeyEvent*>(event)))
            return true;
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

int Ipv4AddressEdit::indexOf(QObject* object) const
{
    for (int i = 0; i < 4; ++i) {
        if (fields_[i] == object)
            return i;
    }
    return -1;
}

bool Ipv4AddressEdit::handleKey(int index, QKeyEvent* event)
{
    QLineEdit* current = fields_[index];
    const bool atStart = current->cursorPosition() == 0 && !current->hasSelectedText();
    const bool atEnd = current->cursorPosition() == current->text().size() && !current->hasSelectedText();

    if (event->matches(QKeySequence::Paste)) {
        const QString pasted = QApplication::clipboard()->text();
        if (setText(pasted)) {
            emit edited();
            focusField(3);
            return true;
        }
        return false; // digits go into the field through its validator
    }
    switch (event->key()) {
    case Qt::Key_Period:
    case Qt::Key_Space:
        // A dot finishes a field that holds something; in an empty field it is ignored.
        if (index < 3 && !current->text().isEmpty())
            focusField(index + 1);
        return true;
    case Qt::Key_Backspace:
        if (atStart && index > 0) {
            QLineEdit* previous = fields_[index - 1];
            previous->setFocus(Qt::OtherFocusReason);
            previous->end(false);
            return true;
        }
        return false;
    case Qt::Key_Left:
        if (atStart && index > 0 && event->modifiers() == Qt::NoModifier) {
            QLineEdit* previous = fields_[index - 1];
            previous->setFocus(Qt::OtherFocusReason);
            previous->end(false);
            return true;
        }
        return false;
    case Qt::Key_Right:
        if (atEnd && index < 3 && event->modifiers() == Qt::NoModifier) {
            QLineEdit* next = fields_[index + 1];
            next->setFocus(Qt::OtherFocusReason);
            next->home(false);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void Ipv4AddressEdit::onFieldEdited(int index)
{
    QLineEdit* current = fields_[index];
    // A full field moves the typing on to the next one.
    if (index < 3 && current->text().size() == 3 && current->cursorPosition() == 3)
        focusField(index + 1);
    emit edited();
}

} // namespace zka
