#include "core/ledger/Totals.h"
#include "support/TestEnv.h"

using ledger::Period;

namespace {

class TotalsTest : public AppTest {
  protected:
    void bankBook() {
        start(app::Program::Bank);
        sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'本店',0),(2,'支店',0)");
        sql("INSERT INTO T02 (CD,NM,KIND) VALUES (1,'給与',0),(2,'食費',1),(3,'雑費',1),(7,'謎',5)");
    }
};

TEST_F(TotalsTest, OneBanksMonthByItemWithCountsAveragesAndGrandTotal) {
    bankBook();
    addBankEntry(1, "2024/05/01", 1, 2, 1000);
    addBankEntry(2, "2024/05/10", 1, 2, 1000);
    addBankEntry(3, "2024/05/31", 1, 2, 1000);
    addBankEntry(4, "2024/05/25", 1, 1, 5000);
    // Not this bank, not this month (nor a date without its zero), no item, an item the master lacks:
    // none of them counts.
    addBankEntry(5, "2024/05/02", 2, 2, 700);
    addBankEntry(6, "2024/06/01", 1, 2, 900);
    addBankEntry(7, "2024/04/30", 1, 2, 900);
    addBankEntry(8, "2024/05/03", 1, QVariant(), 800);
    addBankEntry(9, "2024/05/04", 1, 99, 800);
    addBankEntry(10, "2024/5/04", 1, 1, 800);

    const ledger::TotalsTable t = ledger::periodTotals(app::Program::Bank, 1, Period{0, 2024, 5});
    ASSERT_EQ(t.lines.size(), 2);
    EXPECT_EQ(t.lines[0].code, 1);
    EXPECT_EQ(t.lines[0].name, QStringLiteral("給与"));
    EXPECT_EQ(t.lines[0].kindName, QStringLiteral("収入"));
    EXPECT_EQ(t.lines[0].amount, 5000);
    EXPECT_EQ(t.lines[1].code, 2);
    EXPECT_EQ(t.lines[1].kindName, QStringLiteral("支出"));
    EXPECT_EQ(t.lines[1].count, 3);
    EXPECT_EQ(t.lines[1].amount, -3000);
    EXPECT_EQ(t.lines[1].average, -1000);
    EXPECT_EQ(t.grandTotal, 2000);

    const ledger::TotalsTable year = ledger::periodTotals(app::Program::Bank, 1, Period{1, 2024, 5});
    ASSERT_EQ(year.lines.size(), 2);
    EXPECT_EQ(year.lines[1].count, 5);
    EXPECT_EQ(year.lines[1].amount, -4800);
    EXPECT_TRUE(ledger::periodTotals(app::Program::Bank, 1, Period{0, 2023, 5}).lines.isEmpty());
}

TEST_F(TotalsTest, ZeroSumsAreLeftOutAndAveragesTruncateTowardZero) {
    const auto t = ledger::makeTotals({
        {3, "雑費", 1, 3, 1000},       // -1000 / 3
        {1, "給与", 0, 2, 0},          // entries that sum to 0
        {2, "食費", 1, 2, 5},          // -5 / 2
        {7, "謎", 5, 1, 100},          // an odd kind is shown as its number and counts as expense
        {8, "空", QVariant(), 1, 50},  // and so does a missing kind
    });
    ASSERT_EQ(t.lines.size(), 4);
    EXPECT_EQ(t.lines[0].code, 2);
    EXPECT_EQ(t.lines[0].average, -2);
    EXPECT_EQ(t.lines[1].average, -333);
    EXPECT_EQ(t.lines[2].kindName, QStringLiteral("5"));
    EXPECT_EQ(t.lines[3].kindName, QString());
    EXPECT_EQ(t.lines[2].amount, -100);
    EXPECT_EQ(t.lines[3].amount, -50);
    EXPECT_EQ(t.grandTotal, -5 - 1000 - 100 - 50);
}

TEST_F(TotalsTest, AmountsThatAreNotNumbersCountButAddNothingAndSumsPassThirtyTwoBits) {
    bankBook();
    addBankEntry(1, "2024/05/01", 1, 1, 2000000000);
    addBankEntry(2, "2024/05/02", 1, 1, 2000000000);
    addBankEntry(3, "2024/05/03", 1, 1, QStringLiteral("abc"));
    addBankEntry(4, "2024/05/04", 1, 1, QVariant());
    addBankEntry(5, "2024/05/05", 1, 3, 10.4);
    const auto t = ledger::periodTotals(app::Program::Bank, 1, Period{0, 2024, 5});
    ASSERT_EQ(t.lines.size(), 2);
    EXPECT_EQ(t.lines[0].count, 4);
    EXPECT_EQ(t.lines[0].amount, Q_INT64_C(4000000000));
    EXPECT_EQ(t.lines[0].average, Q_INT64_C(1000000000));
    EXPECT_EQ(t.lines[1].amount, -10);
    EXPECT_EQ(t.grandTotal, Q_INT64_C(3999999990));
}

TEST_F(TotalsTest, HouseholdBookTotalsAllPagesByCategory) {
    start(app::Program::Purse);
    sql("INSERT INTO T01 (CD,NM,KIND) VALUES (1,'小遣い',0),(2,'食費',1)");
    sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN) VALUES "
        "(1,1,'2024/01/05',2,300,0),(2,2,'2024/02/05',2,500,0),(3,3,'2024/03/05',1,10000,0),"
        "(4,3,'2023/12/31',2,999,0),(5,3,'2024/03/06',5,999,0)");
    const auto t = ledger::periodTotals(app::Program::Purse, 0, Period{1, 2024, 1});
    ASSERT_EQ(t.lines.size(), 2);
    EXPECT_EQ(t.lines[0].name, QStringLiteral("小遣い"));
    EXPECT_EQ(t.lines[1].name, QStringLiteral("食費"));
    EXPECT_EQ(t.lines[1].count, 2);
    EXPECT_EQ(t.lines[1].amount, -800);
    EXPECT_EQ(t.grandTotal, 9200);
    EXPECT_EQ(ledger::periodTotals(app::Program::Purse, 0, Period{0, 2024, 2}).grandTotal, -500);
}

}  // namespace
