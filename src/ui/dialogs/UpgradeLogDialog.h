#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QPlainTextEdit;
class QPushButton;

namespace zka {

class Desktop;
class Prompter;
class ResourceText;

// "Upgrade log": the batch's log lines, one per camera that took part, joined into one read-only
// text in black on white. It opens at the first line with nothing selected. Enter does nothing;
// Close and Escape close it. "&Save..." writes the log as shown, with CR LF line ends, to a text file
// the operator chooses, and "&Copy" puts it on the clipboard.
class UpgradeLogDialog final : public QDialog {
    Q_OBJECT

public:
    // Each line carries its own line end; empty lines are left out. The seams must outlive the dialog.
    UpgradeLogDialog(const std::vector<std::string>& lines, Desktop& desktop, Prompter& prompter,
                     const ResourceText& texts, QWidget* parent = nullptr);

    // The log as the dialog shows it (line feeds).
    QString logText() const;
    // The log with CR LF line ends, as it is saved.
    std::string savedText() const;
    // Asks for a file and writes the log into it; false when nothing was written.
    bool save();
    void copy();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    Desktop& desktop_;
    Prompter& prompter_;
    const ResourceText& texts_;
    QPlainTextEdit* log_ = nullptr;
};

} // namespace zka
