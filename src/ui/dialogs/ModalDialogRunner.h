#pragma once

#include <functional>

class QDialog;
class QWidget;

namespace zka {

// How a page or a dialog runs the modal dialogs it opens: exec(), after which the keyboard goes back
// to the opener's window (also where no window manager hands it back); or, in tests and benchmarks,
// a runner put in its place that answers the dialog without showing it.
class ModalDialogRunner final {
public:
    using Runner = std::function<int(QDialog& dialog)>;

    void replace(Runner runner) { runner_ = std::move(runner); }
    // Runs the dialog and returns its result.
    int run(QDialog& dialog, QWidget& opener) const;

private:
    Runner runner_;
};

} // namespace zka
