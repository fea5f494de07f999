// Pages and running balances of the household book, on a real temporary database.

#include <QStringList>
#include <random>

#include "support/TestEnv.h"
#include "core/ledger/Masters.h"
#include "core/ledger/Pages.h"
#include "core/settings/Settings.h"

namespace {

class PagesTest : public AppTest {
  protected:
    void SetUp() override {
        Start(app::Program::Purse);
        Sql("INSERT INTO T01 (CD,NM,KIND) VALUES (1,'給料',0),(2,'食費',1),(3,'雑費',1)");
    }
    // A row with a deliberately wrong stored balance, so that a recalculation has to rewrite it.
    void Row(qint64 cd, qint64 page, const char* date, qint64 kCd, qint64 amount, qint64 zan = -999) {
        Sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN,BIKO) VALUES (?,?,?,?,?,?,'')",
            {cd, page, QString::fromLatin1(date), kCd, amount, zan});
    }
    qint64 Zan(qint64 cd) { return Value("SELECT ZAN FROM S01 WHERE CD=?", {cd}).toLongLong(); }
    void Write(qint64 cd, qint64 page, const char* date, qint64 kCd, qint64 amount) {
        const ledger::Written w = ledger::Write_Entry({cd, page, QString::fromLatin1(date), kCd, amount, QString()});
        ASSERT_TRUE(w.ok) << w.error.toStdString();
    }
};

TEST_F(PagesTest, NewRowCarriesTheBalanceOfTheRowAboveOrOfThePageBefore) {
    EXPECT_EQ(ledger::Compute_Zan(1, 500, 0), 500);
    Row(2, 1, "2024/04/01", 2, 100, -100);
    Row(1, 1, "2024/04/02", 1, 500, 400);  // last in the page's order
    EXPECT_EQ(ledger::Previous_Balance(2), 400);
    EXPECT_EQ(ledger::Compute_Zan(2, 200, 1), 200);
    EXPECT_EQ(ledger::Compute_Zan(1, 50, 2), 350);  // every kind but 0 is an expense
    // Page 3 follows an empty page 2: the balance carries over it.
    EXPECT_EQ(ledger::Compute_Zan(3, 70, 1), 330);
    EXPECT_EQ(ledger::Previous_Balance(1), 0);
}

TEST_F(PagesTest, RecalculationChainsThroughPagesAndAcrossAnEmptyPage) {
    Row(3, 1, "2024/04/05", 2, 300);
    Row(1, 1, "2024/04/01", 1, 1000);
    Row(2, 1, "2024/04/05", 2, 100);  // same day as CD 3: CD order decides
    Row(4, 2, "2024/05/01", 2, 50);
    Row(5, 4, "2024/07/01", 2, 20);  // page 3 holds no row
    Row(6, 4, "2024/07/02", 1, 5);

    QList<qint64> seen;
    const ledger::Recalc r = ledger::Recalc_Zan(1, [&seen](qint64 done, qint64 total) { seen << done << total; });
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(Zan(1), 1000);
    EXPECT_EQ(Zan(2), 900);
    EXPECT_EQ(Zan(3), 600);
    EXPECT_EQ(Zan(4), 550);
    EXPECT_EQ(Zan(5), 530);
    EXPECT_EQ(Zan(6), 535);
    EXPECT_EQ(r.rowsChanged, 6);
    EXPECT_EQ(seen.mid(seen.size() - 2), (QList<qint64>{8, 8})) << "four pages, read and written";
    // A second pass finds nothing to change.
    EXPECT_EQ(ledger::Recalc_Zan(1).rowsChanged, 0);
}

TEST_F(PagesTest, RecalculationFromALaterPageLeavesEarlierPagesAndStartsFromTheirStoredBalance) {
    Row(1, 1, "2024/04/01", 1, 1000, 777);  // stale, and kept so
    Row(2, 2, "2024/05/01", 2, 100);
    Row(3, 3, "2024/06/01", 2, 10);
    ASSERT_TRUE(ledger::Recalc_Zan(2).ok);
    EXPECT_EQ(Zan(1), 777);
    EXPECT_EQ(Zan(2), 677);
    EXPECT_EQ(Zan(3), 667);
    // The first page recomputed holds no rows: the balance before it carries.
    Sql("DELETE FROM S01 WHERE CD=2");
    ASSERT_TRUE(ledger::Recalc_Zan(2).ok);
    EXPECT_EQ(Zan(3), 767);
}

TEST_F(PagesTest, ARowWithAMissingCategoryCountsAsAnExpense) {
    Row(1, 1, "2024/04/01", 1, 1000);
    Row(2, 1, "2024/04/02", 9, 100);
    Row(3, 2, "2024/05/01", 2, 10);
    Row(4, 2, "2024/05/02", 8, 10);
    ASSERT_TRUE(ledger::Recalc_Zan(1).ok);
    EXPECT_TRUE(Wrong_Purse_Balances().isEmpty());
    EXPECT_EQ(Zan(4), 880);
    // It never blocks a write elsewhere in the chain.
    Write(5, 1, "2024/04/01", 3, 1);
    EXPECT_EQ(Zan(4), 879);

    // The page still lists the row, without a name.
    const ledger::PageRead page = ledger::Read_Page(1);
    ASSERT_TRUE(page.ok);
    ASSERT_EQ(page.rows.size(), 3);
    EXPECT_FALSE(page.rows[2].categoryKnown);
    EXPECT_TRUE(page.rows[2].categoryName.isEmpty());
    EXPECT_EQ(page.rows[2].kingaku, 100);
    EXPECT_EQ(page.rows[0].categoryName, QStringLiteral("給料"));
}

TEST_F(PagesTest, OpeningPageBeginsANewPageInANewMonthOnly) {
    EXPECT_EQ(ledger::Opening_Page(5), 1);  // empty journal
    EXPECT_EQ(settings::Get_Setting("lastMonth", ""), "5");
    Row(1, 1, "2024/05/01", 1, 1000);
    EXPECT_EQ(ledger::Opening_Page(5), 1);
    EXPECT_EQ(ledger::Opening_Page(6), 2);
    EXPECT_EQ(settings::Get_Setting("lastMonth", ""), "6");
    // Nothing was written on page 2 yet: opening again in June stays on the highest page.
    EXPECT_EQ(ledger::Opening_Page(6), 1);
}

TEST_F(PagesTest, ABackDatedInsertGetsTheBalanceBeforeItAndShiftsEveryLaterOne) {
    Write(1, 1, "2024/04/05", 1, 1000);
    Write(2, 1, "2024/04/10", 2, 300);
    Write(3, 2, "2024/05/01", 2, 100);
    Write(4, 1, "2024/04/01", 1, 500);
    EXPECT_EQ(Zan(4), 500);
    EXPECT_EQ(Zan(1), 1500);
    EXPECT_EQ(Zan(2), 1200);
    EXPECT_EQ(Zan(3), 1100);
    // The same day as another row: the record number decides.
    Write(5, 1, "2024/04/05", 2, 50);
    EXPECT_EQ(Zan(5), 1450);
    EXPECT_EQ(Zan(2), 1150);
    EXPECT_EQ(Value("SELECT BIKO FROM S01 WHERE CD=5").toString(), QString());
    EXPECT_TRUE(Wrong_Purse_Balances().isEmpty());
    // A category missing from the master is refused, and nothing is written.
    EXPECT_FALSE(ledger::Write_Entry({6, 1, "2024/04/02", 9, 10, QString()}).ok);
    EXPECT_FALSE(ledger::Entry_Exists(6));
}

TEST_F(PagesTest, UpdatesOfAmountCategoryDateAndPageMoveEveryLaterBalance) {
    Write(1, 1, "2024/04/01", 1, 1000);
    Write(2, 1, "2024/04/02", 2, 100);
    Write(3, 2, "2024/05/01", 2, 10);
    Write(4, 3, "2024/06/01", 1, 1);
    struct Step {
        ledger::Entry e;
        qint64 zan3;
    } steps[] = {
        {{2, 1, "2024/04/02", 2, 300, QString()}, 690},   // amount
        {{2, 1, "2024/04/02", 1, 300, QString()}, 1290},  // category: the expense becomes income
        {{1, 1, "2024/04/03", 1, 1000, QString()}, 1290}, // date: after row 2 within the page
        {{1, 3, "2024/06/02", 1, 1000, QString()}, 290},  // to a later page
        {{4, 1, "2024/04/01", 1, 1, QString()}, 291},     // from the last page to the first
    };
    for (const Step& s : steps) {
        const ledger::Written w = ledger::Write_Entry(s.e);
        ASSERT_TRUE(w.ok) << w.error.toStdString();
        EXPECT_FALSE(w.inserted);
        EXPECT_EQ(Zan(3), s.zan3) << s.e.cd << " " << s.e.kDate.toStdString();
        EXPECT_EQ(Wrong_Purse_Balances(), QList<qint64>{}) << s.e.cd << " " << s.e.kDate.toStdString();
    }
    EXPECT_EQ(Value("SELECT P_CD FROM S01 WHERE CD=1").toLongLong(), 3);
}

TEST_F(PagesTest, AnEmptiedMiddlePageCarriesTheBalanceToTheNextPage) {
    Write(1, 1, "2024/04/01", 1, 1000);
    Write(2, 2, "2024/05/01", 2, 100);
    Write(3, 2, "2024/05/02", 2, 100);
    Write(4, 3, "2024/06/01", 2, 10);
    const ledger::Deleted d = ledger::Delete_Entries(2, 3);
    ASSERT_TRUE(d.ok) << d.error.toStdString();
    EXPECT_EQ(d.rowsDeleted, 2);
    EXPECT_EQ(Zan(4), 990);
    EXPECT_EQ(Zan(1), 1000);
    // F8 finds nothing left to do.
    EXPECT_EQ(ledger::Recalc_Zan(1).rowsChanged, 0);
}

TEST_F(PagesTest, KindChangesAndDeletedCategoriesMoveTheBalancesOfTheirRows) {
    Write(1, 1, "2024/04/01", 1, 1000);
    Write(2, 2, "2024/05/01", 3, 100);
    Write(3, 3, "2024/06/01", 1, 10);
    ASSERT_TRUE(ledger::Update_Master(ledger::Master::Category, 3, QStringLiteral("雑費"), 0));  // now income
    EXPECT_EQ(Zan(3), 1110);
    // A deleted income category leaves its rows as expenses.
    ASSERT_TRUE(ledger::Delete_Master(ledger::Master::Category, 1));
    EXPECT_EQ(Zan(1), -1000);
    EXPECT_EQ(Zan(3), -910);
    // Its code registered again as income makes them income again.
    ASSERT_TRUE(ledger::Insert_Master(ledger::Master::Category, 1, QStringLiteral("給料"), 0));
    EXPECT_EQ(Wrong_Purse_Balances(), QList<qint64>{});
    EXPECT_EQ(Zan(3), 1110);
}

// Many random writes and deletes: after every one, each stored balance is the one a full
// recomputation gives.
TEST_F(PagesTest, RandomChangesKeepEveryBalanceRight) {
    std::mt19937 rng(7);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    qint64 next = 1;
    for (int step = 0; step < 300; ++step) {
        const int what = pick(0, 9);
        const qint64 highest = Value("SELECT COALESCE(MAX(CD),0) FROM S01").toLongLong();
        if (what < 6 || highest == 0) {
            const qint64 cd = (what < 3 || highest == 0) ? next++ : pick(1, int(highest));
            const QString date = QStringLiteral("2024/%1/%2").arg(pick(1, 12), 2, 10, QLatin1Char('0')).arg(pick(1, 28), 2, 10, QLatin1Char('0'));
            const ledger::Written w = ledger::Write_Entry({cd, pick(1, 6), date, pick(1, 3), pick(1, 5000), QString()});
            ASSERT_TRUE(w.ok) << w.error.toStdString();
        } else {
            const qint64 from = pick(1, int(highest));
            const ledger::Deleted d =
                ledger::Delete_Entries(from, what == 9 ? std::optional<qint64>(from + pick(0, 4)) : std::nullopt);
            ASSERT_TRUE(d.ok) << d.error.toStdString();
        }
        ASSERT_EQ(Wrong_Purse_Balances(), QList<qint64>{}) << "after step " << step;
    }
}

}  // namespace
