#pragma once
// System information: the user profile (name, password, purse's tax rate) and the version.

#include "ui/FormBase.h"

class QLineEdit;

namespace ui {

class form_U0101 : public FormBase {
    Q_OBJECT
public:
    form_U0101(app::Session& session, bool withTaxRate, QWidget* parent = nullptr);
    void Load_Profile();
    void Save_Profile();

private:
    bool m_tax;
    QLineEdit* m_nm;
    QLineEdit* m_syohizei = nullptr;
    QLineEdit* m_pass;
};

}  // namespace ui
