#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "bank/BankWindows.h"
#include "core/settings/Settings.h"
#include "purse/PurseWindows.h"
#include "support/TestEnv.h"
#include "ui/shell/Grid.h"
#include "ui/shell/Msg.h"

namespace {

template <class Form>
class Printing : public Form {
  public:
    explicit Printing(app::Session& s) : Form(s) {}
    void Print_Totals() override {
        ++prints;
        barEnabledWhilePrinting = this->fKey(10)->isEnabled();
    }
    int prints = 0;
    bool barEnabledWhilePrinting = true;
};

class TotalsWindowTest : public AppTest {
  protected:
    void bankBook() {
        startBank("(1,'本店',12345),(2,'支店',0)", "(1,'給与',0),(2,'食費',1),(3,'雑費',1)");
        addBankEntry(1, "2024/05/01", 1, 2, 1000);
        addBankEntry(2, "2024/05/02", 1, 2, 1000);
        addBankEntry(3, "2024/05/03", 1, 2, 1000);
        addBankEntry(4, "2024/05/25", 1, 1, 5000);
        addBankEntry(5, "2024/05/26", 1, 3, 500);
        addBankEntry(6, "2024/05/27", 1, 3, -500);  // an item whose entries sum to 0
        addBankEntry(7, "2024/05/10", 2, 2, 700);
        addBankEntry(8, "2024/01/10", 1, 2, 400);
        session().reopenMasters();
    }
    void purseBook() {
        startPurse("(1,'小遣い',0),(2,'食費',1)");
        sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN) VALUES "
            "(1,1,'2024/05/05',2,300,0),(2,2,'2024/05/06',2,500,0),(3,2,'2024/05/07',1,10000,0),"
            "(4,1,'2024/02/01',2,1000,0)");
        session().reopenMasters();
    }
};

// The first bank and the present month; the balance is the stored one, not the masters' copy.
// Another bank is chosen by its code or from the list.
TEST_F(TotalsWindowTest, BankMonthListsItemsOnOddRowsAndTheGrandTotalLast) {
    bankBook();
    sql("UPDATE T01 SET ZAN=777 WHERE CD=1");  // a journal change since the masters were read
    auto* w = shown(new bank::form_S01T0101(session()));
    ui::FlexGrid* g = w->grid();
    auto* code = child<QLineEdit>(w, "txt_b_cd");
    auto* list = child<QComboBox>(w, "cmb_b_nm");
    EXPECT_EQ(list->currentText(), QStringLiteral("1 本店"));
    EXPECT_EQ(child<QLabel>(w, "lbl_zan")->text(), QStringLiteral("777"));
    EXPECT_EQ(w->yearBox()->text() + w->monthBox()->text(), QStringLiteral("202405"));
    ASSERT_EQ(g->rows(), 6);
    EXPECT_EQ(gridRow(g, 1), (QStringList{"1", "給与", "収入", "1", "合計", "5000", "5000"}));
    EXPECT_EQ(gridRow(g, 2), QStringList(7, QString()));
    EXPECT_EQ(gridRow(g, 3), (QStringList{"2", "食費", "支出", "3", "合計", "-3000", "-1000"}));
    EXPECT_EQ(gridRow(g, 5), (QStringList{"", "", "", "", "総合計", "2000", ""}));
    EXPECT_TRUE(child<QFrame>(w, "frm_syukei_mode_0")->isVisible());

    typeEnter(code, QStringLiteral("2"));
    EXPECT_EQ(list->currentText(), QStringLiteral("2 支店"));
    EXPECT_EQ(g->text(5, 1), QStringLiteral("-700"));
    EXPECT_TRUE(list->hasFocus());
    // A code no bank has changes nothing; one that is no code at all is refused.
    typeEnter(code, QStringLiteral("9"));
    EXPECT_EQ(list->currentText(), QStringLiteral("2 支店"));
    typeEnter(code, QStringLiteral("40000"));
    EXPECT_EQ(messages().takeTexts(), QStringList{QStringLiteral("銀行ｺｰﾄﾞは1～32767の整数で入力してください")});
    EXPECT_EQ(g->text(5, 1), QStringLiteral("-700"));
    list->setCurrentIndex(0);
    emit list->activated(0);
    EXPECT_EQ(code->text(), QStringLiteral("1"));
    EXPECT_EQ(g->text(5, 5), QStringLiteral("2000"));
}

// A bad year or month keeps the focus and computes nothing; the buttons keep within the year.
TEST_F(TotalsWindowTest, InvalidYearOrMonthCannotBeLeftAndMonthButtonsCycleWithinTheYear) {
    bankBook();
    auto* w = shown(new bank::form_S01T0101(session()));
    QLineEdit* year = w->yearBox();
    QLineEdit* month = w->monthBox();
    messages().takeTexts();
    for (const char* bad : {"1899", ""}) {
        typeText(year, QString::fromLatin1(bad));
        press(year, Qt::Key_Tab);
        QTest::qWait(20);
        EXPECT_TRUE(year->hasFocus()) << bad;
    }
    EXPECT_EQ(messages().takeTexts().value(0), QStringLiteral("年は1900～9999の整数で入力してください"));
    typeEnter(year, QStringLiteral("10000"));  // refused on Enter as well
    EXPECT_TRUE(year->hasFocus());
    EXPECT_EQ(messages().takeTexts().size(), 1);
    EXPECT_EQ(w->grid()->rows(), 6);
    typeText(year, QStringLiteral("2024"));
    press(year, Qt::Key_Tab);
    QTest::qWait(20);
    EXPECT_TRUE(month->hasFocus());
    for (const char* bad : {"0", "13"}) {
        typeText(month, QString::fromLatin1(bad));
        child<QLineEdit>(w, "txt_b_cd")->setFocus();
        QTest::qWait(20);
        EXPECT_TRUE(month->hasFocus()) << bad;
    }
    typeEnter(month, QStringLiteral("1"));
    EXPECT_EQ(month->text(), QStringLiteral("01"));
    EXPECT_TRUE(child<QLineEdit>(w, "txt_b_cd")->hasFocus());
    EXPECT_EQ(w->grid()->text(5, 1), QStringLiteral("-400")) << "January of 2024";

    QTest::mouseClick(child<QPushButton>(w, "Command4"), Qt::LeftButton);
    EXPECT_EQ(year->text() + month->text(), QStringLiteral("202412"));
    EXPECT_EQ(w->grid()->rows(), 1) << "nothing booked in December";
    QTest::mouseClick(child<QPushButton>(w, "Command1"), Qt::LeftButton);
    EXPECT_EQ(year->text() + month->text(), QStringLiteral("202401"));
    EXPECT_EQ(w->grid()->text(5, 1), QStringLiteral("-400"));
    QTest::mouseClick(child<QPushButton>(w, "Command3"), Qt::LeftButton);
    EXPECT_EQ(year->text() + month->text(), QStringLiteral("202301"));
}

// F2 prints at once with the keys disabled meanwhile; F10 closes and stores the layout.
TEST_F(TotalsWindowTest, YearlyModeTotalsTheYearAndF2PrintsAtOnceWithTheKeysDisabled) {
    bankBook();
    session().periodMode = 1;
    auto* w = shown(new Printing<bank::form_S01T0101>(session()));
    EXPECT_FALSE(child<QFrame>(w, "frm_syukei_mode_0")->isVisible());
    EXPECT_TRUE(child<QFrame>(w, "frm_syukei_mode_1")->isVisible());
    EXPECT_EQ(w->monthBox()->text(), QStringLiteral("05"));
    EXPECT_EQ(w->grid()->text(3, 3), QStringLiteral("4"));
    EXPECT_EQ(w->grid()->text(5, 3), QStringLiteral("-3400"));
    QTest::mouseClick(child<QPushButton>(w, "Command2"), Qt::LeftButton);
    EXPECT_EQ(w->yearBox()->text(), QStringLiteral("2025"));
    EXPECT_EQ(w->grid()->rows(), 1);

    press(w->yearBox(), Qt::Key_F2);
    EXPECT_EQ(w->prints, 1);
    EXPECT_FALSE(w->barEnabledWhilePrinting);
    EXPECT_TRUE(w->fKey(10)->isEnabled());
    w->grid()->setColumnWidth(5, 120);
    press(w->yearBox(), Qt::Key_F10);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(settings::getNumber(QStringLiteral("grd_S01T01ColWidth5"), 0), 1800);
}

// All pages by category, without a count; the frames keep to the right edge. The window follows
// the other totals button, and a graph opened meanwhile in the other mode changes nothing.
// F2 asks for the side first and Cancel prints nothing (the print itself is PrintWiringTest's).
TEST_F(TotalsWindowTest, PurseTotalsAllCategoriesWithoutCountAndFollowsTheOtherTotalsButton) {
    purseBook();
    auto* w = shown(new Printing<purse::form_S01T0101>(session()));
    ui::FlexGrid* g = w->grid();
    EXPECT_EQ(gridRow(g, 1), (QStringList{"1", "小遣い", "収入", "合計", "10000", "10000"}));
    EXPECT_EQ(gridRow(g, 3), (QStringList{"2", "食費", "支出", "合計", "-800", "-400"}));
    EXPECT_EQ(gridRow(g, 5), (QStringList{"", "", "", "総合計", "9200", ""}));
    w->resize(900, 500);
    QApplication::processEvents();
    EXPECT_EQ(child<QFrame>(w, "frm_syukei_mode_0")->x(), 900 - 145 - 105);
    EXPECT_EQ(child<QFrame>(w, "frm_syukei_mode_1")->x(), 900 - 105);

    session().periodMode = 1;  // as the menu sets it before handing the open window the button
    w->reopen();
    EXPECT_EQ(w->mode(), 1);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("科目別年合計"));
    EXPECT_FALSE(child<QFrame>(w, "frm_syukei_mode_0")->isVisible());
    EXPECT_EQ(g->text(4, 3), QStringLiteral("-1800")) << "the year, February included";
    session().periodMode = 0;
    QTest::mouseClick(child<QPushButton>(w, "Command3"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(w, "Command2"), Qt::LeftButton);
    EXPECT_EQ(g->text(4, 3), QStringLiteral("-1800"));

    auto* side = child<QFrame>(w, "frm_select_omote");
    EXPECT_FALSE(side->isVisible());
    press(w->yearBox(), Qt::Key_F2);
    EXPECT_TRUE(side->isVisible());
    QTest::mouseClick(child<QPushButton>(side, "Command8"), Qt::LeftButton);
    EXPECT_FALSE(side->isVisible());
    EXPECT_EQ(w->prints, 0);
}

}  // namespace
