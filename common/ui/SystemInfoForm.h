#pragma once
// System information: the user profile (name, password, purse's tax rate) and the version.

#include <functional>

#include "ui/FormBase.h"

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
};

}  // namespace ui
