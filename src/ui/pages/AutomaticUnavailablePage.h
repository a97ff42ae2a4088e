#pragma once

#include <QWidget>

namespace zka {

// Shown in place of the automatic mode's pages while this version of the tool does not have them:
// it says so plainly and points the operator back to the manual mode.
class AutomaticUnavailablePage final : public QWidget {
    Q_OBJECT

public:
    explicit AutomaticUnavailablePage(QWidget* parent = nullptr);

    QString message() const;
};

} // namespace zka
