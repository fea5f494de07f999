#include "ui/menu/PasswordForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/Password.h"
#include "core/db/Recordset.h"
#include "ui/shell/FormBase.h"
#include "ui_Password.h"

namespace ui {
form_U0102::form_U0102(app::Session& session, QWidget* parent) : QDialog(parent), m_session(session) {
    Ui::Password form;
    form.setupUi(this);
    m_label = form.lbl_pass;
    m_pass = form.txt_pass;
    m_ok = form.Command1;
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    m_pass->setAttribute(Qt::WA_InputMethodEnabled, false);
    // OK is the layout's default button, the only one of the programs: Enter in the box presses it.
    connect(m_ok, &QPushButton::clicked, this, &form_U0102::ok);
    Set_BackColor(m_pass, kNormalColor);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        if (old == m_pass) Set_BackColor(m_pass, kNormalColor);
        if (now == m_pass) Set_BackColor(m_pass, kFocusColor);
    });
}

void form_U0102::Set_Form(int mode, QLineEdit* confirmTarget) {
    m_mode = mode;
    m_target = confirmTarget;
    if (mode == 1) m_label->setText(QStringLiteral("パスワードを入力してください"));
    if (mode == 2) m_label->setText(QStringLiteral("パスワードをもう一度入力してください"));
}

form_U0102::Result form_U0102::ask() {
    m_result = Result::Closed;
    m_pass->clear();
    m_pass->setFocus();
    exec();
    return m_result;
}

void form_U0102::ok() {
    const QString wrong = QStringLiteral("ﾊﾟｽﾜｰﾄﾞが違います\r\n");
    if (m_mode == 1) {
        db::Rs u01;
        const bool have = db::Open_U01(m_session.book(), u01) == db::kRows;
        const QVariant stored = have ? u01->field(QStringLiteral("PASSWORD")) : QVariant();
        db::Close_Rs(u01);
        if (have && stored.isValid() && app::passwordMatches(stored.toString(), m_pass->text())) {
            m_typed = m_pass->text();
            m_result = Result::Accepted;
            accept();
            return;
        }
        ++m_session.passwordFailures;
        if (m_session.passwordFailures < 3) {
            m_session.show(this, wrong + QStringLiteral("もう一度入力してください"), app::Icon::Critical);
            m_pass->clear();
            return;
        }
        m_session.show(this, wrong + QStringLiteral("終了します"), app::Icon::Critical);
        m_result = Result::Ended;
        accept();
        return;
    }
    if (m_mode == 2) {
        if (m_target && m_pass->text() == m_target->text()) {
            m_result = Result::Accepted;
            accept();
            return;
        }
        ++m_session.passwordFailures;
        if (m_session.passwordFailures >= 3) {
            m_session.show(this, wrong + QStringLiteral("設定しなおしてください"), app::Icon::Critical);
            if (m_target) m_target->clear();
            m_result = Result::Cancelled;
            accept();
            return;
        }
        m_session.show(this, wrong + QStringLiteral("もう一度入力してください"), app::Icon::Critical);
        m_pass->clear();
    }
}

void form_U0102::closeEvent(QCloseEvent* e) {
    // Closing the prompt without the right password never counts as the right password.
    if (m_result != Result::Accepted && m_result != Result::Ended && m_result != Result::Cancelled)
        m_result = Result::Closed;
    QDialog::closeEvent(e);
}

}  // namespace ui
