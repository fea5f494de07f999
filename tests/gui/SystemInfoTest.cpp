#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "bank/BankWindows.h"
#include "core/Password.h"
#include "purse/PurseWindows.h"
#include "support/TestEnv.h"
#include "ui/Msg.h"
#include "ui/SystemInfoForm.h"

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

TEST_F(SystemInfoTest, SavesTheNameAsTypedAndShowsItOnTheMenu) {
    openTarget(app::Program::Bank);
    EXPECT_EQ(tax, nullptr);
    typeText(nm, QStringLiteral("O'Brien 花子"));
    press(nm, Qt::Key_F1);
    EXPECT_TRUE(messages().takeTexts().isEmpty());
    EXPECT_EQ(value("SELECT NM FROM U01 WHERE CD=1").toString(), QStringLiteral("O'Brien 花子"));
    EXPECT_EQ(value("SELECT PASSWORD FROM U01 WHERE CD=1").toString(), QStringLiteral(" "));
    EXPECT_EQ(value("SELECT count(*) FROM U01").toInt(), 1);
    EXPECT_EQ(menu->findChild<QLabel*>(QStringLiteral("lbl_UserName"))->text(), QStringLiteral("O'Brien 花子"));
    // Saving again replaces the one row.
    press(nm, Qt::Key_F1);
    EXPECT_EQ(value("SELECT count(*) FROM U01").toInt(), 1);
}

TEST_F(SystemInfoTest, ANewPasswordIsConfirmedFirst) {
    openTarget(app::Program::Bank);
    typeText(pass, QStringLiteral("it's me"));
    confirm({QStringLiteral("it's me")});
    press(nm, Qt::Key_F1);
    // Kept as its hash, never as the text; the box never shows either.
    const QString stored = value("SELECT PASSWORD FROM U01 WHERE CD=1").toString();
    EXPECT_TRUE(app::passwordMatches(stored, QStringLiteral("it's me")));
    EXPECT_FALSE(stored.contains(QStringLiteral("it's me")));
    form->loadProfile();
    EXPECT_EQ(pass->text(), ui::kUnchangedPassword);
}

TEST_F(SystemInfoTest, TheUnchangedPasswordIsKeptWithoutAskingAndAnEmptyBoxRemovesIt) {
    openTarget(app::Program::Purse);
    const QString hash = app::hashPassword(QStringLiteral("pw"));
    sql("INSERT INTO U01 (CD,NM,SYOHIZEI,PASSWORD) VALUES (1,'old',5,?)", {hash});
    form->loadProfile();
    ASSERT_EQ(pass->text(), ui::kUnchangedPassword);
    typeText(nm, QStringLiteral("new"));
    press(nm, Qt::Key_F1);  // a confirmation prompt would block here: none is asked
    EXPECT_EQ(value("SELECT PASSWORD FROM U01 WHERE CD=1").toString(), hash);
    EXPECT_EQ(value("SELECT NM FROM U01 WHERE CD=1").toString(), QStringLiteral("new"));

    // Typing into the placeholder starts a new password from what was typed.
    pass->setFocus();
    pass->end(false);
    QTest::keyClicks(pass, QStringLiteral("x"));
    EXPECT_EQ(pass->text(), QStringLiteral("x"));

    pass->clear();
    press(nm, Qt::Key_F1);
    EXPECT_EQ(value("SELECT PASSWORD FROM U01 WHERE CD=1").toString(), QStringLiteral(" "));
    EXPECT_TRUE(pass->text().isEmpty());
}

TEST_F(SystemInfoTest, ThreeMismatchesSaveWithoutAPassword) {
    openTarget(app::Program::Bank);
    typeText(pass, QStringLiteral("abc"));
    confirm({QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")});
    press(nm, Qt::Key_F1);
    const QString wrong = QStringLiteral("ﾊﾟｽﾜｰﾄﾞが違います\r\n");
    EXPECT_EQ(messages().takeTexts(), (QStringList{wrong + QStringLiteral("もう一度入力してください"),
                                                   wrong + QStringLiteral("もう一度入力してください"),
                                                   wrong + QStringLiteral("設定しなおしてください")}));
    EXPECT_EQ(value("SELECT PASSWORD FROM U01 WHERE CD=1").toString(), QStringLiteral(" "));
    EXPECT_TRUE(pass->text().isEmpty());
}

TEST_F(SystemInfoTest, ClosingTheConfirmationChangesNothing) {
    openTarget(app::Program::Bank);
    sql("INSERT INTO U01 (CD,NM,PASSWORD) VALUES (1,'old','old')");
    typeText(pass, QStringLiteral("new"));
    whenModal([](QWidget* w) { w->close(); });
    press(nm, Qt::Key_F1);
    EXPECT_EQ(value("SELECT PASSWORD FROM U01 WHERE CD=1").toString(), QStringLiteral("old"));
}

TEST_F(SystemInfoTest, PurseTaxRateDefaultsToFiveAndABadRateKeepsTheOldProfile) {
    openTarget(app::Program::Purse);
    EXPECT_EQ(tax->text(), QStringLiteral("5"));
    sql("INSERT INTO U01 (CD,NM,SYOHIZEI,PASSWORD) VALUES (1,'old','x',' ')");
    form->loadProfile();
    EXPECT_EQ(tax->text(), QStringLiteral("5")) << "a rate that is not a number shows 5";
    EXPECT_EQ(nm->text(), QStringLiteral("old"));
    for (const QString& bad : {QString(), QStringLiteral("abc")}) {
        typeText(nm, QStringLiteral("new"));
        typeText(tax, bad);
        press(nm, Qt::Key_F1);
        EXPECT_EQ(messages().takeTexts(), QStringList{QStringLiteral("更新できません")});
        EXPECT_EQ(value("SELECT NM FROM U01 WHERE CD=1").toString(), QStringLiteral("old")) << "kept, not emptied";
    }
    typeText(tax, QStringLiteral("10"));
    press(nm, Qt::Key_F1);
    EXPECT_EQ(value("SELECT SYOHIZEI FROM U01 WHERE CD=1").toInt(), 10);
    EXPECT_EQ(value("SELECT NM FROM U01 WHERE CD=1").toString(), QStringLiteral("new"));
}

TEST_F(SystemInfoTest, TheLinksOpenMailAndTheHomePage) {
    openTarget(app::Program::Purse);
    QStringList opened;
    session().setUrlOpener([&opened](const QString& url) { opened << url; });
    for (const char* name : {"Label4_0", "Label4_1", "Label4_3"})
        emit form->findChild<QLabel*>(QLatin1String(name))->linkActivated(QStringLiteral("#"));
    ASSERT_EQ(opened.size(), 3);
    EXPECT_TRUE(opened[0].startsWith(QStringLiteral("mailto:")));
    EXPECT_EQ(opened[1], opened[2]) << "the support link opens the home page";
    EXPECT_TRUE(opened[1].contains(QStringLiteral("example.org")));
}

TEST_F(SystemInfoTest, WrongAnswersAtStartUpCountTowardsTheConfirmation) {
    openTarget(app::Program::Bank);
    sql("INSERT INTO U01 (CD,NM,PASSWORD) VALUES (1,'a','pw')");
    {
        ui::form_U0102 prompt(session());
        prompt.Set_Form(1);
        whenModal([](QWidget* w) {
            auto* box = w->findChild<QLineEdit*>(QStringLiteral("txt_pass"));
            for (const char* t : {"x", "y", "pw"}) {
                typeText(box, QString::fromLatin1(t));
                press(box, Qt::Key_Return);
            }
        });
        EXPECT_EQ(prompt.ask(), ui::form_U0102::Result::Accepted);
    }
    messages().takeTexts();
    typeText(pass, QStringLiteral("new"));
    confirm({QStringLiteral("wrong")});
    press(nm, Qt::Key_F1);
    EXPECT_EQ(messages().takeTexts(), QStringList{QStringLiteral("ﾊﾟｽﾜｰﾄﾞが違います\r\n設定しなおしてください")});
    EXPECT_EQ(value("SELECT PASSWORD FROM U01 WHERE CD=1").toString(), QStringLiteral(" "));
}

}  // namespace
