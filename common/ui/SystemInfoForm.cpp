#include "ui/SystemInfoForm.h"

#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "core/AppState.h"
#include "core/db/Convert.h"
#include "core/db/Database.h"
#include "core/db/Recordset.h"
#include "core/ledger/Profile.h"
#include "ui/MenuForm.h"
#include "ui/Msg.h"
#include "ui/PasswordForm.h"

namespace ui {
namespace {
QLabel* label(QWidget* parent, const QString& text, int x, int y, int w, int h = 20) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(x, y, w, h);
    return l;
}
QLineEdit* edit(QWidget* parent, const char* name, int x, int y, int w) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setGeometry(x, y, w, 24);
    return e;
}
}  // namespace

form_U0101::form_U0101(app::Session& session, bool withTaxRate, QWidget* parent)
    : FormBase(session, QStringLiteral("システム情報"), parent), m_tax(withTaxRate) {
    setObjectName(QStringLiteral("form_U0101"));
    resize(560, 364);
    label(this, QString::fromUtf8(kHintEnter), 8, 4, 540);

    label(this, QStringLiteral("利用者名"), 16, 36, 100);
    m_nm = edit(this, "txt_nm", 120, 34, 300);
    int y = 68;
    if (m_tax) {
        label(this, QStringLiteral("消費税"), 16, y + 2, 100);
        m_syohizei = edit(this, "txt_syohizei", 120, y, 60);
        m_syohizei->setAlignment(Qt::AlignRight);
        Mark_Numeric(m_syohizei);
        label(this, QStringLiteral("%"), 186, y + 2, 20);
        y += 34;
    }
    label(this, QStringLiteral("ﾊﾟｽﾜｰﾄﾞ"), 16, y + 2, 100);
    m_pass = edit(this, "txt_pass", 120, y, 160);
    m_pass->setEchoMode(QLineEdit::Password);
    m_pass->setAttribute(Qt::WA_InputMethodEnabled, false);
    label(this, QStringLiteral("空欄にすると解除されます"), 290, y + 2, 250);
    y += 34;

    // Where the open book lives, in full, so that the user can find it to copy or back it up.
    label(this, QStringLiteral("データベース"), 16, y + 2, 100);
    auto* path = label(this, QDir::toNativeSeparators(db::Database_Path()), 120, y + 2, 424);
    path->setObjectName(QStringLiteral("lbl_db_path"));
    path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    path->setToolTip(path->text());

    auto* version = new QGroupBox(QStringLiteral("バージョン情報"), this);
    version->setGeometry(16, y + 40, 528, 120);
    const app::AuthorInfo& a = app::Author();
    label(version, app::Product().title + QStringLiteral("  ") + a.version, 16, 22, 240);
    label(version, QStringLiteral("作った人：") + a.name, 16, 44, 240);
    struct Link {
        int index;
        QString caption;
        QString shown;
        int x, y;
    };
    const Link links[] = {{0, QString(), a.mail, 260, 22},
                          {1, QStringLiteral("HP："), a.homePage, 260, 44},
                          {3, QStringLiteral("サポートBBS："), a.supportBoard, 16, 72}};
    for (const Link& l : links) {
        int x = l.x;
        if (!l.caption.isEmpty()) {
            label(version, l.caption, x, l.y, 100);
            x += l.index == 3 ? 100 : 36;
        }
        auto* link = new QLabel(QStringLiteral("<a href=\"#\">%1</a>").arg(l.shown.toHtmlEscaped()), version);
        link->setObjectName(QStringLiteral("Label4_%1").arg(l.index));
        link->setGeometry(x, l.y, 260, 20);
        link->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
        // The mail link writes a mail; every other link opens the author's page.
        const QString target = l.index == 0 ? QStringLiteral("mailto:") + a.mail : a.homePage;
        connect(link, &QLabel::linkActivated, this, [this, target] { this->session().openUrl(target); });
    }

    Create_FKeyBar(8, height() - 57, width() - 16);
    Set_FKey(1, QStringLiteral("更新"), [this] { Save_Profile(); });
    Set_FKey(10, QStringLiteral("終了"), [this] { close(); });

    On_Enter(m_nm);
    if (m_syohizei) {
        On_Enter(m_syohizei);
        On_ShiftLeft(m_syohizei, m_nm);
        On_ShiftLeft(m_pass, m_syohizei);
    } else {
        On_ShiftLeft(m_pass, m_nm);
    }
    Load_Profile();
}

void form_U0101::Load_Profile() {
    m_nm->clear();
    if (m_syohizei) m_syohizei->setText(QStringLiteral("5"));
    m_pass->clear();
    if (const auto profile = ledger::Read_Profile()) {
        m_nm->setText(profile->name);
        if (m_syohizei) m_syohizei->setText(QString::number(db::To_Long(profile->rate, 5)));
        QString pass = db::To_Str(profile->password, QString());
        if (pass == QStringLiteral(" ")) pass.clear();
        m_pass->setText(pass);
    }
}

void form_U0101::Save_Profile() {
    if (refuseReadOnly()) return;
    if (!m_pass->text().isEmpty()) {
        form_U0102 prompt(session(), this);
        prompt.Set_Form(2, m_pass);
        // Closing the confirmation without an answer leaves the profile as it was.
        if (prompt.Ask() == form_U0102::Result::Closed) return;
    }
    {
        Hourglass wait;
        Set_FKeyEnabled(this, false);
        // The tax rate must be a number; the insert would otherwise store text in its place.
        QVariant rate;
        bool valid = true;
        if (m_syohizei) {
            const QString t = m_syohizei->text().trimmed();
            if (const auto whole = db::Parse_Whole(t))
                rate = *whole;
            else if (const auto d = db::Numeric_Value(t))
                rate = *d;
            else
                valid = false;
        }
        const QString pass = m_pass->text().isEmpty() ? QStringLiteral(" ") : m_pass->text();
        ledger::ProfileWrite w;
        if (valid) {
            w = ledger::Write_Profile(m_syohizei != nullptr, m_nm->text(), rate, pass);
            if (!w.deleted) critical(QStringLiteral("削除できません"));
        }
        if (w.written)
            session().setUserName(m_nm->text());
        else
            critical(QStringLiteral("更新できません"));
        Set_FKeyEnabled(this, true);
    }
    m_nm->setFocus();
}

}  // namespace ui
