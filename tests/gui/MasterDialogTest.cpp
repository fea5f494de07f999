// The master entry dialogs driven by keys: moving through the codes, kinds, code checks,
// the balance recomputation and failed writes.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "bank/BankWindows.h"
#include "purse/PurseWindows.h"
#include "support/TestEnv.h"
#include "ui/shell/Grid.h"
#include "ui/shell/Msg.h"

namespace {

class MasterDialogTest : public AppTest {
  protected:
    // The list with its dialog shown beside it, as a new entry.
    template <class List>
    ui::MasterDialog* openDialog() {
        m_list = new List(session());
        m_list->show();
        ui::MasterDialog* d = m_list->dialog();
        d->Clear_Master();
        EXPECT_TRUE(showActive(d));
        return d;
    }
    QLineEdit* cd(QWidget* d) { return child<QLineEdit>(d, "txt_cd"); }
    QLineEdit* nm(QWidget* d) { return child<QLineEdit>(d, "txt_nm"); }
    void go(QWidget* d, const QString& code) { typeEnter(cd(d), code); }
    QString gridRow(int r) { return ::gridRow(m_list->grid(), r).join('|'); }
    ui::MasterList* m_list = nullptr;
};

// The balance is recomputed from the journal by the button alone.
TEST_F(MasterDialogTest, BankDialogSkipsGapsOffersANewCodeAfterTheLastAndRecomputesByItsButton) {
    start(app::Program::Bank);
    for (int c : {1, 2, 5}) sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (?,?,?)", {c, QString("銀行%1").arg(c), c});
    sql("INSERT INTO T02 (CD,NM,KIND) VALUES (1,'給与',0), (2,'家賃',1)");
    sql("INSERT INTO S01 (CD,K_DATE,B_CD,K_CD,KINGAKU,BIKO) VALUES "
        "(1,'2024/05/01',1,1,1000,''), (2,'2024/05/02',1,2,300,'')");
    auto* d = openDialog<bank::form_T0101>();
    auto* zan = child<QLabel>(d, "lbl_zan");
    EXPECT_EQ(cd(d)->text(), "6");
    go(d, "2");
    EXPECT_EQ(nm(d)->text(), "銀行2");
    EXPECT_EQ(zan->text(), "2");
    press(d, Qt::Key_F5);
    EXPECT_EQ(nm(d)->text(), "銀行5");
    press(d, Qt::Key_F5);
    EXPECT_EQ(cd(d)->text() + nm(d)->text() + zan->text(), "60");
    press(d, Qt::Key_F4);
    press(d, Qt::Key_F4);
    EXPECT_EQ(cd(d)->text(), "2");
    press(d, Qt::Key_F4);
    press(d, Qt::Key_F4);  // on the first bank: nothing changes
    EXPECT_EQ(cd(d)->text(), "1");
    press(d, Qt::Key_F7);
    EXPECT_EQ(cd(d)->text(), "5");
    press(d, Qt::Key_F6);
    EXPECT_EQ(cd(d)->text(), "1");
    EXPECT_TRUE(messages().takeTexts().isEmpty());

    press(d, Qt::Key_F8);  // the key is not mapped: only the button recomputes
    EXPECT_EQ(zan->text(), "1");
    child<QPushButton>(d, "cmd_F8")->click();
    EXPECT_EQ(zan->text(), "700");
    EXPECT_EQ(value("SELECT ZAN FROM T01 WHERE CD=1").toInt(), 700);
    EXPECT_EQ(gridRow(1), "1|銀行1|1");  // the list keeps its balance until the bank is written
}

// Next is F4 and previous F5 here; a write the book refuses keeps what was typed.
TEST_F(MasterDialogTest, PurseCategoryDialogMovesByF4AndF5AndAFailedWriteKeepsWhatWasTyped) {
    startPurse("(1,'給料',0), (3,'食費',1)");
    auto* d = openDialog<purse::form_T0101>();
    go(d, "1");
    press(d, Qt::Key_F4);
    EXPECT_EQ(nm(d)->text(), "食費");
    EXPECT_EQ(child<QComboBox>(d, "cmb_bunrui")->currentText(), "支出");
    press(d, Qt::Key_F5);
    EXPECT_EQ(nm(d)->text(), "給料");
    EXPECT_EQ(child<QComboBox>(d, "cmb_bunrui")->currentText(), "収入");

    sql("CREATE TRIGGER no_insert BEFORE INSERT ON T01 BEGIN SELECT RAISE(ABORT, 'refused'); END");
    sql("CREATE TRIGGER no_update BEFORE UPDATE ON T01 BEGIN SELECT RAISE(ABORT, 'refused'); END");
    typeText(nm(d), "給与");
    press(d, Qt::Key_F1);
    EXPECT_EQ(messages().takeTexts(), QStringList{"更新できません"});
    EXPECT_EQ(nm(d)->text(), "給与");
    EXPECT_EQ(gridRow(1), "1|給料|収入");
    go(d, "3");
    press(d, Qt::Key_F4);  // past the last: a new code
    typeText(nm(d), "交通費");
    press(d, Qt::Key_F1);
    EXPECT_EQ(messages().takeTexts(), QStringList{"追加できません"});
    EXPECT_EQ(cd(d)->text() + nm(d)->text(), "4交通費");
    EXPECT_EQ(m_list->grid()->rows(), 3);
}

TEST_F(MasterDialogTest, ItemKindIsChosenByKeysAndShownInTheList) {
    start(app::Program::Bank);
    sql("INSERT INTO T02 (CD,NM,KIND) VALUES (1,'予備',2), (2,'外部',7)");
    auto* d = openDialog<bank::form_T0201>();
    EXPECT_EQ(gridRow(1), "1|予備|");
    EXPECT_EQ(gridRow(2), "2|外部|7");  // a kind written by other means shows as its number
    auto* kind = child<QComboBox>(d, "cmb_bunrui");
    EXPECT_EQ(kind->currentText(), "収入");
    typeText(nm(d), "家賃");
    press(d, Qt::Key_F3);
    EXPECT_EQ(kind->currentText(), "支出");
    press(d, Qt::Key_F9);
    EXPECT_EQ(nm(d)->text() + kind->currentText(), "収入");
    typeText(nm(d), "家賃");
    press(d, Qt::Key_F3);
    press(d, Qt::Key_F1);
    EXPECT_EQ(value("SELECT NM || KIND FROM T02 WHERE CD=3").toString(), "家賃1");
    EXPECT_EQ(gridRow(3), "3|家賃|支出");
}

class BadCodeTest : public MasterDialogTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(BadCodeTest, IsRefusedWithAMessageAndNothingIsWritten) {
    start(app::Program::Bank);
    sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'A',0)");
    auto* d = openDialog<bank::form_T0101>();
    typeText(cd(d), QString::fromUtf8(GetParam()));
    typeText(nm(d), "新銀行");
    for (int key : {Qt::Key_F1, Qt::Key_F4, Qt::Key_F5}) press(d, key);
    child<QPushButton>(d, "cmd_F8")->click();
    const QStringList texts = messages().takeTexts();
    ASSERT_EQ(texts.size(), 4);
    for (const QString& t : texts) EXPECT_EQ(t, "ｺｰﾄﾞは1～32767の整数で入力してください");
    EXPECT_EQ(value("SELECT COUNT(*) FROM T01").toInt(), 1);
    EXPECT_EQ(nm(d)->text(), "新銀行");
    EXPECT_EQ(m_list->grid()->rows(), 2);
    EXPECT_TRUE(cd(d)->hasFocus());
}

// The boundaries and an empty box; ConvertTest reads every other form of a code.
INSTANTIATE_TEST_SUITE_P(Codes, BadCodeTest, ::testing::Values("", "0", "32768"));

}  // namespace
