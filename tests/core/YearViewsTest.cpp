// The year table as the windows show it: over every bank a transfer is a line of its own, not
// income and expense; with budgets each line has its year's 予算 and 差額.

#include "core/ledger/Budget.h"
#include "core/ledger/Groups.h"
#include "core/ledger/Transfer.h"
#include "core/ledger/YearViews.h"
#include "support/TestEnv.h"

namespace {

using ledger::YearLine;

class YearViewsTest : public AppTest {
  protected:
    ledger::YearTable year(app::Program p, std::optional<qint64> bank, bool budgets, int startMonth = 1) {
        ledger::YearQuery q;
        q.program = p;
        q.span = {2024, startMonth};
        q.bank = bank;
        q.today = QDate(2030, 1, 1);
        return ledger::readYearView(book(), q, budgets);
    }
    static const YearLine* line(const ledger::YearTable& t, const QString& name) {
        for (const YearLine& l : t.lines)
            if (l.name == name) return &l;
        return nullptr;
    }
    static QString budgetAndDiff(const ledger::YearTable& t, const QString& name) {
        const YearLine* l = line(t, name);
        if (!l || l->extra.size() != 2) return QStringLiteral("none");
        return QStringLiteral("%1/%2").arg(l->extra[0].value_or(-1)).arg(l->extra[1].value_or(-1));
    }
};

TEST_F(YearViewsTest, AcrossBanksATransferIsItsOwnLineAndNeitherIncomeNorExpense) {
    startBank("(1,'A銀行',0),(2,'B銀行',0)", "(1,'給与',0),(2,'食費',1)");
    addBankEntry(1, "2024/05/01", 1, 1, 100000);
    addBankEntry(2, "2024/05/02", 1, 2, 4000);
    ASSERT_TRUE(ledger::registerTransferItems(book()).ok);
    ASSERT_TRUE(ledger::writeTransfer(book(), {"2024/05/10", 1, 2, 30000, {}}).ok);
    ASSERT_TRUE(ledger::writeTransfer(book(), {"2024/07/10", 2, 1, 500, {}}).ok);

    const ledger::YearTable all = year(app::Program::Bank, std::nullopt, false);
    ASSERT_TRUE(all.ok);
    EXPECT_EQ(all.extraLines, 1);
    EXPECT_EQ(line(all, "収入計")->total, 100000);
    EXPECT_EQ(line(all, "支出計")->total, -4000);
    EXPECT_FALSE(line(all, "振替出金"));
    const YearLine* moved = line(all, "振替");
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved, &all.lines.last());
    EXPECT_EQ(moved->months[4], 30000);
    EXPECT_EQ(moved->months[6], 500);
    EXPECT_EQ(moved->total, 30500);
    // One bank's year shows the transfer as its items, as that bank's totals do.
    const ledger::YearTable a = year(app::Program::Bank, 1, false);
    EXPECT_EQ(a.extraLines, 0);
    ASSERT_TRUE(line(a, "振替出金"));
    EXPECT_EQ(line(a, "振替出金")->total, -30000);
}

TEST_F(YearViewsTest, BudgetsGiveEachLineItsYearAndADifferencePositiveWhenItWentWell) {
    startPurse("(1,'給与',0),(2,'食費',1),(3,'保険',1),(4,'雑費',1)");
    using Row = std::tuple<qint64, const char*, qint64>;
    for (const auto& [code, ym, amount] : {Row{1, "", 300000}, Row{2, "", 40000}, Row{2, "2024/12", 50000},
                                           Row{3, "2024", 120000}, Row{2, "2025/01", 1000}})
        ASSERT_TRUE(ledger::writeBudget(book(), code, ym, amount).ok);
    sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN) VALUES "
        "(1,1,'2024/01/25',1,3700000,0),(2,1,'2024/05/01',2,500000,0),(3,1,'2024/06/01',3,100000,0),"
        "(4,1,'2024/06/02',4,700,0)");
    const ledger::YearTable t = year(app::Program::Purse, std::nullopt, true);
    ASSERT_TRUE(t.ok);
    EXPECT_EQ(t.extraHeaders, (QStringList{"予算", "差額"}));
    EXPECT_EQ(budgetAndDiff(t, "給与"), "3600000/100000");
    EXPECT_EQ(budgetAndDiff(t, "食費"), "-490000/-10000") << "11 × 40,000 and December's 50,000";
    EXPECT_EQ(budgetAndDiff(t, "保険"), "-120000/20000") << "the yearly row";
    EXPECT_EQ(budgetAndDiff(t, "雑費"), "0/-700") << "spending without a budget";
    EXPECT_EQ(budgetAndDiff(t, "支出計"), "-610000/9300");
    EXPECT_EQ(budgetAndDiff(t, "収支"), "2990000/109300");
    // Without the toggle the table is as before.
    EXPECT_TRUE(year(app::Program::Purse, std::nullopt, false).extraHeaders.isEmpty());
    // From April: April to December of this year's plan, January to March of the next year's.
    EXPECT_EQ(budgetAndDiff(year(app::Program::Purse, std::nullopt, true, 4), "食費"), "-451000/-49000")
        << "8 × 40,000, December's 50,000, January's own 1,000 and 2 × 40,000";
}

// 住居 and 保険 in 固定費 (its own 1,200,000 a year), 食費 in 変動費 (no budget of its own), ペット in
// no group: the expense 予算 adds the group lines, never 固定費's own beside 住居's.
TEST_F(YearViewsTest, AGroupLinesBudgetIsItsOwnElseItsMembersAndTheTotalCountsItOnce) {
    startPurse("(1,'給与',0),(2,'住居',1),(3,'保険',1),(4,'食費',1),(5,'ペット',1)");
    ASSERT_TRUE(ledger::registerStandardGroups(book(), app::Program::Purse));
    const auto fixed = ledger::groupNamed(*ledger::readGroups(book()), "固定費");
    ASSERT_TRUE(fixed);
    ASSERT_TRUE(ledger::writeGroupBudget(book(), *fixed, "2024", 1200000).ok);
    ASSERT_TRUE(ledger::writeBudget(book(), 2, "", 80000).ok);
    ASSERT_TRUE(ledger::writeBudget(book(), 4, "", 30000).ok);
    ASSERT_TRUE(ledger::writeBudget(book(), 5, "", 1000).ok);
    sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN) VALUES "
        "(1,1,'2024/01/25',2,960000,0),(2,1,'2024/05/01',3,100000,0),(3,1,'2024/06/01',4,300000,0),"
        "(4,1,'2024/06/02',5,12000,0)");
    const ledger::YearTable t = year(app::Program::Purse, std::nullopt, true);
    ASSERT_TRUE(t.ok);
    EXPECT_EQ(budgetAndDiff(t, "住居"), "-960000/0");
    EXPECT_EQ(budgetAndDiff(t, "固定費小計"), "-1200000/140000") << "its own, not 住居's 960,000";
    EXPECT_EQ(budgetAndDiff(t, "変動費小計"), "-360000/60000") << "食費's twelve months";
    EXPECT_EQ(budgetAndDiff(t, "特別費小計"), "0/0");
    EXPECT_EQ(budgetAndDiff(t, "未分類小計"), "-12000/0");
    EXPECT_EQ(budgetAndDiff(t, "支出計"), "-1572000/200000");
    EXPECT_EQ(budgetAndDiff(t, "収支"), "-1572000/200000");
}

}  // namespace
