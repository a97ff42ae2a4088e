#pragma once

#include <QColor>
#include <QProgressBar>

namespace zka {

// A smooth progress bar over 0..10000 whose filled part is one solid colour in every widget style:
// the style draws the groove, the bar itself is painted here, since several styles ignore the
// palette's highlight colour or blend it into a gradient.
class SolidProgressBar final : public QProgressBar {
    Q_OBJECT

public:
    static constexpr int kMaximum = 10000;

    explicit SolidProgressBar(QWidget* parent = nullptr);

    static QColor barColour();
    // The part of the widget that the bar fills at the current value.
    QRect filledRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace zka
