#pragma once

#include <QLineEdit>

namespace zka {

// A single-line field that shows a value the operator cannot change: read-only, on the dialog's
// background colour like a read-only edit of the desktop, skipped by Tab but selectable for copying.
class ReadOnlyField final : public QLineEdit {
    Q_OBJECT

public:
    explicit ReadOnlyField(Qt::Alignment alignment = Qt::AlignLeft, QWidget* parent = nullptr);
};

} // namespace zka
