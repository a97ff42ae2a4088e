#pragma once

#include <QWidget>

#include <string>

class QPlainTextEdit;

namespace zka {

class ReadOnlyField;
class ResourceText;

// The first page: the title of the firmware this tool carries and the operating precautions.
class IntroPage final : public QWidget {
    Q_OBJECT

public:
    // modelName is the principal model; the new-version texts are "ver" followed by the version.
    IntroPage(const ResourceText& texts, const std::string& modelName, const std::string& newVersion2x,
              const std::string& newVersion3x, QWidget* parent = nullptr);

    // model + " " + newVersion3x + "/" + the 2.x version number + " Firmware Upgrade".
    QString titleText() const;
    // The wizard's caption while this tool runs: "Velm " + the title.
    QString windowCaption() const;
    // The precautions as shown, "2.XX" and "3.XX" replaced by the version numbers.
    QString precautionsText() const;

protected:
    // Enter and Escape typed into this page do nothing: the operator reads it and moves on with Next.
    void keyPressEvent(QKeyEvent* event) override;

private:
    ReadOnlyField* title_ = nullptr;
    QPlainTextEdit* precautions_ = nullptr;
};

} // namespace zka
