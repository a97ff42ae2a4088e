#include "ui/seams/QtDesktop.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>

namespace zka {

QtDesktop::QtDesktop(QWidget* owner)
    : owner_(owner)
{
}

bool QtDesktop::openUrl(const std::string& url)
{
    const QUrl parsed(QString::fromStdString(url), QUrl::StrictMode);
    if (!parsed.isValid())
        return false;
    return QDesktopServices::openUrl(parsed);
}

std::optional<std::string> QtDesktop::chooseFileToOpen(const FileDialog& dialog)
{
    return runFileDialog(dialog, false);
}

std::optional<std::string> QtDesktop::chooseFileToSave(const FileDialog& dialog)
{
    return runFileDialog(dialog, true);
}

std::optional<std::string> QtDesktop::runFileDialog(const FileDialog& dialog, bool save)
{
    QFileDialog box(owner_, QString::fromStdString(dialog.title));
    box.setObjectName(QStringLiteral("fileDialog"));
    // Qt's own dialog: it behaves the same on every desktop and under a bare X server.
    box.setOption(QFileDialog::DontUseNativeDialog);
    box.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    box.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    QStringList filters;
    for (const FileFilter& filter : dialog.filters)
        filters << QString::fromStdString(filter.description);
    if (!filters.isEmpty())
        box.setNameFilters(filters);
    if (!dialog.defaultExtension.empty())
        box.setDefaultSuffix(QString::fromStdString(dialog.defaultExtension));
    // Never the working directory, which means nothing to the operator of a desktop program.
    const bool lastUsed = dialog.startIn == FileDialog::StartFolder::LastUsed;
    box.setDirectory(lastUsed && !lastUsedFolder_.isEmpty() ? lastUsedFolder_ : QDir::homePath());
    if (!dialog.suggestedName.empty())
        box.selectFile(QString::fromStdString(dialog.suggestedName));
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = box.selectedFiles().front();
    if (lastUsed)
        lastUsedFolder_ = QFileInfo(chosen).absolutePath();
    return chosen.toStdString();
}

std::optional<std::string> QtDesktop::clipboardText()
{
    const QClipboard* clipboard = QApplication::clipboard();
    if (!clipboard)
        return std::nullopt;
    const QString text = clipboard->text();
    if (text.isNull())
        return std::nullopt;
    return text.toStdString();
}

void QtDesktop::setClipboardText(const std::string& text)
{
    if (QClipboard* clipboard = QApplication::clipboard())
        clipboard->setText(QString::fromStdString(text));
}

} // namespace zka
