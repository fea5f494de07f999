// Pages and running balances of the household book, on a real temporary database.

#include <QStringList>
#include <random>

#include "core/ledger/Masters.h"
#include "core/ledger/Pages.h"
#include "core/settings/Settings.h"
#include "support/TestEnv.h"

namespace {

class PagesTest : public AppTest {
  protected:
    void SetUp() override { startPurse("(1,'給料',0),(2,'食費',1),(3,'雑費',1)"); }
    // A row with a deliberately wrong stored balance, so that a recalculation has to rewrite it.
    void row(qint64 cd, qint64 page, const char* date, qint64 kCd, qint64 amount, qint64 zan = -999) {
        sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN,BIKO) VALUES (?,?,?,?,?,?,'')",
            {cd, page, QString::fromLatin1(date), kCd, amount, zan});
    }
    qint64 zan(qint64 cd) { return value("SELECT ZAN FROM S01 WHERE CD=?", {cd}).toLongLong(); }
    // Every stored balance, in record-number order.
    QString zans() { return value("SELECT group_concat(ZAN, ' ') FROM (SELECT ZAN FROM S01 ORDER BY CD)").toString(); }
    void write(qint64 cd, qint64 page, const char* date, qint64 kCd, qint64 amount) {
        const ledger::Written w =
            ledger::writeEntry(book(), {cd, page, QString::fromLatin1(date), kCd, amount, QString()});
        ASSERT_TRUE(w.ok) << w.error.toStdString();
    }
};

// From a later page, the earlier pages keep their stored balances, even wrong ones, and the
// last of them is where the recomputation starts.
TEST_F(PagesTest, RecalculationChainsThroughPagesAndAcrossEmptyPagesFromWhereItStarts) {
    row(3, 1, "2024/04/05", 2, 300);
    row(1, 1, "2024/04/01", 1, 1000);
    row(2, 1, "2024/04/05", 2, 100);  // same day as CD 3: CD order decides
    row(4, 2, "2024/05/01", 2, 50);
    row(5, 4, "2024/07/01", 2, 20);  // page 3 holds no row
    row(6, 4, "2024/07/02", 1, 5);

    QList<qint64> seen;
    const ledger::Recalc r =
        ledger::Recalc_Zan(book(), 1, [&seen](qint64 done, qint64 total) { seen << done << total; });
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(zans(), "1000 900 600 550 530 535");
    EXPECT_EQ(r.rowsChanged, 6);
    EXPECT_EQ(seen.mid(seen.size() - 2), (QList<qint64>{8, 8})) << "four pages, read and written";
    // A second pass finds nothing to change.
    EXPECT_EQ(ledger::Recalc_Zan(book(), 1).rowsChanged, 0);

    sql("UPDATE S01 SET ZAN=100 WHERE CD=3");  // the last row of page 1: stale, and kept so
    ASSERT_TRUE(ledger::Recalc_Zan(book(), 2).ok);
    EXPECT_EQ(zans(), "1000 900 100 50 30 35");
    // The first page recomputed holds no rows: the balance before it carries.
    sql("DELETE FROM S01 WHERE CD=4");
    ASSERT_TRUE(ledger::Recalc_Zan(book(), 2).ok);
    EXPECT_EQ(zans(), "1000 900 100 80 85");
}

TEST_F(PagesTest, ARowWithAMissingCategoryCountsAsAnExpense) {
    row(1, 1, "2024/04/01", 1, 1000);
    row(2, 1, "2024/04/02", 9, 100);
    row(3, 2, "2024/05/01", 2, 10);
    row(4, 2, "2024/05/02", 8, 10);
    ASSERT_TRUE(ledger::Recalc_Zan(book(), 1).ok);
    EXPECT_TRUE(wrongPurseBalances().isEmpty());
    EXPECT_EQ(zan(4), 880);
    // It never blocks a write elsewhere in the chain.
    write(5, 1, "2024/04/01", 3, 1);
    EXPECT_EQ(zan(4), 879);

    // The page still lists the row, without a name.
    const ledger::PageRead page = ledger::readPage(book(), 1);
    ASSERT_TRUE(page.ok);
    ASSERT_EQ(page.rows.size(), 3);
    EXPECT_FALSE(page.rows[2].categoryKnown);
    EXPECT_TRUE(page.rows[2].categoryName.isEmpty());
    EXPECT_EQ(page.rows[2].kingaku, 100);
}

TEST_F(PagesTest, OpeningPageBeginsANewPageInANewMonthOnly) {
    EXPECT_EQ(ledger::openingPage(book(), 5), 1);  // empty journal
    EXPECT_EQ(settings::getSetting("lastMonth", ""), "5");
    row(1, 1, "2024/05/01", 1, 1000);
    EXPECT_EQ(ledger::openingPage(book(), 5), 1);
    EXPECT_EQ(ledger::openingPage(book(), 6), 2);
    // Nothing was written on page 2 yet: opening again in June stays on the highest page.
    EXPECT_EQ(ledger::openingPage(book(), 6), 1);
}

TEST_F(PagesTest, ABackDatedInsertGetsTheBalanceBeforeItAndShiftsEveryLaterOne) {
    write(1, 1, "2024/04/05", 1, 1000);
    write(2, 1, "2024/04/10", 2, 300);
    write(3, 2, "2024/05/01", 2, 100);
    write(4, 1, "2024/04/01", 1, 500);
    EXPECT_EQ(zans(), "1500 1200 1100 500");
    // The same day as another row: the record number decides.
    write(5, 1, "2024/04/05", 2, 50);
    EXPECT_EQ(zans(), "1500 1150 1050 500 1450");
    EXPECT_TRUE(wrongPurseBalances().isEmpty());
    // A category missing from the master is refused, and nothing is written.
    EXPECT_FALSE(ledger::writeEntry(book(), {6, 1, "2024/04/02", 9, 10, QString()}).ok);
    EXPECT_FALSE(ledger::entryExists(book(), 6));
}

// Each update, then a delete that empties the middle page, which carries the balance on.
TEST_F(PagesTest, UpdatesMovesAndAnEmptiedMiddlePageMoveEveryLaterBalance) {
    write(1, 1, "2024/04/01", 1, 1000);
    write(2, 1, "2024/04/02", 2, 100);
    write(3, 2, "2024/05/01", 2, 10);
    write(4, 3, "2024/06/01", 1, 1);
    struct Step {
        ledger::Entry e;
        qint64 zan3;
    } steps[] = {
        {{2, 1, "2024/04/02", 2, 300, QString()}, 690},    // amount
        {{2, 1, "2024/04/02", 1, 300, QString()}, 1290},   // category: the expense becomes income
        {{1, 1, "2024/04/03", 1, 1000, QString()}, 1290},  // date: after row 2 within the page
        {{1, 3, "2024/06/02", 1, 1000, QString()}, 290},   // to a later page
        {{4, 1, "2024/04/01", 1, 1, QString()}, 291},      // from the last page to the first
    };
    for (const Step& s : steps) {
        const ledger::Written w = ledger::writeEntry(book(), s.e);
        ASSERT_TRUE(w.ok) << w.error.toStdString();
        EXPECT_FALSE(w.inserted);
        EXPECT_EQ(zan(3), s.zan3) << s.e.cd << " " << s.e.kDate.toStdString();
        EXPECT_EQ(wrongPurseBalances(), QList<qint64>{}) << s.e.cd << " " << s.e.kDate.toStdString();
    }
    EXPECT_EQ(value("SELECT P_CD FROM S01 WHERE CD=1").toLongLong(), 3);

    const ledger::Deleted d = ledger::deleteEntries(book(), 3, std::nullopt);  // page 2's only row
    ASSERT_TRUE(d.ok) << d.error.toStdString();
    EXPECT_EQ(d.rowsDeleted, 1);
    EXPECT_EQ(zans(), "1301 301 1");
    EXPECT_EQ(wrongPurseBalances(), QList<qint64>{});
    // F8 finds nothing left to do.
    EXPECT_EQ(ledger::Recalc_Zan(book(), 1).rowsChanged, 0);
}

TEST_F(PagesTest, KindChangesAndDeletedCategoriesMoveTheBalancesOfTheirRows) {
    write(1, 1, "2024/04/01", 1, 1000);
    write(2, 2, "2024/05/01", 3, 100);
    write(3, 3, "2024/06/01", 1, 10);
    ASSERT_TRUE(ledger::Update_Master(book(), ledger::Master::Category, 3, QStringLiteral("雑費"), 0));  // now income
    EXPECT_EQ(zan(3), 1110);
    // A deleted income category leaves its rows as expenses.
    ASSERT_TRUE(ledger::Delete_Master(book(), ledger::Master::Category, 1));
    EXPECT_EQ(zan(1), -1000);
    EXPECT_EQ(zan(3), -910);
    // Its code registered again as income makes them income again.
    ASSERT_TRUE(ledger::Insert_Master(book(), ledger::Master::Category, 1, QStringLiteral("給料"), 0));
    EXPECT_EQ(wrongPurseBalances(), QList<qint64>{});
    EXPECT_EQ(zan(3), 1110);
}

// Many random writes and deletes: after every one, each stored balance is the one a full
// recomputation gives.
TEST_F(PagesTest, RandomChangesKeepEveryBalanceRight) {
    std::mt19937 rng(7);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    qint64 next = 1;
    for (int step = 0; step < 300; ++step) {
        const int what = pick(0, 9);
        const qint64 highest = value("SELECT COALESCE(MAX(CD),0) FROM S01").toLongLong();
        if (what < 6 || highest == 0) {
            const qint64 cd = (what < 3 || highest == 0) ? next++ : pick(1, int(highest));
            const QString date = QStringLiteral("2024/%1/%2")
                                     .arg(pick(1, 12), 2, 10, QLatin1Char('0'))
                                     .arg(pick(1, 28), 2, 10, QLatin1Char('0'));
            const ledger::Written w =
                ledger::writeEntry(book(), {cd, pick(1, 6), date, pick(1, 3), pick(1, 5000), QString()});
            ASSERT_TRUE(w.ok) << w.error.toStdString();
        } else {
            const qint64 from = pick(1, int(highest));
            const ledger::Deleted d = ledger::deleteEntries(
                book(), from, what == 9 ? std::optional<qint64>(from + pick(0, 4)) : std::nullopt);
            ASSERT_TRUE(d.ok) << d.error.toStdString();
        }
        ASSERT_EQ(wrongPurseBalances(), QList<qint64>{}) << "after step " << step;
    }
}

}  // namespace
