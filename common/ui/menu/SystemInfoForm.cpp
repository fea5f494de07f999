#include "ui/menu/SystemInfoForm.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>

#include "core/AppState.h"
#include "core/Password.h"
#include "core/db/Book.h"
#include "core/db/Convert.h"
#include "core/db/Recordset.h"
#include "core/ledger/Profile.h"
#include "ui/menu/MenuForm.h"
#include "ui/menu/PasswordForm.h"
#include "ui/shell/Msg.h"

namespace ui {

form_U0101::form_U0101(app::Session& session, const std::function<void(QDialog*)>& setupUi, QWidget* parent)
    : FormBase(session, QStringLiteral("システム情報"), parent) {
    setupUi(this);
    m_nm = findChild<QLineEdit*>(QStringLiteral("txt_nm"));
    m_syohizei = findChild<QLineEdit*>(QStringLiteral("txt_syohizei"));
    m_pass = findChild<QLineEdit*>(QStringLiteral("txt_pass"));
    if (m_syohizei) markNumeric(m_syohizei);
    m_pass->setAttribute(Qt::WA_InputMethodEnabled, false);
    // Typing into the placeholder starts a new password: what was typed stays, the marks go.
    connect(m_pass, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (!m_storedPassword || !text.contains(kUnchangedPassword.at(0))) return;
        QString typed = text;
        typed.remove(kUnchangedPassword.at(0));
        m_pass->setText(typed);
    });
    showAbout();

    createFKeyBar(8, height() - 57, width() - 16);
    setFKey(1, QStringLiteral("更新"), [this] { saveProfile(); });
    setFKey(10, QStringLiteral("終了"), [this] { close(); });

    onEnter(m_nm);
    if (m_syohizei) {
        onEnter(m_syohizei);
        onShiftLeft(m_syohizei, m_nm);
        onShiftLeft(m_pass, m_syohizei);
    } else {
        onShiftLeft(m_pass, m_nm);
    }
    loadProfile();
}

void form_U0101::showAbout() {
    // Where the open book lives, in full, so that the user can find it to copy or back it up.
    if (auto* path = findChild<QLabel*>(QStringLiteral("lbl_db_path"))) {
        path->setText(QDir::toNativeSeparators(book().path()));
        path->setToolTip(path->text());
    }
    const app::AuthorInfo& a = app::author();
    if (auto* l = findChild<QLabel*>(QStringLiteral("lbl_version")))
        l->setText(app::product().title + QStringLiteral("  ") + a.version);
    if (auto* l = findChild<QLabel*>(QStringLiteral("lbl_author"))) l->setText(QStringLiteral("作った人：") + a.name);
    struct Link {
        int index;
        QString shown;
        QString target;
    };
    // The mail link writes a mail; every other link opens the author's page.
    const Link links[] = {
        {0, a.mail, QStringLiteral("mailto:") + a.mail}, {1, a.homePage, a.homePage}, {3, a.supportBoard, a.homePage}};
    for (const Link& l : links) {
        auto* link = findChild<QLabel*>(QStringLiteral("Label4_%1").arg(l.index));
        if (!link) continue;
        link->setText(QStringLiteral("<a href=\"#\">%1</a>").arg(l.shown.toHtmlEscaped()));
        const QString target = l.target;
        connect(link, &QLabel::linkActivated, this, [this, target] { this->session().openUrl(target); });
    }
}

void form_U0101::loadProfile() {
    m_nm->clear();
    if (m_syohizei) m_syohizei->setText(QStringLiteral("5"));
    m_pass->clear();
    m_storedPassword.reset();
    if (const auto profile = ledger::readProfile(book())) {
        m_nm->setText(profile->name);
        if (m_syohizei) m_syohizei->setText(QString::number(db::To_Long(profile->rate, 5)));
        const QString pass = db::To_Str(profile->password, QString());
        if (!pass.isEmpty() && pass != app::kNoPassword) {
            m_storedPassword = pass;
            m_pass->setText(kUnchangedPassword);
        }
    }
}

void form_U0101::saveProfile() {
    if (refuseReadOnly()) return;
    const bool unchanged = m_storedPassword && m_pass->text() == kUnchangedPassword;
    if (!unchanged && !m_pass->text().isEmpty()) {
        form_U0102 prompt(session(), this);
        prompt.Set_Form(2, m_pass);
        // Closing the confirmation without an answer leaves the profile as it was.
        if (prompt.ask() == form_U0102::Result::Closed) return;
    }
    {
        Hourglass wait;
        Set_FKeyEnabled(this, false);
        // The tax rate must be a number; the insert would otherwise store text in its place.
        QVariant rate;
        bool valid = true;
        if (m_syohizei) {
            const QString t = m_syohizei->text().trimmed();
            if (const auto whole = db::parseWhole(t))
                rate = *whole;
            else if (const auto d = db::numericValue(t))
                rate = *d;
            else
                valid = false;
        }
        // Only a newly typed password is stored, and only as its hash.
        QString pass = app::kNoPassword;
        if (unchanged) {
            pass = *m_storedPassword;
        } else if (!m_pass->text().isEmpty()) {
            pass = app::hashPassword(m_pass->text());
            if (pass.isEmpty()) valid = false;
        }
        ledger::ProfileWrite w;
        if (valid) {
            w = ledger::writeProfile(book(), m_syohizei != nullptr, m_nm->text(), rate, pass);
            if (!w.deleted) critical(QStringLiteral("削除できません"));
        }
        if (w.written) {
            session().setUserName(m_nm->text());
            if (pass != app::kNoPassword) {
                m_storedPassword = pass;
                m_pass->setText(kUnchangedPassword);
            } else {
                m_storedPassword.reset();
            }
        } else
            critical(QStringLiteral("更新できません"));
        Set_FKeyEnabled(this, true);
    }
    m_nm->setFocus();
}

}  // namespace ui
