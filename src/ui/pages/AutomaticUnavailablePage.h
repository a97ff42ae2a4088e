#pragma once

#include <QWidget>

namespace zka {

// Shown after the automatic mode's choice of cameras while this version of the tool cannot upgrade
// them as a batch: it says so plainly and points the operator back to the manual mode.
class AutomaticUnavailablePage final : public QWidget {
    Q_OBJECT

public:
    explicit AutomaticUnavailablePage(QWidget* parent = nullptr);

    QString message() const;
};

} // namespace zka
