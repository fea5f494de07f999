// Pages and running balances of the household book, on a real temporary database.

#include <QStringList>

#include "TestEnv.h"
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
};

TEST_F(PagesTest, NewRowCarriesTheBalanceOfTheRowAboveOrOfThePageBefore) {
    EXPECT_EQ(ledger::Compute_Zan(1, 500, 0), 500);
    Row(1, 1, "2024/04/02", 1, 500, 500);
    Row(2, 1, "2024/04/01", 2, 100, 400);  // earlier date, but the page's last row is CD 1
    EXPECT_EQ(ledger::Previous_Balance(2), 500);
    EXPECT_EQ(ledger::Compute_Zan(2, 200, 1), 300);
    EXPECT_EQ(ledger::Compute_Zan(1, 50, 2), 450);  // every kind but 0 is an expense
    // Page 3 follows an empty page 2: it starts from 0.
    EXPECT_EQ(ledger::Compute_Zan(3, 70, 1), -70);
    EXPECT_EQ(ledger::Previous_Balance(1), 0);
}

TEST_F(PagesTest, RecalculationChainsThroughPagesAndAnEmptyPageBreaksTheChain) {
    Row(3, 1, "2024/04/05", 2, 300);
    Row(1, 1, "2024/04/01", 1, 1000);
    Row(2, 1, "2024/04/05", 2, 100);  // same day as CD 3: CD order decides
    Row(4, 2, "2024/05/01", 2, 50);
    Row(5, 4, "2024/07/01", 2, 20);  // page 3 holds no row
    Row(6, 4, "2024/07/02", 1, 5);

    const ledger::Recalc r = ledger::Recalc_Zan(1);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(Zan(1), 1000);
    EXPECT_EQ(Zan(2), 900);
    EXPECT_EQ(Zan(3), 600);
    EXPECT_EQ(Zan(4), 550);
    EXPECT_EQ(Zan(5), -20);
    EXPECT_EQ(Zan(6), -15);
    EXPECT_EQ(r.rowsChanged, 6);
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
    // A first page without rows: the page after it starts from 0.
    Sql("DELETE FROM S01 WHERE CD=2");
    ASSERT_TRUE(ledger::Recalc_Zan(2).ok);
    EXPECT_EQ(Zan(3), -10);
}

TEST_F(PagesTest, MissingCategoryStoresNothingAndNamesTheRecords) {
    Row(1, 1, "2024/04/01", 1, 1000);
    Row(2, 1, "2024/04/02", 9, 100);
    Row(3, 2, "2024/05/01", 2, 10);
    Row(4, 2, "2024/05/02", 8, 10);
    const ledger::Recalc r = ledger::Recalc_Zan(1);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.missingCategoryRecords, (QList<qint64>{2, 4}));
    for (qint64 cd : {1, 2, 3, 4}) EXPECT_EQ(Zan(cd), -999) << cd;

    // The page still lists the row, without a name.
    const ledger::PageRead page = ledger::Read_Page(1);
    ASSERT_TRUE(page.ok);
    ASSERT_EQ(page.rows.size(), 2);
    EXPECT_FALSE(page.rows[1].categoryKnown);
    EXPECT_TRUE(page.rows[1].categoryName.isEmpty());
    EXPECT_EQ(page.rows[1].kingaku, 100);
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

TEST_F(PagesTest, InsertUpdateAndDelete) {
    Row(1, 1, "2024/04/01", 1, 1000, 1000);
    ledger::Entry e{2, 2, "2024/05/03", 2, 300, "it's"};
    ledger::Written w = ledger::Insert_Entry(e);
    ASSERT_TRUE(w.ok) << w.error.toStdString();
    EXPECT_EQ(Zan(2), 700);
    EXPECT_EQ(Value("SELECT BIKO FROM S01 WHERE CD=2").toString(), "it's");

    e = {3, 2, "2024/05/04", 9, 300, ""};
    EXPECT_FALSE(ledger::Insert_Entry(e).ok);  // no such category
    EXPECT_FALSE(ledger::Entry_Exists(3));

    // An update moves the row to the given page and leaves its balance for the next recalculation.
    e = {1, 2, "2024/05/01", 1, 2000, "x"};
    ASSERT_TRUE(ledger::Update_Entry(e).ok);
    EXPECT_EQ(Value("SELECT P_CD FROM S01 WHERE CD=1").toLongLong(), 2);
    EXPECT_EQ(Zan(1), 1000);

    // Deleting a row of page 2 while page 3 is shown recomputes from page 2.
    Row(4, 3, "2024/06/01", 2, 100);
    const ledger::Deleted d = ledger::Delete_Entries(2, std::nullopt, 3);
    ASSERT_TRUE(d.ok) << d.error.toStdString();
    EXPECT_EQ(d.recalcFrom, 2);
    EXPECT_EQ(Zan(1), 2000);
    EXPECT_EQ(Zan(4), 1900);
}

TEST_F(PagesTest, DeleteIsUndoneWhenItsRecalculationFails) {
    Row(1, 1, "2024/04/01", 1, 1000, 1000);
    Row(2, 1, "2024/04/02", 2, 100, 900);
    Row(3, 2, "2024/05/01", 9, 100, 800);
    ledger::Deleted d = ledger::Delete_Entries(1, 2, 1);
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(d.recalc.missingCategoryRecords, (QList<qint64>{3}));
    EXPECT_EQ(Value("SELECT COUNT(*) FROM S01").toLongLong(), 3);
    // Deleting the row without a category itself succeeds.
    d = ledger::Delete_Entries(3, std::nullopt, 1);
    EXPECT_TRUE(d.ok) << d.error.toStdString();
    EXPECT_EQ(Value("SELECT COUNT(*) FROM S01").toLongLong(), 2);
}

}  // namespace
