#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "bank/BankMenu.h"
#include "ui/Msg.h"
#include "purse/PurseMenu.h"
#include "support/TestEnv.h"

namespace {

class SystemInfoTest : public AppTest {
protected:
    void Open(app::Program p) {
        Start(p);
        menu = new ui::form_Menu(session(), p == app::Program::Bank ? bank::Menu_Config() : purse::Menu_Config());
        form = new ui::form_U0101(session(), p == app::Program::Bank ? bank::setupSystemInfo : purse::setupSystemInfo);
        ASSERT_TRUE(Show_Active(form));
        nm = form->findChild<QLineEdit*>(QStringLiteral("txt_nm"));
        pass = form->findChild<QLineEdit*>(QStringLiteral("txt_pass"));
        tax = form->findChild<QLineEdit*>(QStringLiteral("txt_syohizei"));
    }
    void Confirm(QStringList answers) {
        When_Modal([answers](QWidget* w) mutable {
            auto* box = w->findChild<QLineEdit*>(QStringLiteral("txt_pass"));
            while (!answers.isEmpty() && w->isVisible()) {
                Type(box, answers.takeFirst());
                Press(box, Qt::Key_Return);
            }
        });
    }
    ui::form_Menu* menu = nullptr;
    ui::form_U0101* form = nullptr;
    QLineEdit *nm = nullptr, *pass = nullptr, *tax = nullptr;
};

TEST_F(SystemInfoTest, SavesTheNameAsTypedAndShowsItOnTheMenu) {
    Open(app::Program::Bank);
    EXPECT_EQ(tax, nullptr);
    Type(nm, QStringLiteral("O'Brien 花子"));
    Press(nm, Qt::Key_F1);
    EXPECT_TRUE(messages().Take_Texts().isEmpty());
    EXPECT_EQ(Value("SELECT NM FROM U01 WHERE CD=1").toString(), QStringLiteral("O'Brien 花子"));
    EXPECT_EQ(Value("SELECT PASSWORD FROM U01 WHERE CD=1").toString(), QStringLiteral(" "));
    EXPECT_EQ(Value("SELECT count(*) FROM U01").toInt(), 1);
    EXPECT_EQ(menu->findChild<QLabel*>(QStringLiteral("lbl_UserName"))->text(), QStringLiteral("O'Brien 花子"));
    EXPECT_EQ(session().UserName, QStringLiteral("O'Brien 花子"));
    EXPECT_TRUE(pass->text().isEmpty());
    // Saving again replaces the one row.
    Press(nm, Qt::Key_F1);
    EXPECT_EQ(Value("SELECT count(*) FROM U01").toInt(), 1);
}

TEST_F(SystemInfoTest, ANewPasswordIsConfirmedFirst) {
    Open(app::Program::Bank);
    Type(pass, QStringLiteral("it's me"));
    Confirm({QStringLiteral("it's me")});
    Press(nm, Qt::Key_F1);
    EXPECT_EQ(Value("SELECT PASSWORD FROM U01 WHERE CD=1").toString(), QStringLiteral("it's me"));
    form->Load_Profile();
    EXPECT_EQ(pass->text(), QStringLiteral("it's me"));
}

TEST_F(SystemInfoTest, ThreeMismatchesSaveWithoutAPassword) {
    Open(app::Program::Bank);
    Type(pass, QStringLiteral("abc"));
    Confirm({QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")});
    Press(nm, Qt::Key_F1);
    const QString wrong = QStringLiteral("ﾊﾟｽﾜｰﾄﾞが違います\r\n");
    EXPECT_EQ(messages().Take_Texts(), (QStringList{wrong + QStringLiteral("もう一度入力してください"),
                                                  wrong + QStringLiteral("もう一度入力してください"),
                                                  wrong + QStringLiteral("設定しなおしてください")}));
    EXPECT_EQ(Value("SELECT PASSWORD FROM U01 WHERE CD=1").toString(), QStringLiteral(" "));
    EXPECT_TRUE(pass->text().isEmpty());
}

TEST_F(SystemInfoTest, ClosingTheConfirmationChangesNothing) {
    Open(app::Program::Bank);
    Sql("INSERT INTO U01 (CD,NM,PASSWORD) VALUES (1,'old','old')");
    Type(pass, QStringLiteral("new"));
    When_Modal([](QWidget* w) { w->close(); });
    Press(nm, Qt::Key_F1);
    EXPECT_EQ(Value("SELECT PASSWORD FROM U01 WHERE CD=1").toString(), QStringLiteral("old"));
}

TEST_F(SystemInfoTest, PurseTaxRateDefaultsToFiveAndABadRateKeepsTheOldProfile) {
    Open(app::Program::Purse);
    EXPECT_EQ(tax->text(), QStringLiteral("5"));
    Sql("INSERT INTO U01 (CD,NM,SYOHIZEI,PASSWORD) VALUES (1,'old','x',' ')");
    form->Load_Profile();
    EXPECT_EQ(tax->text(), QStringLiteral("5")) << "a rate that is not a number shows 5";
    EXPECT_EQ(nm->text(), QStringLiteral("old"));
    for (const QString& bad : {QString(), QStringLiteral("abc")}) {
        Type(nm, QStringLiteral("new"));
        Type(tax, bad);
        Press(nm, Qt::Key_F1);
        EXPECT_EQ(messages().Take_Texts(), QStringList{QStringLiteral("更新できません")});
        EXPECT_EQ(Value("SELECT NM FROM U01 WHERE CD=1").toString(), QStringLiteral("old")) << "kept, not emptied";
    }
    Type(tax, QStringLiteral("10"));
    Press(nm, Qt::Key_F1);
    EXPECT_EQ(Value("SELECT SYOHIZEI FROM U01 WHERE CD=1").toInt(), 10);
    EXPECT_EQ(Value("SELECT NM FROM U01 WHERE CD=1").toString(), QStringLiteral("new"));
}

TEST_F(SystemInfoTest, KeysAndLinks) {
    Open(app::Program::Purse);
    nm->setFocus();
    Press(nm, Qt::Key_Return);
    EXPECT_TRUE(tax->hasFocus());
    Press(tax, Qt::Key_Return);
    EXPECT_TRUE(pass->hasFocus());
    Press(pass, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_TRUE(tax->hasFocus());
    Press(tax, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_TRUE(nm->hasFocus());
    QStringList opened;
    session().setUrlOpener([&opened](const QString& url) { opened << url; });
    for (const char* name : {"Label4_0", "Label4_1", "Label4_3"})
        emit form->findChild<QLabel*>(QLatin1String(name))->linkActivated(QStringLiteral("#"));
    ASSERT_EQ(opened.size(), 3);
    EXPECT_TRUE(opened[0].startsWith(QStringLiteral("mailto:")));
    EXPECT_EQ(opened[1], opened[2]) << "the support link opens the home page";
    EXPECT_TRUE(opened[1].contains(QStringLiteral("example.org")));
    Press(nm, Qt::Key_F10);
    EXPECT_FALSE(form->isVisible());
}

}  // namespace

namespace {

TEST_F(SystemInfoTest, WrongAnswersAtStartUpCountTowardsTheConfirmation) {
    Open(app::Program::Bank);
    Sql("INSERT INTO U01 (CD,NM,PASSWORD) VALUES (1,'a','pw')");
    {
        ui::form_U0102 prompt(session());
        prompt.Set_Form(1);
        When_Modal([](QWidget* w) {
            auto* box = w->findChild<QLineEdit*>(QStringLiteral("txt_pass"));
            for (const char* t : {"x", "y", "pw"}) {
                Type(box, QString::fromLatin1(t));
                Press(box, Qt::Key_Return);
            }
        });
        EXPECT_EQ(prompt.Ask(), ui::form_U0102::Result::Accepted);
    }
    messages().Take_Texts();
    Type(pass, QStringLiteral("new"));
    Confirm({QStringLiteral("wrong")});
    Press(nm, Qt::Key_F1);
    EXPECT_EQ(messages().Take_Texts(), QStringList{QStringLiteral("ﾊﾟｽﾜｰﾄﾞが違います\r\n設定しなおしてください")});
    EXPECT_EQ(Value("SELECT PASSWORD FROM U01 WHERE CD=1").toString(), QStringLiteral(" "));
}

}  // namespace
