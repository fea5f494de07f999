// The household journal window, driven as a user drives it: typing, Enter, function keys, the grid.

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "core/settings/Settings.h"
#include "purse/PurseJournal.h"
#include "support/TestEnv.h"
#include "ui/shell/Grid.h"

namespace {

class PurseJournalTest : public AppTest {
  protected:
    void SetUp() override { startPurse("(1,'給料',0),(2,'食費',1)"); }

    purse::form_S0101* openTarget() { return shown(new purse::form_S0101(session())); }
    // The journal opened on a book holding `rows` (S01 values with every column), May the month
    // last shown.
    purse::form_S0101* openOn(const QString& rows) {
        sql(QStringLiteral("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN,BIKO) VALUES ") + rows);
        settings::saveSetting("lastMonth", "5");
        return openTarget();
    }
    ui::FlexGrid* grid(QWidget* w) { return child<ui::FlexGrid>(w, "grd_S01"); }
    void enter(QWidget* w, const char* name, const QString& text) { typeEnter(child(w, name), text); }
    // Day, category code, amount and note typed with Enter after each, then 入力 pressed.
    void write(QWidget* w, const QString& day, const QString& code, const QString& amount, const QString& note = {}) {
        typeFields(w, {{"txt_day", day}, {"txt_k_cd", code}, {"txt_kingaku", amount}, {"txt_biko", note}});
        auto* input = child<QPushButton>(w, "cmd_input");
        ASSERT_EQ(QApplication::focusWidget(), input);
        QTest::mouseClick(input, Qt::LeftButton);
    }
    void key(QWidget* w, int key) { press(QApplication::focusWidget() ? QApplication::focusWidget() : w, key); }
    void clickRow(QWidget* w, int row, bool twice = false) {
        ui::FlexGrid* g = grid(w);
        const QPoint at = g->cellRect(0, row).center();
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, at);
        if (twice) QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, at);
    }
    qint64 zan(qint64 cd) { return value("SELECT ZAN FROM S01 WHERE CD=?", {cd}).toLongLong(); }
};

// An empty book opens on page 1 with its empty row. Bad input is refused with its box focused
// and nothing written. A changed row moves the later balances at once, and is stored before the
// window closes. Reopened in the same month the page stays; a new month begins a page that
// carries the balance on.
TEST_F(PurseJournalTest, BadInputIsRefusedAndBalancesRunThroughAPageAndIntoTheNext) {
    auto* w = openTarget();
    EXPECT_EQ(child<QLineEdit>(w, "txt_page")->text(), "1");
    EXPECT_EQ(grid(w)->rows(), 2);
    struct Case {
        const char* field;
        QString text;
    } cases[] = {{"txt_rec_no", ""},  {"txt_rec_no", "x"},     {"txt_rec_no", "0"},
                 {"txt_day", "32"},   {"txt_k_cd", "0"},       {"txt_k_cd", "9"},
                 {"txt_kingaku", ""}, {"txt_kingaku", "12.5"}, {"txt_kingaku", "abc"}};
    for (const Case& c : cases) {
        child<QLineEdit>(w, "txt_day")->setText("05");
        child<QLineEdit>(w, "txt_k_cd")->setText("1");
        child<QLineEdit>(w, "txt_kingaku")->setText("100");
        child<QLineEdit>(w, "txt_rec_no")->setText("1");
        child<QLineEdit>(w, c.field)->setText(c.text);
        w->input();
        EXPECT_EQ(messages().takeTexts().size(), 1) << c.field << " " << c.text.toStdString();
        EXPECT_EQ(QApplication::focusWidget(), child(w, c.field)) << c.field;
        EXPECT_EQ(value("SELECT COUNT(*) FROM S01").toLongLong(), 0);
    }
    // The day box itself keeps the focus until the day is mended.
    enter(w, "txt_day", "0");
    EXPECT_EQ(QApplication::focusWidget(), child(w, "txt_day"));
    enter(w, "txt_day", "7");
    EXPECT_EQ(child<QLineEdit>(w, "txt_day")->text(), "07");
    EXPECT_EQ(QApplication::focusWidget(), child(w, "txt_k_cd"));
    press(child(w, "txt_k_cd"), Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), child(w, "txt_day"));

    write(w, "3", "1", "1000", "it's pay");
    write(w, "4", "2", "300");
    EXPECT_EQ(zan(1), 1000);
    EXPECT_EQ(zan(2), 700);
    EXPECT_EQ(value("SELECT K_DATE || '|' || P_CD || '|' || BIKO FROM S01 WHERE CD=1").toString(),
              "2024/05/03|1|it's pay");
    EXPECT_EQ(grid(w)->rows(), 3);
    EXPECT_EQ(gridRow(grid(w), 2), (QStringList{"2", "04", "2", "食費", "", "300", "700", ""}));
    EXPECT_EQ(child<QLineEdit>(w, "txt_rec_no")->text(), "3");

    clickRow(w, 1, true);
    EXPECT_EQ(child<QPushButton>(w, "cmd_input")->text(), QStringLiteral("更新"));
    EXPECT_EQ(child<QLineEdit>(w, "txt_kingaku")->text(), "1000");
    enter(w, "txt_k_cd", "1");
    enter(w, "txt_kingaku", "2000");
    QTest::mouseClick(child<QPushButton>(w, "cmd_input"), Qt::LeftButton);
    EXPECT_EQ(zan(1), 2000);
    EXPECT_EQ(zan(2), 1700);
    EXPECT_EQ(grid(w)->text(4, 1), "2000");
    EXPECT_EQ(grid(w)->text(6, 1), "2000");
    EXPECT_EQ(grid(w)->text(6, 2), "1700");

    // A row of another month than the page's first row keeps its month when it is changed.
    QTest::mouseClick(child<QPushButton>(w, "Command4"), Qt::LeftButton);
    write(w, "1", "1", "10");
    EXPECT_EQ(child<QLineEdit>(w, "txt_date")->text(), "2024/05");
    clickRow(w, 3, true);
    EXPECT_EQ(child<QLineEdit>(w, "txt_date")->text(), "2024/06");
    enter(w, "txt_kingaku", "20");
    QTest::mouseClick(child<QPushButton>(w, "cmd_input"), Qt::LeftButton);
    EXPECT_EQ(value("SELECT K_DATE FROM S01 WHERE CD=3").toString(), "2024/06/01");

    // Modify by number, then close by the close box: the balances are already stored.
    key(w, Qt::Key_F3);
    enter(w, "txt_cd", "2");
    enter(w, "txt_kingaku", "500");
    QTest::mouseClick(child<QPushButton>(w, "cmd_input"), Qt::LeftButton);
    EXPECT_EQ(zan(2), 1500);
    EXPECT_EQ(zan(3), 1520);
    w->close();
    EXPECT_TRUE(wrongPurseBalances().isEmpty());
    EXPECT_FALSE(settings::getSetting("grd_S01ColWidth7", "").isEmpty());

    delete w;
    w = openTarget();
    EXPECT_EQ(child<QLineEdit>(w, "txt_page")->text(), "1");
    delete w;
    setNow(QDateTime(QDate(2024, 6, 2), QTime(8, 0)));
    w = openTarget();
    EXPECT_EQ(child<QLineEdit>(w, "txt_page")->text(), "2");
    write(w, "2", "2", "200");
    EXPECT_EQ(zan(4), 1320);
    EXPECT_EQ(value("SELECT P_CD FROM S01 WHERE CD=4").toLongLong(), 2);
    EXPECT_EQ(grid(w)->text(6, 1), "1320");
    QTest::mouseClick(child<QPushButton>(w, "cmd_syo_nm"), Qt::LeftButton);  // the category button
    EXPECT_TRUE(child<QComboBox>(w, "cmb_k_nm")->view()->isVisible());
}

// Back on the last page, F8 counts a row whose category is gone as an expense, and nothing
// about that row blocks a delete.
TEST_F(PurseJournalTest, PageKeysStopAtPageOneAndF8CountsAMissingCategoryAsAnExpense) {
    auto* w = openOn("(1,1,'2024/05/03',1,1000,1000,''),(2,2,'2024/06/02',2,200,800,''),(3,2,'2024/06/03',7,250,5,'')");
    EXPECT_EQ(w->page(), 2);
    key(w, Qt::Key_F4);
    EXPECT_EQ(w->page(), 1);
    EXPECT_EQ(child<QLineEdit>(w, "txt_date")->text(), "2024/05");  // the month of the page's first row
    key(w, Qt::Key_F4);
    EXPECT_EQ(w->page(), 1);
    key(w, Qt::Key_F7);
    key(w, Qt::Key_F5);
    EXPECT_EQ(w->page(), 3);
    EXPECT_EQ(grid(w)->rows(), 2);
    EXPECT_TRUE(grid(w)->text(0, 1).isEmpty());

    key(w, Qt::Key_F4);
    EXPECT_EQ(grid(w)->text(3, 2), "");
    EXPECT_EQ(grid(w)->text(5, 2), "250");
    key(w, Qt::Key_F8);
    EXPECT_TRUE(messages().takeTexts().isEmpty());
    EXPECT_EQ(zan(3), 550);
    EXPECT_EQ(grid(w)->text(6, 2), "550");
    key(w, Qt::Key_F2);
    enter(w, "txt_cd2_0", "1");
    enter(w, "txt_cd2_1", "");
    EXPECT_TRUE(messages().takeTexts().isEmpty());
    EXPECT_EQ(zan(3), -450);
    EXPECT_TRUE(wrongPurseBalances().isEmpty());
}

// A row of page 1 is not on the shown page: modify by number does not find it, but a typed
// number moves it here. Emptied pages pass the balance on.
TEST_F(PurseJournalTest, ARowMovedOrDeletedFromAnEarlierPageLeavesEveryBalanceRight) {
    auto* w =
        openOn("(1,1,'2024/03/05',1,1000,1000,''),(2,2,'2024/04/05',2,100,900,''),(3,3,'2024/05/10',2,10,890,'')");
    ASSERT_EQ(w->page(), 3);
    key(w, Qt::Key_F3);
    enter(w, "txt_cd", "1");
    EXPECT_EQ(messages().takeTexts(), QStringList{"レコードがありません"});
    typeText(child(w, "txt_rec_no"), "1");
    write(w, "1", "1", "1000");
    EXPECT_EQ(zan(2), -100) << "page 1 is empty now: page 2 starts from the nothing before it";
    EXPECT_EQ(zan(1), 900);
    EXPECT_EQ(zan(3), 890);

    key(w, Qt::Key_F4);
    clickRow(w, 1);
    press(grid(w), Qt::Key_Delete);
    EXPECT_EQ(grid(w)->rows(), 2);
    EXPECT_TRUE(grid(w)->text(0, 1).isEmpty());
    EXPECT_EQ(zan(1), 1000);
    EXPECT_EQ(zan(3), 990);
    EXPECT_TRUE(wrongPurseBalances().isEmpty());
    press(grid(w), Qt::Key_Delete);
    EXPECT_EQ(messages().takeTexts(), QStringList{"レコードがありません"});
}

}  // namespace
