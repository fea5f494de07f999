// The master entry dialogs driven by keys: moving through the codes, kinds, code checks,
// the balance recomputation and failed writes.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "bank/BankMasters.h"
#include "ui/Grid.h"
#include "ui/Msg.h"
#include "purse/PurseMasters.h"
#include "support/TestEnv.h"

namespace {

template <class T = QWidget>
T* child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

class MasterDialogTest : public AppTest {
protected:
    // The list with its dialog shown beside it, as a new entry.
    template <class List>
    ui::MasterDialog* OpenDialog() {
        m_list = new List(session());
        m_list->show();
        ui::MasterDialog* d = m_list->Dialog();
        d->Clear_Master();
        EXPECT_TRUE(Show_Active(d));
        return d;
    }
    QLineEdit* Cd(QWidget* d) { return child<QLineEdit>(d, "txt_cd"); }
    QLineEdit* Nm(QWidget* d) { return child<QLineEdit>(d, "txt_nm"); }
    void Go(QWidget* d, const QString& code) {
        Type(Cd(d), code);
        Press(Cd(d), Qt::Key_Return);
    }
    QString GridRow(int r) {
        ui::FlexGrid* g = m_list->Grid();
        return g->Text(0, r) + "|" + g->Text(1, r) + "|" + g->Text(2, r);
    }
    ui::MasterList* m_list = nullptr;
};

TEST_F(MasterDialogTest, PreviousAndNextSkipGapsAndNextAfterTheLastOffersANewCode) {
    Start(app::Program::Bank);
    for (int c : {1, 2, 5}) Sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (?,?,?)", {c, QString("銀行%1").arg(c), c});
    auto* d = OpenDialog<bank::form_T0101>();
    EXPECT_EQ(Cd(d)->text(), "6");
    Go(d, "2");
    EXPECT_EQ(Nm(d)->text(), "銀行2");
    EXPECT_EQ(child<QLabel>(d, "lbl_zan")->text(), "2");
    Press(d, Qt::Key_F5);
    EXPECT_EQ(Nm(d)->text(), "銀行5");
    Press(d, Qt::Key_F5);
    EXPECT_EQ(Cd(d)->text() + Nm(d)->text() + child<QLabel>(d, "lbl_zan")->text(), "60");
    Press(d, Qt::Key_F4);
    Press(d, Qt::Key_F4);
    EXPECT_EQ(Cd(d)->text(), "2");
    Press(d, Qt::Key_F4);
    Press(d, Qt::Key_F4);  // on the first bank: nothing changes
    EXPECT_EQ(Cd(d)->text(), "1");
    Press(d, Qt::Key_F7);
    EXPECT_EQ(Cd(d)->text(), "5");
    Press(d, Qt::Key_F6);
    EXPECT_EQ(Cd(d)->text(), "1");
    EXPECT_TRUE(messages().Take_Texts().isEmpty());
}

TEST_F(MasterDialogTest, PurseCategoryDialogHasNextOnF4AndPreviousOnF5) {
    Start(app::Program::Purse);
    Sql("INSERT INTO T01 (CD,NM,KIND) VALUES (1,'給料',0), (3,'食費',1)");
    auto* d = OpenDialog<purse::form_T0101>();
    EXPECT_EQ(child<QPushButton>(d, "cmd_F4")->text(), "次項目");
    EXPECT_EQ(child<QPushButton>(d, "cmd_F5")->text(), "前項目");
    Go(d, "1");
    Press(d, Qt::Key_F4);
    EXPECT_EQ(Nm(d)->text(), "食費");
    EXPECT_EQ(child<QComboBox>(d, "cmb_bunrui")->currentText(), "支出");
    Press(d, Qt::Key_F5);
    EXPECT_EQ(Nm(d)->text(), "給料");
    EXPECT_EQ(child<QComboBox>(d, "cmb_bunrui")->currentText(), "収入");
}

TEST_F(MasterDialogTest, ItemKindIsChosenByKeysAndShownInTheList) {
    Start(app::Program::Bank);
    Sql("INSERT INTO T02 (CD,NM,KIND) VALUES (1,'予備',2), (2,'外部',7)");
    auto* d = OpenDialog<bank::form_T0201>();
    EXPECT_EQ(GridRow(1), "1|予備|");
    EXPECT_EQ(GridRow(2), "2|外部|7");  // a kind written by other means shows as its number
    auto* kind = child<QComboBox>(d, "cmb_bunrui");
    EXPECT_EQ(kind->currentText(), "収入");
    Type(Nm(d), "家賃");
    Press(d, Qt::Key_F3);
    EXPECT_EQ(kind->currentText(), "支出");
    Press(d, Qt::Key_F9);
    EXPECT_EQ(Nm(d)->text() + kind->currentText(), "収入");
    Type(Nm(d), "家賃");
    Press(d, Qt::Key_F3);
    Press(d, Qt::Key_F1);
    EXPECT_EQ(Value("SELECT NM || KIND FROM T02 WHERE CD=3").toString(), "家賃1");
    EXPECT_EQ(GridRow(3), "3|家賃|支出");
}

class BadCodeTest : public MasterDialogTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(BadCodeTest, IsRefusedWithAMessageAndNothingIsWritten) {
    Start(app::Program::Bank);
    Sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'A',0)");
    auto* d = OpenDialog<bank::form_T0101>();
    Type(Cd(d), QString::fromUtf8(GetParam()));
    Type(Nm(d), "新銀行");
    for (int key : {Qt::Key_F1, Qt::Key_F4, Qt::Key_F5}) Press(d, key);
    child<QPushButton>(d, "cmd_F8")->click();
    const QStringList texts = messages().Take_Texts();
    ASSERT_EQ(texts.size(), 4);
    for (const QString& t : texts) EXPECT_EQ(t, "ｺｰﾄﾞは1～32767の整数で入力してください");
    EXPECT_EQ(Value("SELECT COUNT(*) FROM T01").toInt(), 1);
    EXPECT_EQ(Nm(d)->text(), "新銀行");
    EXPECT_EQ(m_list->Grid()->Rows(), 2);
    EXPECT_TRUE(Cd(d)->hasFocus());
}

INSTANTIATE_TEST_SUITE_P(Codes, BadCodeTest, ::testing::Values("", "abc", "1.5", "0", "32768", "-2"));

TEST_F(MasterDialogTest, RecalcButtonShowsTheJournalBalance) {
    Start(app::Program::Bank);
    Sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'A',999)");
    Sql("INSERT INTO T02 (CD,NM,KIND) VALUES (1,'給与',0), (2,'家賃',1)");
    Sql("INSERT INTO S01 (CD,K_DATE,B_CD,K_CD,KINGAKU,BIKO) VALUES "
        "(1,'2024/05/01',1,1,1000,''), (2,'2024/05/02',1,2,300,'')");
    auto* d = OpenDialog<bank::form_T0101>();
    auto* zan = child<QLabel>(d, "lbl_zan");
    Go(d, "1");
    Press(d, Qt::Key_F8);  // the key is not mapped: only the button recomputes
    EXPECT_EQ(zan->text(), "999");
    child<QPushButton>(d, "cmd_F8")->click();
    EXPECT_EQ(zan->text(), "700");
    EXPECT_EQ(Value("SELECT ZAN FROM T01 WHERE CD=1").toInt(), 700);
    EXPECT_EQ(GridRow(1), "1|A|999");  // the list keeps its balance until the bank is written

    // A row whose item is gone from the master counts as an expense.
    Sql("INSERT INTO S01 (CD,K_DATE,B_CD,K_CD,KINGAKU,BIKO) VALUES (7,'2024/05/03',1,9,50,'')");
    child<QPushButton>(d, "cmd_F8")->click();
    EXPECT_TRUE(messages().Take_Texts().isEmpty());
    EXPECT_EQ(zan->text(), "650");
    EXPECT_EQ(Value("SELECT ZAN FROM T01 WHERE CD=1").toInt(), 650);
}

TEST_F(MasterDialogTest, FailedWritesKeepWhatWasTyped) {
    Start(app::Program::Purse);
    Sql("INSERT INTO T01 (CD,NM,KIND) VALUES (1,'給料',0)");
    Sql("CREATE TRIGGER no_insert BEFORE INSERT ON T01 BEGIN SELECT RAISE(ABORT, 'refused'); END");
    Sql("CREATE TRIGGER no_update BEFORE UPDATE ON T01 BEGIN SELECT RAISE(ABORT, 'refused'); END");
    auto* d = OpenDialog<purse::form_T0101>();
    Type(Nm(d), "交通費");
    Press(d, Qt::Key_F1);
    EXPECT_EQ(messages().Take_Texts(), QStringList{"追加できません"});
    EXPECT_EQ(Cd(d)->text() + Nm(d)->text(), "2交通費");
    EXPECT_EQ(m_list->Grid()->Rows(), 2);

    Go(d, "1");
    Type(Nm(d), "給与");
    Press(d, Qt::Key_F1);
    EXPECT_EQ(messages().Take_Texts(), QStringList{"更新できません"});
    EXPECT_EQ(Nm(d)->text(), "給与");
    EXPECT_EQ(GridRow(1), "1|給料|収入");
}

}  // namespace
