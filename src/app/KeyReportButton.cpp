#include "app/KeyReportButton.h"

#include <QKeyEvent>

namespace zka {

KeyReportButton::KeyReportButton(const QString& text, QWidget* parent)
    : QPushButton(text, parent)
{
}

void KeyReportButton::keyReleaseEvent(QKeyEvent* event)
{
    // A held key repeats as release/press pairs; only the real release counts.
    if (event->key() == Qt::Key_K && !event->isAutoRepeat())
        emit kKeyReleased();
    QPushButton::keyReleaseEvent(event);
}

} // namespace zka
