#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "bank/BankWindows.h"
#include "core/Password.h"
#include "purse/PurseWindows.h"
#include "support/TestEnv.h"
#include "ui/menu/SystemInfoForm.h"
#include "ui/shell/Msg.h"

namespace {

class SystemInfoTest : public AppTest {
  protected:
    void openTarget(app::Program p) {
        start(p);
        menu = new ui::form_Menu(session(), p == app::Program::Bank ? bank::menuConfig() : purse::menuConfig());
        form = new ui::form_U0101(session(), p == app::Program::Bank ? bank::setupSystemInfo : purse::setupSystemInfo);
        ASSERT_TRUE(showActive(form));
        nm = form->findChild<QLineEdit*>(QStringLiteral("txt_nm"));
        pass = form->findChild<QLineEdit*>(QStringLiteral("txt_pass"));
        tax = form->findChild<QLineEdit*>(QStringLiteral("txt_syohizei"));
    }
    void confirm(QStringList answers) {
        whenModal([answers](QWidget* w) mutable {
            auto* box = w->findChild<QLineEdit*>(QStringLiteral("txt_pass"));
            while (!answers.isEmpty() && w->isVisible()) {
                typeText(box, answers.takeFirst());
                press(box, Qt::Key_Return);
            }
        });
    }
    ui::form_Menu* menu = nullptr;
    ui::form_U0101* form = nullptr;
    QLineEdit *nm = nullptr, *pass = nullptr, *tax = nullptr;
};

// The about part names the book in full and its links open mail and the home page. The name is
// saved as typed into the one profile row and shown on the menu; a new password is kept only once
// confirmed, and then as its hash, while closing the confirmation saves nothing.
TEST_F(SystemInfoTest, TheBankProfileKeepsTheNameAsTypedAndANewPasswordOnlyOnceConfirmed) {
    openTarget(app::Program::Bank);
    EXPECT_EQ(form->findChild<QLabel*>(QStringLiteral("lbl_db_path"))->text(),
              QDir::toNativeSeparators(QFileInfo(session().databasePath()).absoluteFilePath()));
    QStringList opened;
    session().setUrlOpener([&opened](const QString& url) { opened << url; });
    for (const char* name : {"Label4_0", "Label4_1", "Label4_3"})
        emit form->findChild<QLabel*>(QLatin1String(name))->linkActivated(QStringLiteral("#"));
    ASSERT_EQ(opened.size(), 3);
    EXPECT_TRUE(opened[0].startsWith(QStringLiteral("mailto:")));
    EXPECT_EQ(opened[1], opened[2]) << "the support link opens the home page";
    EXPECT_TRUE(opened[1].contains(QStringLiteral("example.org")));

    typeText(nm, QStringLiteral("O'Brien 花子"));
    press(nm, Qt::Key_F1);
    EXPECT_TRUE(messages().takeTexts().isEmpty());
    EXPECT_EQ(value("SELECT NM FROM U01 WHERE CD=1").toString(), QStringLiteral("O'Brien 花子"));
    EXPECT_EQ(value("SELECT PASSWORD FROM U01 WHERE CD=1").toString(), QStringLiteral(" "));
    EXPECT_EQ(menu->findChild<QLabel*>(QStringLiteral("lbl_UserName"))->text(), QStringLiteral("O'Brien 花子"));

    typeText(nm, QStringLiteral("new"));
    typeText(pass, QStringLiteral("it's me"));
    whenModal([](QWidget* w) { w->close(); });
    press(nm, Qt::Key_F1);
    EXPECT_EQ(value("SELECT NM FROM U01 WHERE CD=1").toString(), QStringLiteral("O'Brien 花子"));
    confirm({QStringLiteral("it's me")});
    press(nm, Qt::Key_F1);
    EXPECT_EQ(value("SELECT count(*) FROM U01").toInt(), 1) << "saving again replaces the one row";
    const QString stored = value("SELECT PASSWORD FROM U01 WHERE CD=1").toString();
    EXPECT_TRUE(app::passwordMatches(stored, QStringLiteral("it's me")));
    EXPECT_FALSE(stored.contains(QStringLiteral("it's me")));
    form->loadProfile();
    EXPECT_EQ(pass->text(), ui::kUnchangedPassword);

    // Wrong answers at start-up count towards the three the confirmation allows; the last mismatch
    // saves the profile without a password.
    {
        ui::form_U0102 prompt(session());
        prompt.Set_Form(1);
        whenModal([](QWidget* w) {
            auto* box = w->findChild<QLineEdit*>(QStringLiteral("txt_pass"));
            for (const char* t : {"x", "it's me"}) {
                typeText(box, QString::fromLatin1(t));
                press(box, Qt::Key_Return);
            }
        });
        EXPECT_EQ(prompt.ask(), ui::form_U0102::Result::Accepted);
    }
    messages().takeTexts();
    typeText(pass, QStringLiteral("abc"));
    confirm({QStringLiteral("y"), QStringLiteral("z")});
    press(nm, Qt::Key_F1);
    const QString wrong = QStringLiteral("ﾊﾟｽﾜｰﾄﾞが違います\r\n");
    EXPECT_EQ(messages().takeTexts(), (QStringList{wrong + QStringLiteral("もう一度入力してください"),
                                                   wrong + QStringLiteral("設定しなおしてください")}));
    EXPECT_EQ(value("SELECT PASSWORD FROM U01 WHERE CD=1").toString(), QStringLiteral(" "));
    EXPECT_TRUE(pass->text().isEmpty());
}

// A rate that is no number shows 5 and a bad one refuses the save. The stored password shows as a
// placeholder that is kept without asking; typing into it starts afresh, an emptied box removes it.
TEST_F(SystemInfoTest, ThePurseProfileRefusesABadRateAndKeepsTheUnchangedPasswordWithoutAsking) {
    openTarget(app::Program::Purse);
    EXPECT_EQ(tax->text(), QStringLiteral("5"));
    const QString hash = app::hashPassword(QStringLiteral("pw"));
    sql("INSERT INTO U01 (CD,NM,SYOHIZEI,PASSWORD) VALUES (1,'old','x',?)", {hash});
    form->loadProfile();
    EXPECT_EQ(tax->text(), QStringLiteral("5")) << "a rate that is not a number shows 5";
    EXPECT_EQ(nm->text(), QStringLiteral("old"));
    ASSERT_EQ(pass->text(), ui::kUnchangedPassword);
    for (const QString& bad : {QString(), QStringLiteral("abc")}) {
        typeText(nm, QStringLiteral("new"));
        typeText(tax, bad);
        press(nm, Qt::Key_F1);
        EXPECT_EQ(messages().takeTexts(), QStringList{QStringLiteral("更新できません")});
        EXPECT_EQ(value("SELECT NM FROM U01 WHERE CD=1").toString(), QStringLiteral("old")) << "kept, not emptied";
    }
    typeText(tax, QStringLiteral("10"));
    press(nm, Qt::Key_F1);  // a confirmation prompt would block here: none is asked
    EXPECT_EQ(value("SELECT SYOHIZEI FROM U01 WHERE CD=1").toInt(), 10);
    EXPECT_EQ(value("SELECT NM FROM U01 WHERE CD=1").toString(), QStringLiteral("new"));
    EXPECT_EQ(value("SELECT PASSWORD FROM U01 WHERE CD=1").toString(), hash);

    pass->setFocus();
    pass->end(false);
    QTest::keyClicks(pass, QStringLiteral("x"));
    EXPECT_EQ(pass->text(), QStringLiteral("x"));
    pass->clear();
    press(nm, Qt::Key_F1);
    EXPECT_EQ(value("SELECT PASSWORD FROM U01 WHERE CD=1").toString(), QStringLiteral(" "));
    EXPECT_TRUE(pass->text().isEmpty());
}

}  // namespace
