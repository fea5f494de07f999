#include <QAction>
#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include "bank/BankWindows.h"
#include "core/db/Schema.h"
#include "core/ledger/Groups.h"
#include "purse/PurseWindows.h"
#include "support/TestEnv.h"
#include "ui/budget/BudgetWindows.h"
#include "ui/care/BookUndo.h"
#include "ui/menu/MenuForm.h"
#include "ui/shell/Grid.h"

namespace {

using Plan = models::BudgetPlanModel;

class BudgetWindowTest : public AppTest {
  protected:
    void purseBook() {
        start(app::Program::Purse);
        sql("INSERT INTO T01 (CD,NM,KIND) VALUES (1,'給与',0),(2,'食費',1),(3,'保険',1)");
        session().reopenMasters();
    }
    // Types into a cell of the plan grid as a user does: the first key opens the cell's editor,
    // the rest go to it, Enter commits.
    void typeCell(ui::BudgetWindow* w, int row, int column, const QString& text) {
        w->grid()->setFocus();
        w->grid()->setCurrentIndex(w->plan()->index(row, column));
        key(w->grid(), text[0]);
        QWidget* editor = QApplication::focusWidget();
        ASSERT_TRUE(qobject_cast<QLineEdit*>(editor));
        for (const QChar ch : text.mid(1)) key(editor, ch);
        QTest::keyClick(editor, Qt::Key_Return);
        // The editor commits once its key is handled, and the cell is written after it closes.
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
    }
    // A key carrying its character, as an input method commits a full-width digit too.
    static void key(QWidget* to, QChar ch) {
        const int code = ch.unicode() < 128 ? QChar(ch).toUpper().unicode() : int(Qt::Key_unknown);
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(to, &press);
    }
    void entry(qint64 cd, const QString& date, qint64 code, qint64 amount) {
        sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN) VALUES (?,1,?,?,?,0)", {cd, date, code, amount});
    }
    int copies() { return int(QDir(dir() + "/backup").entryList({"*.mdb"}, QDir::Files).size()); }
    // A book of version 1, as kept before budgets.
    void versionOne() { asVersion(1); }
};

// The December case through the windows: the plan typed in 予算設定, the report in 予算実績.
TEST_F(BudgetWindowTest, TypedBudgetsShowAgainstSpendingWithTheOverMark) {
    purseBook();
    setNow(QDateTime(QDate(2024, 12, 10), QTime(9, 0)));
    auto* w = shown(new ui::BudgetWindow(session()));
    EXPECT_EQ(w->grid()->objectName(), QStringLiteral("budgetGrid"));
    typeCell(w, 1, Plan::kDefaultColumn, "40000");
    EXPECT_EQ(value("SELECT COUNT(*) FROM B01 WHERE K_CD = 2 AND YM = ''").toInt(), 1);
    typeCell(w, 1, Plan::kDefaultColumn + 12, QStringLiteral("５００００"));  // full-width, as in the journals
    EXPECT_EQ(w->plan()->text(1, Plan::kDefaultColumn + 11), QStringLiteral("40000"));
    EXPECT_TRUE(w->plan()->inherited(1, Plan::kDefaultColumn + 11)) << "November shows the default, greyed";
    EXPECT_FALSE(w->plan()->inherited(1, Plan::kDefaultColumn + 12));
    EXPECT_EQ(w->plan()->text(1, Plan::kYearColumn), QStringLiteral("490000"));
    // A bad value is refused and writes nothing; typing 0 stores 0.
    typeCell(w, 2, Plan::kDefaultColumn, "-5");
    EXPECT_EQ(messages().takeTexts(), QStringList{"予算は0以上の円単位の整数で入力してください"});
    typeCell(w, 0, Plan::kDefaultColumn, "0");
    EXPECT_EQ(value("SELECT COUNT(*) FROM B01").toInt(), 3);
    // A yearly budget beside month budgets is refused with a message.
    typeCell(w, 1, Plan::kYearColumn, "1");
    EXPECT_EQ(messages().takeTexts().size(), 1);
    EXPECT_EQ(value("SELECT COUNT(*) FROM B01").toInt(), 3);
    w->close();

    entry(1, "2024/12/03", 2, 30000);
    entry(2, "2024/12/05", 2, 22000);
    auto* r = shown(new ui::BudgetReportWindow(session()));
    EXPECT_EQ(r->yearBox()->text() + r->monthBox()->text(), QStringLiteral("202412"));
    const int food = ui::Find_Row(r->grid(), 0, 2);
    ASSERT_GT(food, 0);
    EXPECT_EQ(gridRow(r->grid(), food).mid(1, 8),
              (QStringList{"食費", "支出", "50000", "52000", "-2000", "104%", "超過", "0"}));
    EXPECT_TRUE(r->report()->overAt(food - 1));
    typeEnter(r->monthBox(), "11");
    EXPECT_EQ(r->grid()->text(3, ui::Find_Row(r->grid(), 0, 2)), QStringLiteral("40000"));
}

TEST_F(BudgetWindowTest, CtrlZBringsTheOldValueBackAndDeleteFallsBackToTheDefault) {
    purseBook();
    ui::BookUndo undo(session());
    auto* w = shown(new ui::BudgetWindow(session()));
    typeCell(w, 1, Plan::kDefaultColumn, "40000");
    typeCell(w, 1, Plan::kDefaultColumn + 3, "45000");
    typeCell(w, 1, Plan::kDefaultColumn + 3, "47000");
    QTest::keyClick(w->grid(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(w->plan()->text(1, Plan::kDefaultColumn + 3), QStringLiteral("45000"));
    w->grid()->setCurrentIndex(w->plan()->index(1, Plan::kDefaultColumn + 3));
    QTest::keyClick(w->grid(), Qt::Key_Delete);
    EXPECT_EQ(w->plan()->text(1, Plan::kDefaultColumn + 3), QStringLiteral("40000"));
    EXPECT_TRUE(w->plan()->inherited(1, Plan::kDefaultColumn + 3));
    // F7 shows the next year, where only the default applies.
    w->pressFKey(7);
    EXPECT_EQ(w->year(), 2025);
}

// With the standard groups the plan shows 給与, then 保険 and 固定費小計, 食費 and 変動費小計, 特別費小計.
TEST_F(BudgetWindowTest, TypingIntoAGroupLineSetsTheGroupsOwnBudgetAndCtrlZTakesItBack) {
    purseBook();
    ASSERT_TRUE(ledger::registerStandardGroups(book(), app::Program::Purse));
    ui::BookUndo undo(session());
    auto* w = shown(new ui::BudgetWindow(session()));
    ASSERT_EQ(w->plan()->text(2, 1), QStringLiteral("固定費小計"));
    EXPECT_TRUE(w->plan()->groupAt(2));
    typeCell(w, 1, Plan::kDefaultColumn, "15000");
    EXPECT_EQ(value("SELECT KINGAKU FROM B01 WHERE K_CD = 3").toInt(), 15000) << "a category's cell as before";
    EXPECT_EQ(w->plan()->text(2, Plan::kDefaultColumn + 5), QStringLiteral("15000")) << "its members' sum";
    EXPECT_TRUE(w->plan()->fromMembers(2, Plan::kDefaultColumn + 5));

    typeCell(w, 2, Plan::kDefaultColumn + 5, "100000");
    EXPECT_EQ(value("SELECT COUNT(*) FROM B02 WHERE G_CD = 1 AND YM = ?", {QString::number(w->year()) + "/05"}).toInt(),
              1);
    EXPECT_EQ(value("SELECT COUNT(*) FROM B01").toInt(), 1) << "no category's budget changed";
    EXPECT_EQ(w->plan()->text(2, Plan::kDefaultColumn + 5), QStringLiteral("100000"));
    EXPECT_FALSE(w->plan()->fromMembers(2, Plan::kDefaultColumn + 5));
    QTest::keyClick(w->grid(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(value("SELECT COUNT(*) FROM B02").toInt(), 0);
    EXPECT_EQ(w->plan()->text(2, Plan::kDefaultColumn + 5), QStringLiteral("15000"));
    EXPECT_EQ(value("SELECT COUNT(*) FROM B01").toInt(), 1) << "one step took back the group's budget only";

    // Delete removes the group's own budget: the line falls back to its members' sum.
    typeCell(w, 2, Plan::kDefaultColumn, "90000");
    EXPECT_EQ(w->plan()->text(2, Plan::kDefaultColumn + 5), QStringLiteral("90000"));
    w->grid()->setCurrentIndex(w->plan()->index(2, Plan::kDefaultColumn));
    QTest::keyClick(w->grid(), Qt::Key_Delete);
    EXPECT_EQ(value("SELECT COUNT(*) FROM B02").toInt(), 0);
    EXPECT_TRUE(w->plan()->fromMembers(2, Plan::kDefaultColumn));
    EXPECT_EQ(w->plan()->text(2, Plan::kYearColumn), QStringLiteral("180000"));
}

// The menu: its tooltip, the right-click list and the keys, the upgrade on first opening.
TEST_F(BudgetWindowTest, OpeningThePlanUpgradesAVersionOneBookWithOneCopy) {
    purseBook();
    versionOne();
    ui::form_Menu menu(session(), purse::menuConfig());
    EXPECT_EQ(menu.toolTip(), QStringLiteral("右クリック: その他の機能"));
    QMenu* list = menu.extrasMenu();
    ASSERT_GE(list->actions().size(), 2);
    EXPECT_TRUE(list->actions()[0]->text().startsWith(QStringLiteral("予算設定\t")));
    EXPECT_TRUE(list->actions()[0]->isEnabled());
    const int before = copies();
    ASSERT_TRUE(menu.runShortcut(QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_B)));
    EXPECT_EQ(value("PRAGMA user_version").toInt(), db::kSchemaVersion);
    EXPECT_EQ(copies(), before + 1);
    ui::FormBase* plan = menu.openExtraWindow(0);
    ASSERT_TRUE(plan);
    // From the plan, Ctrl+B brings the report; in purse both stay open.
    ASSERT_TRUE(plan->runShortcut(QKeyCombination(Qt::ControlModifier, Qt::Key_B)));
    EXPECT_TRUE(menu.openExtraWindow(1));
    EXPECT_TRUE(menu.openExtraWindow(0));
}

TEST_F(BudgetWindowTest, AReadOnlyVersionOneBookShowsTheReasonInstead) {
    purseBook();
    versionOne();
    const QString path = book().path();
    session().closeBook();
    QString error;
    ASSERT_TRUE(session().openBook(path, &error, true));
    session().reopenMasters();
    ui::form_Menu menu(session(), purse::menuConfig());
    QAction* plan = menu.extrasMenu()->actions()[0];
    EXPECT_FALSE(plan->isEnabled());
    EXPECT_EQ(plan->toolTip(), book().readOnlyMessage());
    EXPECT_TRUE(menu.extrasMenu()->actions()[1]->isEnabled()) << "the report only reads";
    menu.openExtra(0);
    EXPECT_EQ(messages().takeTexts(), QStringList{book().readOnlyMessage()});
    EXPECT_FALSE(menu.openExtraWindow(0));
    EXPECT_EQ(value("PRAGMA user_version").toInt(), 1);
}

// In bank the windows are modal, as the menu's others; the report prints at once as PDF.
TEST_F(BudgetWindowTest, BankOpensTheReportModallyAndPrintsItToTheFolder) {
    start(app::Program::Bank);
    sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'本店',0)");
    sql("INSERT INTO T02 (CD,NM,KIND) VALUES (1,'食費',1)");
    session().reopenMasters();
    session().places.printDir = dir() + "/out";
    ui::form_Menu menu(session(), bank::menuConfig());
    bool modal = false;
    whenModal([&](QWidget* w) {
        modal = static_cast<QDialog*>(w)->isModal() && w->objectName() == QStringLiteral("BudgetReportWindow");
        static_cast<ui::FormBase*>(w)->pressFKey(2);
        static_cast<ui::FormBase*>(w)->pressFKey(10);
    });
    menu.runShortcut(QKeyCombination(Qt::ControlModifier, Qt::Key_B));
    session().places.printDir.clear();
    EXPECT_TRUE(modal);
    EXPECT_EQ(QDir(dir() + "/out").entryList({"予算実績_*.pdf"}).size(), 1);
}

TEST_F(BudgetWindowTest, EmptyMastersGiveTheMenusOwnMessage) {
    start(app::Program::Purse);
    session().reopenMasters();
    ui::form_Menu menu(session(), purse::menuConfig());
    menu.openExtra(1);
    EXPECT_EQ(messages().takeTexts(), QStringList{"科目を設定してください"});
    EXPECT_FALSE(menu.openExtraWindow(1));
}

}  // namespace
