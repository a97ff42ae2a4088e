#include "ui/widgets/Ipv4AddressEdit.h"

#include "ui/widgets/OctetValidator.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QRegularExpression>
#include <QStyleOptionFrame>

#include <optional>
#include <utility>

namespace zka {
namespace {

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
    resetTyping();
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
    resetTyping();
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
    selectOnClick_ = index;
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
        update(); // the frame shows the focus of any field
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
            selectOnClick_ = index;
        break;
    case QEvent::FocusOut: {
        update();
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Leaving the address for another control ends what was typed or selected in it; a
        // popup or another window taking the focus for a while does not.
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason
            && indexOf(QApplication::focusWidget()) < 0) {
            resetTyping();
            for (auto* field : fields_)
                field->deselect();
        }
        break;
    }
    case QEvent::KeyPress:
        if (handleKey(index, static_cast<QKeyEvent*>(event)))
            return true;
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        if (handleMouse(index, static_cast<QMouseEvent*>(event)))
            return true;
        break;
    case QEvent::ContextMenu:
        showContextMenu(index, static_cast<QContextMenuEvent*>(event));
        return true;
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
    switch (event->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
        return false; // a modifier on its own changes nothing of the typing (some layouts shift digits)
    default:
        break;
    }
    const bool afterAdvance = std::exchange(justAdvanced_, false);
    selectOnClick_ = -1;

    if (event->matches(QKeySequence::SelectAll)) {
        selectWholeAddress();
        return true;
    }
    if (event->matches(QKeySequence::Paste)) {
        if (pasteAddress(QApplication::clipboard()->text()))
            return true;
        resetTyping();
        return false; // digits go into the field through its validator
    }
    if (wholeSelected_ && handleKeyOverWholeAddress(event))
        return true;

    QLineEdit* current = fields_[index];
    const bool atStart = current->cursorPosition() == 0 && !current->hasSelectedText();
    const bool atEnd = current->cursorPosition() == current->text().size() && !current->hasSelectedText();
    const bool plain = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;

    switch (event->key()) {
    case Qt::Key_Period:
    case Qt::Key_Space:
        // A dot finishes a field that holds something; in an empty field, or right after a full
        // field moved on by itself, it is ignored.
        if (afterAdvance || current->text().isEmpty())
            return true;
        if (index < 3)
            focusField(index + 1);
        else if (typingStart_ > 0)
            moveTypedToFront(); // more numbers follow than fields remain: a whole address is coming
        return true;
    case Qt::Key_0:
    case Qt::Key_1:
    case Qt::Key_2:
    case Qt::Key_3:
    case Qt::Key_4:
    case Qt::Key_5:
    case Qt::Key_6:
    case Qt::Key_7:
    case Qt::Key_8:
    case Qt::Key_9:
        return false; // into the field; onFieldEdited follows the typing
    case Qt::Key_Backspace:
        resetTyping();
        if (atStart && index > 0) {
            QLineEdit* previous = fields_[index - 1];
            previous->setFocus(Qt::OtherFocusReason);
            previous->end(false);
            return true;
        }
        return false;
    case Qt::Key_Left:
        resetTyping();
        if (atStart && index > 0 && plain) {
            QLineEdit* previous = fields_[index - 1];
            previous->setFocus(Qt::OtherFocusReason);
            previous->end(false);
            return true;
        }
        return false;
    case Qt::Key_Right:
        resetTyping();
        if (atEnd && index < 3 && plain) {
            QLineEdit* next = fields_[index + 1];
            next->setFocus(Qt::OtherFocusReason);
            next->home(false);
            return true;
        }
        return false;
    default:
        resetTyping();
        return false;
    }
}

bool Ipv4AddressEdit::handleKeyOverWholeAddress(QKeyEvent* event)
{
    const bool cut = event->matches(QKeySequence::Cut);
    if (cut || event->matches(QKeySequence::Copy)) {
        if (!isBlank())
            QApplication::clipboard()->setText(text());
        if (!cut)
            return true;
    }
    const QString typed = event->text();
    const bool digit = typed.size() == 1 && typed[0] >= u'0' && typed[0] <= u'9';
    if (cut || digit || event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
        clear();
        fields_[0]->setFocus(Qt::OtherFocusReason);
        if (digit)
            QCoreApplication::sendEvent(fields_[0], event); // starts the new address
        else
            emit edited();
        return true;
    }
    endWholeSelection();
    return false;
}

bool Ipv4AddressEdit::handleMouse(int index, QMouseEvent* event)
{
    QLineEdit* field = fields_[index];
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (event->button() == Qt::RightButton)
            return false; // the context menu acts on what is selected now
        resetTyping();
        if (event->button() == Qt::LeftButton && selectOnClick_ == index) {
            // The click that brings the typing into a field selects it, so that what is typed
            // next replaces it; a further click places the cursor.
            selectOnClick_ = -1;
            clickSelected_ = true;
            field->selectAll();
            return true;
        }
        selectOnClick_ = -1;
        return false;
    case QEvent::MouseMove:
        return clickSelected_ && (event->buttons() & Qt::LeftButton);
    case QEvent::MouseButtonRelease:
        clickSelected_ = false;
        // The middle button pastes the primary selection: a dotted address fills all four fields.
        if (event->button() == Qt::MiddleButton && QApplication::clipboard()->supportsSelection())
            return pasteAddress(QApplication::clipboard()->text(QClipboard::Selection));
        return false;
    default:
        return false;
    }
}

void Ipv4AddressEdit::showContextMenu(int index, QContextMenuEvent* event)
{
    // The address's own menu: Copy, Paste and Select All act on the whole address as their keys do.
    QLineEdit* field = fields_[index];
    QMenu menu;
    QAction* copy = menu.addAction(tr("&Copy"), this, [this, field] {
        if (wholeSelected_)
            QApplication::clipboard()->setText(text());
        else
            field->copy();
    });
    copy->setObjectName(QStringLiteral("edit-copy"));
    copy->setEnabled(field->hasSelectedText() || (wholeSelected_ && !isBlank()));
    QAction* paste = menu.addAction(tr("&Paste"), this, [this, field] {
        if (!pasteAddress(QApplication::clipboard()->text()))
            field->paste();
    });
    paste->setObjectName(QStringLiteral("edit-paste"));
    paste->setEnabled(!QApplication::clipboard()->text().isEmpty());
    menu.addSeparator();
    menu.addAction(tr("Select &All"), this, &Ipv4AddressEdit::selectWholeAddress)
        ->setObjectName(QStringLiteral("select-all"));
    menu.exec(event->globalPos());
}

void Ipv4AddressEdit::onFieldEdited(int index)
{
    QLineEdit* current = fields_[index];
    if (typingStart_ < 0)
        typingStart_ = index;
    // A leading zero gives way to the digit typed after it: "0" then "3" is 3, not "03".
    const QString typed = current->text();
    if (typed.size() > 1 && typed.startsWith(u'0'))
        current->setText(QString::number(typed.toInt()));
    // A full field moves the typing on to the next one.
    if (index < 3 && current->text().size() == 3 && current->cursorPosition() == 3) {
        focusField(index + 1);
        justAdvanced_ = true;
    }
    emit edited();
}

void Ipv4AddressEdit::selectWholeAddress()
{
    resetTyping();
    for (auto* field : fields_)
        field->selectAll();
    wholeSelected_ = true;
}

void Ipv4AddressEdit::endWholeSelection()
{
    if (!std::exchange(wholeSelected_, false))
        return;
    for (auto* field : fields_) {
        if (!field->hasFocus())
            field->deselect();
    }
}

void Ipv4AddressEdit::resetTyping()
{
    typingStart_ = -1;
    justAdvanced_ = false;
    endWholeSelection();
}

bool Ipv4AddressEdit::pasteAddress(const QString& text)
{
    const auto octets = parseDotted(text);
    if (!octets)
        return false;
    setAddress(*octets);
    emit edited();
    focusField(3);
    return true;
}

void Ipv4AddressEdit::moveTypedToFront()
{
    const int typed = 4 - typingStart_;
    for (int i = 0; i < 4; ++i)
        fields_[i]->setText(i < typed ? fields_[typingStart_ + i]->text() : QString());
    typingStart_ = 0;
    focusField(typed);
    emit edited();
}

} // namespace zka
