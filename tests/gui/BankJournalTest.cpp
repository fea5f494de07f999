#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "bank/BankJournal.h"
#include "ui/Grid.h"
#include "ui/Inputs.h"
#include "ui/Msg.h"
#include "support/TestEnv.h"
#include "core/db/Recordset.h"
#include "core/settings/Settings.h"

namespace {

class BankJournalTest : public AppTest {
protected:
    void SetUp() override {
        Start(app::Program::Bank);
        Sql("INSERT INTO T01 (CD, NM, ZAN) VALUES (1, 'A銀行', 5000), (2, 'B銀行', 5000), (3, 'C銀行', 5000)");
        Sql("INSERT INTO T02 (CD, NM, KIND) VALUES (1, '給与', 0), (2, '食費', 1)");
        session().reopenMasters();
    }
    void Open() {
        w = new bank::form_S0101(session());
        ASSERT_TRUE(Show_Active(w));
    }
    template <class T = QLineEdit>
    T* F(const char* name, int index = -1) {
        // Elements of a control array are named "<name>_<index>".
        const QString full = index < 0 ? QLatin1String(name) : QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
        T* found = w->findChild<T*>(full);
        EXPECT_NE(found, nullptr) << full.toStdString();
        return found;
    }
    ui::FlexGrid* Grid() { return F<ui::FlexGrid>("grd_S01"); }
    void TypeEnter(QWidget* field, const QString& text) {
        Type(field, text);
        Press(field, Qt::Key_Return);
    }
    // Fills the entry area as a user does, Enter after each field, and presses 入力 with Enter.
    void Fill(const QString& day, const QString& bank, const QString& item, const QString& amount,
              const QString& note = {}) {
        TypeEnter(F("txt_day"), day);
        TypeEnter(F("txt_b_cd"), bank);
        TypeEnter(F("txt_k_cd"), item);
        TypeEnter(F("txt_kingaku"), amount);
        TypeEnter(F("txt_biko"), note);
    }
    void Write(const QString& day, const QString& bank, const QString& item, const QString& amount,
               const QString& note = {}) {
        Fill(day, bank, item, amount, note);
        ASSERT_EQ(QApplication::focusWidget(), F<QPushButton>("cmd_input"));
        Press(F<QPushButton>("cmd_input"), Qt::Key_Return);
    }
    void Row(qint64 cd, const QString& date, qint64 bank, qint64 item, qint64 amount) {
        Sql("INSERT INTO S01 (CD, K_DATE, B_CD, K_CD, KINGAKU, BIKO) VALUES (?, ?, ?, ?, ?, NULL)",
            {cd, date, bank, item, amount});
    }
    qint64 Zan(qint64 bank) { return Value("SELECT ZAN FROM T01 WHERE CD = ?", {bank}).toLongLong(); }
    qint64 Count() { return Value("SELECT COUNT(*) FROM S01").toLongLong(); }
    QString Cell(int col, int row) { return Grid()->Text(col, row); }
    void Key(int n) { Press(QApplication::focusWidget() ? QApplication::focusWidget() : w, Qt::Key_F1 + n - 1); }

    bank::form_S0101* w = nullptr;
};

TEST_F(BankJournalTest, OpensOnThePresentMonthWithTheNextNumber) {
    Open();
    EXPECT_TRUE(w->windowTitle().startsWith(QStringLiteral("銀行帳入力 - 2024/05/17 09:30")));
    EXPECT_EQ(F<ui::MonthBox>("txt_date")->Month(), QStringLiteral("2024/05"));
    EXPECT_EQ(F("txt_rec_no")->text(), QStringLiteral("1"));
}

TEST_F(BankJournalTest, TypedEntriesAreStoredAndTheBalanceFollows) {
    Open();
    Write("5", "1", "1", "1000", QStringLiteral("給料"));
    Write("6", "1", "2", "300", QStringLiteral("O'Brien's"));
    EXPECT_TRUE(messages().Take_Texts().isEmpty());
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(Zan(1), 700);
    EXPECT_EQ(Value("SELECT K_DATE FROM S01 WHERE CD = 1").toString(), QStringLiteral("2024/05/05"));
    EXPECT_EQ(Value("SELECT BIKO FROM S01 WHERE CD = 2").toString(), QStringLiteral("O'Brien's"));
}

TEST_F(BankJournalTest, AfterAWriteTheEntryAreaAndTheGridAreEmpty) {
    Open();
    Write("5", "1", "1", "1000");
    EXPECT_EQ(F("txt_rec_no")->text(), QStringLiteral("2")) << "the next number is proposed";
    EXPECT_TRUE(F("txt_b_cd")->text().isEmpty());
    EXPECT_EQ(Grid()->Rows(), 1);
    EXPECT_FALSE(F<QPushButton>("cmd_input")->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), F("txt_day"));
}

TEST_F(BankJournalTest, ChoosingABankListsItsMonthWithItsBalance) {
    Open();
    Write("5", "1", "1", "1000", QStringLiteral("給料"));
    Write("6", "1", "2", "300", QStringLiteral("O'Brien's"));
    TypeEnter(F("txt_b_cd"), "1");
    EXPECT_EQ(F<QComboBox>("cmb_b_nm")->currentText(), QStringLiteral("1 A銀行"));
    EXPECT_EQ(F<QLabel>("lbl_zan")->text(), QStringLiteral("700"));
    ASSERT_EQ(Grid()->Rows(), 3);
    EXPECT_EQ(Cell(1, 1), QStringLiteral("2024/05/05"));
    EXPECT_EQ(Cell(3, 1), QStringLiteral("給与"));
    EXPECT_EQ(Cell(4, 1), QStringLiteral("1000"));
    EXPECT_EQ(Cell(5, 2), QStringLiteral("300"));
    EXPECT_EQ(Cell(6, 2), QStringLiteral("O'Brien's"));
}

TEST_F(BankJournalTest, RecalculatingABankWithoutRowsGivesZero) {
    Open();
    // Whatever its master said.
    Type(F("txt_b_cd"), "3");
    Key(8);
    EXPECT_EQ(F<QLabel>("lbl_zan")->text(), QStringLiteral("0"));
    EXPECT_EQ(Zan(3), 0);
}

TEST_F(BankJournalTest, AnExistingNumberIsReplacedWhateverTheCaptionSays) {
    Open();
    Write("5", "1", "1", "1000");
    auto* input = F<QPushButton>("cmd_input");
    EXPECT_EQ(input->text(), QStringLiteral("入力"));
    Type(F("txt_rec_no"), "1");
    Write("9", "2", "1", "2,500");
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Value("SELECT B_CD || ' ' || K_DATE || ' ' || KINGAKU FROM S01 WHERE CD = 1").toString(),
              QStringLiteral("2 2024/05/09 2500"));

    // Enter in the record number loads the row and switches the caption.
    TypeEnter(F("txt_rec_no"), "1");
    EXPECT_EQ(input->text(), QStringLiteral("更新"));
    EXPECT_EQ(F("txt_b_cd")->text(), QStringLiteral("2"));
    EXPECT_EQ(F("txt_kingaku")->text(), QStringLiteral("2500"));
    EXPECT_EQ(F<QLabel>("lbl_zan")->text(), QStringLiteral("2500"));
    EXPECT_EQ(Grid()->Rows(), 2);
    EXPECT_TRUE(input->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), F("txt_day"));
}

TEST_F(BankJournalTest, BadValuesAreRefusedWithAMessageAndNothingIsWritten) {
    Open();
    const struct {
        const char* field;
        const char* text;
    } cases[] = {{"txt_kingaku", "12.5"}, {"txt_kingaku", "abc"}, {"txt_kingaku", ""},   {"txt_b_cd", "0"},
                 {"txt_b_cd", "40000"},   {"txt_b_cd", "x"},      {"txt_b_cd", "9"},    {"txt_k_cd", ""},
                 {"txt_k_cd", "7"},       {"txt_day", "32"},      {"txt_day", "a"},     {"txt_rec_no", ""},
                 {"txt_rec_no", "abc"},   {"txt_rec_no", "0"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " = '" + c.text + "'");
        Fill("5", "1", "1", "1000");
        F(c.field)->setText(QString::fromUtf8(c.text));
        QTest::mouseClick(F<QPushButton>("cmd_input"), Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_EQ(messages().Take_Texts().size(), 1);
        EXPECT_EQ(Count(), 0);
        EXPECT_EQ(QApplication::focusWidget(), F(c.field));
        F("txt_rec_no")->setText("1");
    }
    EXPECT_EQ(Zan(1), 5000);
}

TEST_F(BankJournalTest, RecordNumbersRunPastTheMasterCodeLimit) {
    Row(40000, "2024/05/01", 1, 1, 100);
    Open();
    EXPECT_EQ(F<QLineEdit>("txt_rec_no")->text(), QStringLiteral("40001"));
    Fill("5", "1", "1", "1000");
    QTest::mouseClick(F<QPushButton>("cmd_input"), Qt::LeftButton);
    EXPECT_TRUE(messages().Take_Texts().isEmpty());
    EXPECT_EQ(Value("SELECT KINGAKU FROM S01 WHERE CD=40001").toInt(), 1000);
}

TEST_F(BankJournalTest, DeletesByRangeAndByTheGridRecomputeEachOwner) {
    Row(1, "2024/05/01", 1, 1, 100);
    Row(2, "2024/05/02", 3, 1, 100);
    Row(3, "2024/05/03", 1, 1, 1000);
    Row(4, "2024/05/04", 2, 2, 300);
    Row(5, "2024/05/05", 2, 1, 2000);
    Row(6, "2024/05/06", 2, 1, 7);
    Open();
    Key(2);
    auto* frame = F<QGroupBox>("frm_select_cd2");
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), F("txt_cd2", 0));
    TypeEnter(F("txt_cd2", 0), "3");
    EXPECT_EQ(QApplication::focusWidget(), F("txt_cd2", 1));
    TypeEnter(F("txt_cd2", 1), "5");
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(Value("SELECT group_concat(CD) FROM (SELECT CD FROM S01 ORDER BY CD)").toString(), QStringLiteral("1,2,6"));
    EXPECT_EQ(Zan(1), 100);
    EXPECT_EQ(Zan(2), 7);
    EXPECT_EQ(Zan(3), 5000);
    // The entry area shows the highest record afterwards.
    EXPECT_EQ(F("txt_rec_no")->text(), QStringLiteral("6"));

    // The Delete key on a grid row deletes it at once; a bank left without rows gets 0.
    TypeEnter(F("txt_b_cd"), "3");
    ASSERT_EQ(Grid()->Rows(), 2);
    Grid()->setFocus();
    Grid()->Set_Row(1);
    Press(Grid(), Qt::Key_Delete);
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(Zan(3), 0);
    EXPECT_TRUE(messages().Take_Texts().isEmpty());
}

TEST_F(BankJournalTest, MovesGoByRecordNumberAndStopAtAMissingOne) {
    Open();
    Row(2, "2024/04/30", 1, 1, 100);
    Row(3, "2024/05/01", 2, 2, 300);
    Row(5, "2024/05/02", 1, 2, 50);
    Key(6);
    EXPECT_EQ(F("txt_rec_no")->text(), QStringLiteral("2"));
    EXPECT_EQ(F<ui::MonthBox>("txt_date")->Month(), QStringLiteral("2024/04"));
    Key(5);
    EXPECT_EQ(F("txt_rec_no")->text(), QStringLiteral("3"));
    Key(5);  // 4 is missing
    EXPECT_EQ(F("txt_rec_no")->text(), QStringLiteral("3"));
    Key(7);
    EXPECT_EQ(F("txt_rec_no")->text(), QStringLiteral("5"));
    Key(4);  // 4 is missing
    EXPECT_EQ(F("txt_rec_no")->text(), QStringLiteral("5"));
    EXPECT_EQ(F<QPushButton>("cmd_input")->text(), QStringLiteral("入力"));

    // A double-click on a grid row loads it for updating.
    ASSERT_EQ(Grid()->Rows(), 2);  // bank 1 in 2024/05
    const QRect cell = Grid()->Cell_Rect(0, 1);
    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(Grid()->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(F("txt_rec_no")->text(), QStringLiteral("5"));
    EXPECT_EQ(F<QPushButton>("cmd_input")->text(), QStringLiteral("更新"));
}

TEST_F(BankJournalTest, ARowWithAMissingItemIsListedAsAnExpenseAndCountedSo) {
    Row(1, "2024/05/01", 1, 1, 1000);
    Row(2, "2024/05/02", 1, 99, 300);
    Open();
    TypeEnter(F("txt_b_cd"), "1");
    ASSERT_EQ(Grid()->Rows(), 3);
    EXPECT_EQ(Cell(2, 2), QStringLiteral("99"));
    EXPECT_EQ(Cell(3, 2), QString());
    EXPECT_EQ(Cell(5, 2), QStringLiteral("300"));
    EXPECT_EQ(F<QLabel>("lbl_zan")->text(), QStringLiteral("5000"));
    Key(8);
    EXPECT_TRUE(messages().Take_Texts().isEmpty());
    EXPECT_EQ(F<QLabel>("lbl_zan")->text(), QStringLiteral("700"));
    EXPECT_EQ(Zan(1), 700);
}

TEST_F(BankJournalTest, TheMonthBoxIsNormalisedAndListsItsMonth) {
    Row(1, "2001/03/04", 1, 1, 100);
    Open();
    auto* month = F<ui::MonthBox>("txt_date");
    Type(F("txt_b_cd"), "1");
    month->setFocus();
    month->setText("2001/3");
    Press(month, Qt::Key_Return);
    EXPECT_EQ(month->displayText(), QStringLiteral("2001/03"));
    EXPECT_EQ(Grid()->Rows(), 2);
    month->setFocus();
    month->setText("2001/");
    Press(month, Qt::Key_Return);
    EXPECT_EQ(month->displayText(), QStringLiteral("2001/00"));
    EXPECT_EQ(Grid()->Rows(), 1);
    month->Set_Month("2001/02");
    QTest::mouseClick(F<QPushButton>("Command4"), Qt::LeftButton);
    EXPECT_EQ(month->displayText(), QStringLiteral("2001/03"));
    EXPECT_EQ(Grid()->Rows(), 2);
}

TEST_F(BankJournalTest, DayButtonsCrossTheMonthEndAndABadDayKeepsTheFocus) {
    Open();
    auto* month = F<ui::MonthBox>("txt_date");
    month->Set_Month("2024/05");
    TypeEnter(F("txt_day"), "31");
    QTest::mouseClick(F<QPushButton>("Command2"), Qt::LeftButton);
    EXPECT_EQ(F("txt_day")->text(), QStringLiteral("01"));
    EXPECT_EQ(month->displayText(), QStringLiteral("2024/06"));
    F("txt_day")->setText("5");  // typed, not yet padded: the buttons read it all the same
    QTest::mouseClick(F<QPushButton>("Command2"), Qt::LeftButton);
    EXPECT_EQ(F("txt_day")->text(), QStringLiteral("06"));
    TypeEnter(F("txt_day"), "32");
    EXPECT_EQ(QApplication::focusWidget(), F("txt_day"));
    TypeEnter(F("txt_day"), "7");
    EXPECT_EQ(F("txt_day")->text(), QStringLiteral("07"));
    EXPECT_EQ(QApplication::focusWidget(), F("txt_b_cd"));
    Press(F("txt_b_cd"), Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), F("txt_day"));
}

TEST_F(BankJournalTest, ThePrintFrameSetsTheSide) {
    Open();
    Key(9);
    EXPECT_TRUE(F<QGroupBox>("frm_select_omote")->isVisible());
    F<QRadioButton>("Option1", 1)->setChecked(true);
    QTest::mouseClick(F<QPushButton>("Command6"), Qt::LeftButton);
    EXPECT_FALSE(session().flg_Front);
    EXPECT_FALSE(F<QGroupBox>("frm_select_omote")->isVisible());
    EXPECT_TRUE(F<QPushButton>("cmd_F1")->isEnabled());
}

TEST_F(BankJournalTest, ColumnWidthsComeBackAtTheNextOpening) {
    Open();
    Grid()->Set_Col_Width_Twips(3, 3000);
    Key(10);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(settings::Get_Number(QStringLiteral("grd_S01ColWidth3"), 0), 3000);
    delete w;
    Open();
    EXPECT_EQ(Grid()->Col_Width_Twips(3), 3000);
}

}  // namespace
