#include "core/ledger/Totals.h"
#include "support/TestEnv.h"

using ledger::Period;

namespace {

// Each line as "code name kind count amount average", then the grand total.
QStringList texts(const ledger::TotalsTable& t) {
    QStringList out;
    for (const ledger::TotalsLine& l : t.lines)
        out << QStringLiteral("%1 %2 %3 ").arg(l.code).arg(l.name, l.kindName) +
                   QStringLiteral("%1 %2 %3").arg(l.count).arg(l.amount).arg(l.average);
    return out << QString::number(t.grandTotal);
}

class TotalsTest : public AppTest {
  protected:
    void bankBook() { startBank("(1,'本店',0),(2,'支店',0)", "(1,'給与',0),(2,'食費',1),(3,'雑費',1),(7,'謎',5)"); }
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

    EXPECT_EQ(texts(ledger::periodTotals(book(), app::Program::Bank, 1, Period{0, 2024, 5})),
              (QStringList{"1 給与 収入 1 5000 5000", "2 食費 支出 3 -3000 -1000", "2000"}));
    EXPECT_EQ(texts(ledger::periodTotals(book(), app::Program::Bank, 1, Period{1, 2024, 5})).value(1),
              QStringLiteral("2 食費 支出 5 -4800 -960"));
    EXPECT_TRUE(ledger::periodTotals(book(), app::Program::Bank, 1, Period{0, 2023, 5}).lines.isEmpty());
}

TEST_F(TotalsTest, ZeroSumsAreLeftOutAndAveragesTruncateTowardZero) {
    const auto t = ledger::makeTotals({
        {3, "雑費", 1, 3, 1000},       // -1000 / 3
        {1, "給与", 0, 2, 0},          // entries that sum to 0
        {2, "食費", 1, 2, 5},          // -5 / 2
        {7, "謎", 5, 1, 100},          // an odd kind is shown as its number and counts as expense
        {8, "空", QVariant(), 1, 50},  // and so does a missing kind
    });
    EXPECT_EQ(texts(t), (QStringList{"2 食費 支出 2 -5 -2", "3 雑費 支出 3 -1000 -333", "7 謎 5 1 -100 -100",
                                     "8 空  1 -50 -50", QString::number(-5 - 1000 - 100 - 50)}));
}

TEST_F(TotalsTest, AmountsThatAreNotNumbersCountButAddNothingAndSumsPassThirtyTwoBits) {
    bankBook();
    addBankEntry(1, "2024/05/01", 1, 1, 2000000000);
    addBankEntry(2, "2024/05/02", 1, 1, 2000000000);
    addBankEntry(3, "2024/05/03", 1, 1, QStringLiteral("abc"));
    addBankEntry(4, "2024/05/04", 1, 1, QVariant());
    addBankEntry(5, "2024/05/05", 1, 3, 10.4);
    EXPECT_EQ(texts(ledger::periodTotals(book(), app::Program::Bank, 1, Period{0, 2024, 5})),
              (QStringList{"1 給与 収入 4 4000000000 1000000000", "3 雑費 支出 1 -10 -10", "3999999990"}));
}

TEST_F(TotalsTest, HouseholdBookTotalsAllPagesByCategory) {
    startPurse("(1,'小遣い',0),(2,'食費',1)");
    sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN) VALUES "
        "(1,1,'2024/01/05',2,300,0),(2,2,'2024/02/05',2,500,0),(3,3,'2024/03/05',1,10000,0),"
        "(4,3,'2023/12/31',2,999,0),(5,3,'2024/03/06',5,999,0)");
    EXPECT_EQ(texts(ledger::periodTotals(book(), app::Program::Purse, 0, Period{1, 2024, 1})),
              (QStringList{"1 小遣い 収入 1 10000 10000", "2 食費 支出 2 -800 -400", "9200"}));
    EXPECT_EQ(ledger::periodTotals(book(), app::Program::Purse, 0, Period{0, 2024, 2}).grandTotal, -500);
}

}  // namespace
