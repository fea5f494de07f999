#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "bank/BankJournal.h"
#include "support/TestEnv.h"
#include "ui/shell/Grid.h"
#include "ui/shell/Inputs.h"

namespace {

class BankJournalTest : public AppTest {
  protected:
    void SetUp() override {
        startBank("(1, 'A銀行', 5000), (2, 'B銀行', 5000), (3, 'C銀行', 5000)", "(1, '給与', 0), (2, '食費', 1)");
    }
    void openTarget() {
        w = new bank::form_S0101(session());
        ASSERT_TRUE(showActive(w));
    }
    template <class T = QLineEdit>
    T* child(const char* name) {
        return ::child<T>(w, name);
    }
    ui::FlexGrid* grid() { return child<ui::FlexGrid>("grd_S01"); }
    // Fills the entry area as a user does, Enter after each field, and presses 入力 with Enter.
    void fill(const QString& day, const QString& bank, const QString& item, const QString& amount,
              const QString& note = {}) {
        typeFields(
            w, {{"txt_day", day}, {"txt_b_cd", bank}, {"txt_k_cd", item}, {"txt_kingaku", amount}, {"txt_biko", note}});
    }
    void write(const QString& day, const QString& bank, const QString& item, const QString& amount,
               const QString& note = {}) {
        fill(day, bank, item, amount, note);
        ASSERT_EQ(QApplication::focusWidget(), child<QPushButton>("cmd_input"));
        press(child<QPushButton>("cmd_input"), Qt::Key_Return);
    }
    qint64 zan(qint64 bank) { return value("SELECT ZAN FROM T01 WHERE CD = ?", {bank}).toLongLong(); }
    qint64 count() { return value("SELECT COUNT(*) FROM S01").toLongLong(); }
    void key(int n) { press(QApplication::focusWidget() ? QApplication::focusWidget() : w, Qt::Key_F1 + n - 1); }

    bank::form_S0101* w = nullptr;
};

// A bad value is refused with a message, the focus on its box, and nothing is written. After a
// write the entry area is empty again; choosing the bank lists its month, read back from the
// book, with its balance.
TEST_F(BankJournalTest, BadValuesAreRefusedTypedOnesStoredAndTheChosenBankListsThem) {
    openTarget();
    const struct {
        const char* field;
        const char* text;
    } cases[] = {{"txt_kingaku", "12.5"}, {"txt_kingaku", ""}, {"txt_b_cd", "0"}, {"txt_b_cd", "40000"},
                 {"txt_b_cd", "9"},       {"txt_k_cd", ""},    {"txt_k_cd", "7"}, {"txt_day", "32"},
                 {"txt_rec_no", ""},      {"txt_rec_no", "0"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " = '" + c.text + "'");
        fill("5", "1", "1", "1000");
        child(c.field)->setText(QString::fromUtf8(c.text));
        QTest::mouseClick(child<QPushButton>("cmd_input"), Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_EQ(messages().takeTexts().size(), 1);
        EXPECT_EQ(count(), 0);
        EXPECT_EQ(QApplication::focusWidget(), child(c.field));
        child("txt_rec_no")->setText("1");
    }
    EXPECT_EQ(zan(1), 5000);

    write("5", "1", "1", "1000", QStringLiteral("給料"));
    EXPECT_EQ(child("txt_rec_no")->text(), QStringLiteral("2"));
    EXPECT_TRUE(child("txt_b_cd")->text().isEmpty());
    EXPECT_EQ(grid()->rows(), 1);
    EXPECT_FALSE(child<QPushButton>("cmd_input")->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), child("txt_day"));
    write("6", "1", "2", "300", QStringLiteral("O'Brien's"));
    EXPECT_TRUE(messages().takeTexts().isEmpty());
    EXPECT_EQ(zan(1), 700);

    typeEnter(child("txt_b_cd"), "1");
    EXPECT_EQ(child<QComboBox>("cmb_b_nm")->currentText(), QStringLiteral("1 A銀行"));
    EXPECT_EQ(child<QLabel>("lbl_zan")->text(), QStringLiteral("700"));
    ASSERT_EQ(grid()->rows(), 3);
    EXPECT_EQ(gridRow(grid(), 1), (QStringList{"1", "2024/05/05", "1", "給与", "1000", "", "給料"}));
    EXPECT_EQ(gridRow(grid(), 2), (QStringList{"2", "2024/05/06", "2", "食費", "", "300", "O'Brien's"}));
}

// Numbers go past the masters' code limit; moving a row to another bank, both banks follow.
TEST_F(BankJournalTest, AnExistingNumberIsReplacedWhateverTheCaptionSays) {
    addBankEntry(40000, "2024/05/01", 1, 1, 100);
    openTarget();
    EXPECT_EQ(child("txt_rec_no")->text(), QStringLiteral("40001"));
    write("5", "1", "1", "1000");
    EXPECT_TRUE(messages().takeTexts().isEmpty());
    auto* input = child<QPushButton>("cmd_input");
    typeText(child("txt_rec_no"), "40001");
    write("9", "2", "1", "2,500");
    EXPECT_EQ(count(), 2);
    EXPECT_EQ(value("SELECT B_CD || ' ' || K_DATE || ' ' || KINGAKU FROM S01 WHERE CD = 40001").toString(),
              QStringLiteral("2 2024/05/09 2500"));
    EXPECT_EQ(zan(1), 100);

    // Enter in the record number loads the row and switches the caption.
    typeEnter(child("txt_rec_no"), "40001");
    EXPECT_EQ(input->text(), QStringLiteral("更新"));
    EXPECT_EQ(child("txt_b_cd")->text(), QStringLiteral("2"));
    EXPECT_EQ(child("txt_kingaku")->text(), QStringLiteral("2500"));
    EXPECT_EQ(child<QLabel>("lbl_zan")->text(), QStringLiteral("2500"));
    EXPECT_EQ(grid()->rows(), 2);
    EXPECT_TRUE(input->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), child("txt_day"));
}

TEST_F(BankJournalTest, DeletesByRangeAndByTheGridRecomputeEachOwner) {
    addBankEntry(1, "2024/05/01", 1, 1, 100);
    addBankEntry(2, "2024/05/02", 3, 1, 100);
    addBankEntry(3, "2024/05/03", 1, 1, 1000);
    addBankEntry(4, "2024/05/04", 2, 2, 300);
    addBankEntry(5, "2024/05/05", 2, 1, 2000);
    addBankEntry(6, "2024/05/06", 2, 1, 7);
    openTarget();
    key(2);
    auto* frame = child<QGroupBox>("frm_select_cd2");
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), child("txt_cd2_0"));
    typeEnter(child("txt_cd2_0"), "3");
    EXPECT_EQ(QApplication::focusWidget(), child("txt_cd2_1"));
    typeEnter(child("txt_cd2_1"), "5");
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(value("SELECT group_concat(CD) FROM (SELECT CD FROM S01 ORDER BY CD)").toString(),
              QStringLiteral("1,2,6"));
    EXPECT_EQ(zan(1), 100);
    EXPECT_EQ(zan(2), 7);
    EXPECT_EQ(zan(3), 5000);
    // The entry area shows the highest record afterwards.
    EXPECT_EQ(child("txt_rec_no")->text(), QStringLiteral("6"));

    // The Delete key on a grid row deletes it at once; a bank left without rows gets 0.
    typeEnter(child("txt_b_cd"), "3");
    ASSERT_EQ(grid()->rows(), 2);
    grid()->setFocus();
    grid()->setRow(1);
    press(grid(), Qt::Key_Delete);
    EXPECT_EQ(count(), 2);
    EXPECT_EQ(zan(3), 0);
    EXPECT_TRUE(messages().takeTexts().isEmpty());
}

TEST_F(BankJournalTest, MovesGoByRecordNumberAndF8RecomputesTheShownBank) {
    openTarget();
    addBankEntry(2, "2024/04/30", 1, 1, 100);
    addBankEntry(3, "2024/05/01", 2, 2, 300);
    addBankEntry(5, "2024/05/02", 1, 2, 50);
    key(6);
    EXPECT_EQ(child("txt_rec_no")->text(), QStringLiteral("2"));
    EXPECT_EQ(child<ui::MonthBox>("txt_date")->month(), QStringLiteral("2024/04"));
    key(5);
    EXPECT_EQ(child("txt_rec_no")->text(), QStringLiteral("3"));
    key(5);  // 4 is missing
    EXPECT_EQ(child("txt_rec_no")->text(), QStringLiteral("3"));
    key(7);
    EXPECT_EQ(child("txt_rec_no")->text(), QStringLiteral("5"));
    key(4);  // 4 is missing
    EXPECT_EQ(child("txt_rec_no")->text(), QStringLiteral("5"));
    EXPECT_EQ(child<QPushButton>("cmd_input")->text(), QStringLiteral("入力"));

    // A double-click on a grid row loads it for updating.
    ASSERT_EQ(grid()->rows(), 2);  // bank 1 in 2024/05
    const QRect cell = grid()->cellRect(0, 1);
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(child("txt_rec_no")->text(), QStringLiteral("5"));
    EXPECT_EQ(child<QPushButton>("cmd_input")->text(), QStringLiteral("更新"));

    // F8 recomputes the shown bank's stored balance; a row whose item is gone is an expense.
    addBankEntry(6, "2024/05/03", 1, 99, 300);
    EXPECT_EQ(child<QLabel>("lbl_zan")->text(), QStringLiteral("5000"));
    key(8);
    EXPECT_TRUE(messages().takeTexts().isEmpty());
    EXPECT_EQ(child<QLabel>("lbl_zan")->text(), QStringLiteral("-250"));
    EXPECT_EQ(zan(1), -250);
}

// The month box is normalised and lists its month; the day buttons cross the month end.
TEST_F(BankJournalTest, DayButtonsCrossTheMonthEndAndABadDayKeepsTheFocus) {
    addBankEntry(1, "2001/03/04", 1, 1, 100);
    openTarget();
    auto* month = child<ui::MonthBox>("txt_date");
    typeText(child("txt_b_cd"), "1");
    month->setFocus();
    month->setText("2001/3");
    press(month, Qt::Key_Return);
    EXPECT_EQ(month->displayText(), QStringLiteral("2001/03"));
    EXPECT_EQ(grid()->rows(), 2);
    QTest::mouseClick(child<QPushButton>("Command4"), Qt::LeftButton);
    EXPECT_EQ(month->displayText(), QStringLiteral("2001/04"));
    EXPECT_EQ(grid()->rows(), 1);

    month->setMonth("2024/05");
    typeEnter(child("txt_day"), "31");
    QTest::mouseClick(child<QPushButton>("Command2"), Qt::LeftButton);
    EXPECT_EQ(child("txt_day")->text(), QStringLiteral("01"));
    EXPECT_EQ(month->displayText(), QStringLiteral("2024/06"));
    child("txt_day")->setText("5");  // typed, not yet padded: the buttons read it all the same
    QTest::mouseClick(child<QPushButton>("Command2"), Qt::LeftButton);
    EXPECT_EQ(child("txt_day")->text(), QStringLiteral("06"));
    typeEnter(child("txt_day"), "32");
    EXPECT_EQ(QApplication::focusWidget(), child("txt_day"));
    typeEnter(child("txt_day"), "7");
    EXPECT_EQ(child("txt_day")->text(), QStringLiteral("07"));
    EXPECT_EQ(QApplication::focusWidget(), child("txt_b_cd"));
    press(child("txt_b_cd"), Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), child("txt_day"));
}

}  // namespace
