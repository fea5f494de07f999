// The recurring entries' windows: the due window a journal opens, and the rule window.

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "bank/BankWindows.h"
#include "core/ledger/Recurring.h"
#include "purse/PurseWindows.h"
#include "support/TestEnv.h"
#include "ui/care/BookUndo.h"
#include "ui/menu/MenuForm.h"
#include "ui/recurring/RecurringWindows.h"
#include "ui/shell/Grid.h"

namespace {

// Acts on each 定期入力 window that opens while it lives, and counts them.
class DueWatch {
  public:
    explicit DueWatch(std::function<void(ui::DueWindow*)> act) : m_act(std::move(act)) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* w = qobject_cast<ui::DueWindow*>(QApplication::activeModalWidget());
            if (!w || w == m_last) return;
            m_last = w;
            ++seen;
            for (int r = 1; r < w->grid()->rows(); ++r) rows << gridRow(w->grid(), r);
            m_act(w);
        });
        m_timer.start(5);
    }
    int seen = 0;
    QList<QStringList> rows;  // what the windows listed

  private:
    QTimer m_timer;
    std::function<void(ui::DueWindow*)> m_act;
    QPointer<ui::DueWindow> m_last;
};

class RecurringWindowTest : public AppTest {
  protected:
    void purseBook() {
        startPurse("(1,'給料',0),(2,'家賃',1)");
        sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN) VALUES (1,1,'2024/03/01',1,300000,300000)");
        setNow(QDateTime(QDate(2024, 3, 28), QTime(9, 0)));
    }
    // Rent on the 27th from February: two months are due on 2024/03/28.
    qint64 rent(qint64 bank = 0) {
        ledger::RecurringRule r;
        r.bank = bank;
        r.item = 2;
        r.amount = 80000;
        r.note = "家賃";
        r.day = 27;
        r.start = "2024/02/01";
        const ledger::RuleWrite w = ledger::addRule(book(), session().program(), r);
        EXPECT_TRUE(w.ok) << w.error.toStdString();
        return w.cd;
    }
    // A journal as the menu opens it, shown; the due window, if any, has been dealt with after.
    std::unique_ptr<ui::FormBase> openJournal(const ui::MenuConfig& config) {
        std::unique_ptr<ui::FormBase> j(config.create(ui::MenuTarget::Journal, session(), nullptr));
        // Not waited for as active: the due window takes the activation when it opens.
        j->show();
        QTest::qWait(80);
        return j;
    }
    static bool shows(ui::FlexGrid* grid, const QString& text) {
        for (int r = 1; r < grid->rows(); ++r)
            if (gridRow(grid, r).contains(text)) return true;
        return false;
    }
    QStringList posted() {
        QStringList out;
        for (int cd = 2; cd <= value("SELECT MAX(CD) FROM S01").toInt(); ++cd)
            out << value("SELECT K_DATE || ' ' || KINGAKU || ' ' || ZAN FROM S01 WHERE CD=?", {cd}).toString();
        return out;
    }
};

// Two months due are listed, written with F1 with their balances, not listed again; Ctrl+Z takes
// both rows and the rule's date back, and the next opening lists them again.
TEST_F(RecurringWindowTest, TwoMonthsDueAreListedWrittenOnceAndBackAfterUndo) {
    purseBook();
    const qint64 rule = rent();
    ui::BookUndo undo(session());
    const ui::MenuConfig config = purse::menuConfig();
    {
        DueWatch watch([](ui::DueWindow* w) { w->pressFKey(1); });
        auto journal = openJournal(config);
        ASSERT_EQ(watch.seen, 1);
        EXPECT_TRUE(shows(child<ui::FlexGrid>(journal.get(), "grd_S01"), "140000")) << "the journal shows them";
        ASSERT_EQ(watch.rows.size(), 2);
        EXPECT_EQ(watch.rows[0], (QStringList{"○", "2024/02/27", "家賃", "80000", "家賃"}));
        EXPECT_EQ(watch.rows[1][1], "2024/03/27");
    }
    EXPECT_EQ(posted(), (QStringList{"2024/02/27 80000 220000", "2024/03/27 80000 140000"}));
    EXPECT_TRUE(wrongPurseBalances().isEmpty());
    EXPECT_EQ(value("SELECT N_DATE FROM R01 WHERE CD=?", {rule}).toString(), "2024/04/27");
    {
        DueWatch watch([](ui::DueWindow* w) { w->pressFKey(10); });
        openJournal(config);
        EXPECT_EQ(watch.seen, 0) << "nothing is due any more";
    }
    {
        auto journal = openJournal(config);
        auto* grid = child<ui::FlexGrid>(journal.get(), "grd_S01");
        press(grid, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_FALSE(shows(grid, "140000"));
    }
    EXPECT_EQ(value("SELECT COUNT(*) FROM S01").toInt(), 1);
    EXPECT_EQ(value("SELECT N_DATE FROM R01 WHERE CD=?", {rule}).toString(), "2024/02/27");
    {
        DueWatch watch([](ui::DueWindow* w) { w->pressFKey(10); });
        openJournal(config);
        EXPECT_EQ(watch.seen, 1);
        EXPECT_EQ(watch.rows.size(), 2);
    }
    // Closed with F10: no other journal asks again in this run, and nothing was written.
    DueWatch watch([](ui::DueWindow* w) { w->pressFKey(10); });
    openJournal(config);
    openJournal(config);
    EXPECT_EQ(watch.seen, 0);
    EXPECT_EQ(value("SELECT COUNT(*) FROM S01").toInt(), 1);
}

// Unticking a month unticks the later one; ticking the later one ticks the earlier; an amount
// edited goes to that row only, 0 is refused; F5 skips the earliest month without a row.
TEST_F(RecurringWindowTest, TicksFollowTheRuleEditsStayOnTheirRowAndF5Skips) {
    purseBook();
    const qint64 rule = rent();
    QStringList refused;
    DueWatch watch([&](ui::DueWindow* w) {
        ui::FlexGrid* g = w->grid();
        g->setFocus();
        g->setCurrentIndex(w->rows()->index(0, 0));
        QTest::keyClick(g, Qt::Key_Space);
        EXPECT_FALSE(w->rows()->rowAt(1)->ticked) << "the later month goes with the earlier";
        g->setCurrentIndex(w->rows()->index(1, 0));
        QTest::keyClick(g, Qt::Key_Space);
        EXPECT_TRUE(w->rows()->rowAt(0)->ticked) << "the earlier month comes with the later";
        w->commitCell(1, w->rows()->amountColumn(), "0");
        refused = messages().takeTexts();
        w->commitCell(1, w->rows()->amountColumn(), "85,000");
        EXPECT_EQ(w->rows()->rowAt(0)->occurrence.amount, 80000);
        g->setCurrentIndex(w->rows()->index(1, 0));
        w->pressFKey(5);  // skips February, the rule's earliest
        ASSERT_EQ(w->rows()->rowCount(), 1);
        EXPECT_EQ(w->rows()->rowAt(0)->occurrence.amount, 85000) << "the edit stays with March";
        w->pressFKey(1);
    });
    openJournal(purse::menuConfig());
    ASSERT_EQ(watch.seen, 1);
    ASSERT_EQ(refused.size(), 1);
    EXPECT_TRUE(refused[0].startsWith("金額"));
    EXPECT_EQ(posted(), QStringList{"2024/03/27 85000 215000"});
    EXPECT_EQ(value("SELECT N_DATE FROM R01 WHERE CD=?", {rule}).toString(), "2024/04/27");
}

TEST_F(RecurringWindowTest, AReadOnlyBookNeverAsks) {
    purseBook();
    rent();
    ASSERT_TRUE(reopenReadOnly());
    DueWatch watch([](ui::DueWindow* w) { w->pressFKey(1); });
    openJournal(purse::menuConfig());
    EXPECT_EQ(watch.seen, 0);
    EXPECT_EQ(value("SELECT COUNT(*) FROM S01").toInt(), 1);
}

// In bank each row goes into its rule's bank, whose balance moves.
TEST_F(RecurringWindowTest, BankRowsGoIntoTheRulesBank) {
    startBank("(1,'本店',0),(2,'支店',0)", "(2,'家賃',1)");
    setNow(QDateTime(QDate(2024, 3, 28), QTime(9, 0)));
    rent(2);
    DueWatch watch([](ui::DueWindow* w) { w->pressFKey(1); });
    openJournal(bank::menuConfig());
    ASSERT_EQ(watch.seen, 1);
    EXPECT_EQ(watch.rows[0][2], "支店");
    EXPECT_EQ(value("SELECT COUNT(*) FROM S01 WHERE B_CD=2").toInt(), 2);
    EXPECT_EQ(value("SELECT ZAN FROM T01 WHERE CD=2").toLongLong(), -160000);
    EXPECT_TRUE(wrongBankBalances().isEmpty());
}

// The rule window from the menu's list: bad input names its box and writes nothing; a good rule
// shows its next date, a finished one 終了; Ctrl+Z takes a rule back.
TEST_F(RecurringWindowTest, TheRuleDialogNamesTheBadBoxAndWritesNothing) {
    purseBook();
    ui::BookUndo undo(session());
    ui::form_Menu menu(session(), purse::menuConfig());
    ASSERT_GE(menu.extrasMenu()->actions().size(), 3);
    EXPECT_TRUE(menu.extrasMenu()->actions()[2]->text().startsWith("定期入力の設定\t"));
    ASSERT_TRUE(menu.runShortcut(QKeyCombination(Qt::ControlModifier, Qt::Key_R)));
    auto* w = qobject_cast<ui::RuleWindow*>(menu.openExtraWindow(2));
    ASSERT_TRUE(w);
    struct Case {
        const char* box;
        QString text;
        QString head;
    } cases[] = {{"txt_k_cd", "9", "科目"},
                 {"txt_kingaku", "0", "金額"},
                 {"txt_kingaku", "x", "金額"},
                 {"txt_day", "32", "日"},
                 {"txt_every", "4", "間隔"},
                 {"txt_s_date", "1999/01/01", "開始日"},
                 {"txt_e_date", "2024/01/01", "終了日"}};
    for (const Case& c : cases) {
        QStringList shown;
        QString focus;
        whenModal([&](QWidget* d) {
            typeFields(d, {{"txt_k_cd", "2"}, {"txt_kingaku", "80000"}, {"txt_day", "27"}, {"txt_every", "1"}});
            child<QLineEdit>(d, "txt_s_date")->setText("2024/02/01");
            child<QLineEdit>(d, c.box)->setText(c.text);
            static_cast<ui::FormBase*>(d)->pressFKey(1);
            shown = messages().takeTexts();
            focus = QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
            static_cast<ui::FormBase*>(d)->pressFKey(10);
        });
        w->pressFKey(1);
        ASSERT_EQ(shown.size(), 1) << c.box;
        EXPECT_TRUE(shown[0].startsWith(c.head)) << shown[0].toStdString();
        EXPECT_EQ(focus, c.box);
        EXPECT_EQ(value("SELECT COUNT(*) FROM R01").toInt(), 0);
    }
    whenModal([&](QWidget* d) {
        typeFields(d, {{"txt_k_cd", "2"}, {"txt_kingaku", "80000"}, {"txt_day", "27"}, {"txt_every", "1"}});
        child<QLineEdit>(d, "txt_s_date")->setText("2024/2/1");
        child<QLineEdit>(d, "txt_e_date")->setText("2024/02/28");
        static_cast<ui::FormBase*>(d)->pressFKey(1);
    });
    w->pressFKey(1);
    EXPECT_TRUE(messages().takeTexts().isEmpty());
    ASSERT_EQ(w->grid()->rows(), 2);
    EXPECT_EQ(gridRow(w->grid(), 1).mid(1, 3),
              (QStringList{"家賃", "80000", ledger::scheduleText(w->rules()->rows()[0])}));
    EXPECT_EQ(w->grid()->text(7, 1), "2024/02/27");
    QTest::keyClick(w->grid(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(value("SELECT COUNT(*) FROM R01").toInt(), 0);
    EXPECT_EQ(w->grid()->rows(), 1);
    // A rule whose next occurrence lies past its end is finished.
    ledger::RecurringRule ended;
    ended.item = 2;
    ended.amount = 1000;
    ended.day = 27;
    ended.start = "2024/02/01";
    ended.end = "2024/02/10";
    ASSERT_TRUE(ledger::addRule(book(), app::Program::Purse, ended).ok);
    w->fill();
    EXPECT_EQ(w->grid()->text(7, 1), "終了");
}

// Ctrl+R in a journal opens the rule window over it.
TEST_F(RecurringWindowTest, CtrlRInTheJournalOpensTheRules) {
    purseBook();
    auto journal = openJournal(purse::menuConfig());
    QString opened;
    whenModal([&](QWidget* w) {
        opened = w->objectName();
        static_cast<ui::FormBase*>(w)->pressFKey(10);
    });
    press(child<ui::FlexGrid>(journal.get(), "grd_S01"), Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(opened, "RuleWindow");
}

}  // namespace
