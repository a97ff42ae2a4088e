#pragma once

class QFormLayout;
class QLineEdit;
class QWidget;

namespace zka {

// The administrator name and password of the login dialogs: two edits of at most 16 characters, the
// password hidden, on rows "Administrator &name:" and "Administrator &password:" of a form.
struct LoginRows {
    static constexpr int kMaxLength = 16;

    QLineEdit* name = nullptr;
    QLineEdit* password = nullptr;

    static LoginRows addTo(QFormLayout& form, QWidget* parent);
};

} // namespace zka
