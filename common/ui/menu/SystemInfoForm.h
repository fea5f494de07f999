#pragma once
// System information: the user profile (name, password, purse's tax rate) and the version.

#include <QString>
#include <functional>
#include <optional>

#include "ui/shell/FormBase.h"

class QLineEdit;

namespace ui {

class form_U0101 : public FormBase {
    Q_OBJECT
  public:
    // `setupUi` lays out the program's own form; the tax rate is asked when it has txt_syohizei.
    form_U0101(app::Session& session, const std::function<void(QDialog*)>& setupUi, QWidget* parent = nullptr);
    void loadProfile();
    void saveProfile();

  private:
    // The version frame and the book's path: from the program's data, not from the layout.
    void showAbout();
    QLineEdit* m_nm = nullptr;
    QLineEdit* m_syohizei = nullptr;
    QLineEdit* m_pass = nullptr;
    // The stored password (a hash, or plain text a read-only book still keeps) while the box
    // shows the placeholder for "unchanged"; null when there is none.
    std::optional<QString> m_storedPassword;
};

// What the password box shows for a stored password: never the stored text. It cannot be
// typed (the box takes no input method), so it always means "unchanged".
inline const QString kUnchangedPassword = QStringLiteral("●●●●●●●●");

}  // namespace ui
