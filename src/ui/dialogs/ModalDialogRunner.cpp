#include "ui/dialogs/ModalDialogRunner.h"

#include <QDialog>

namespace zka {

int ModalDialogRunner::run(QDialog& dialog, QWidget& opener) const
{
    if (runner_)
        return runner_(dialog);
    const int result = dialog.exec();
    opener.window()->activateWindow();
    return result;
}

} // namespace zka
