#include <QDir>
#include <QFile>

#include "core/care/Check.h"
#include "core/io/Export.h"
#include "core/ledger/Budget.h"
#include "core/ledger/Groups.h"
#include "core/models/BudgetModels.h"
#include "support/TestEnv.h"
#include "tools/KakeiboBudget.h"

using ledger::BudgetLine;
using ledger::Period;

namespace {

class BudgetTest : public AppTest {
  protected:
    void purseBook() {
        start(app::Program::Purse);
        sql("INSERT INTO T01 (CD,NM,KIND) VALUES (1,'給与',0),(2,'食費',1),(3,'保険',1),(4,'雑費',2)");
    }
    // The purse book several cases start from: category 2 has 40,000 a month, 50,000 in December 2024.
    void decemberBudgets() {
        purseBook();
        set(2, "", 40000);
        set(2, "2024/12", 50000);
    }
    void entry(qint64 cd, const QString& date, qint64 code, qint64 amount) {
        sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN) VALUES (?,1,?,?,?,0)", {cd, date, code, amount});
    }
    void set(qint64 code, const QString& ym, std::optional<qint64> amount) {
        const ledger::BudgetWrite w = ledger::writeBudget(book(), code, ym, amount);
        ASSERT_TRUE(w.ok) << w.error.toStdString();
    }
    const BudgetLine* line(const ledger::BudgetReport& r, const QString& name, int from = 0) {
        for (int i = from; i < r.lines.size(); ++i)
            if (r.lines[i].name == name) return &r.lines[i];
        return nullptr;
    }
    ledger::BudgetReport report(int mode, int year, int month, QDate today = QDate(2030, 1, 1)) {
        return ledger::budgetReport(book(), app::Program::Purse, Period{mode, year, month}, today);
    }
};

TEST_F(BudgetTest, AMonthIsItsOwnRowElseTheDefaultAndAYearTheSumOfItsMonths) {
    decemberBudgets();
    set(2, "2023/05", 1);  // another year's month changes nothing in 2024
    const auto plan = ledger::readBudgetPlan(book(), app::Program::Purse, 2024);
    ASSERT_TRUE(plan);
    const ledger::BudgetPlanRow& food = (*plan)[1];
    EXPECT_EQ(food.month(11), 40000);
    EXPECT_EQ(food.month(12), 50000);
    EXPECT_EQ(food.year(), 11 * 40000 + 50000);
    EXPECT_FALSE((*plan)[0].year().has_value()) << "no budget at all is no budget, not 0";
}

// The December case: 52,000 spent against 50,000 for December, 40,000 by default.
TEST_F(BudgetTest, DecemberOverItsOwnBudgetNovemberAgainstTheDefault) {
    decemberBudgets();
    set(1, "", 300000);
    entry(1, "2024/12/03", 2, 30000);
    entry(2, "2024/12/24", 2, 22000);
    entry(3, "2024/12/25", 1, 310000);
    entry(4, "2024/12/26", 99, 5000);  // a category the master lacks: left out
    entry(5, "2024/11/30", 2, 10000);
    const auto dec = report(0, 2024, 12);
    ASSERT_TRUE(dec.ok);
    const BudgetLine* food = line(dec, "食費");
    ASSERT_TRUE(food);
    EXPECT_EQ(food->budget, 50000);
    EXPECT_EQ(food->actual, 52000);
    EXPECT_EQ(food->diff, -2000);
    EXPECT_EQ(food->rate, 104);
    EXPECT_TRUE(food->over);
    EXPECT_EQ(ledger::budgetCells(*food).mid(3, 5), (QStringList{"50000", "52000", "-2000", "104%", "超過"}));
    // Income first and never marked, its 差額 actual − budget; then the sums and the balance.
    EXPECT_EQ(dec.lines[0].name, QStringLiteral("給与"));
    EXPECT_EQ(dec.lines[0].diff, 10000);
    EXPECT_FALSE(dec.lines[0].over);
    QStringList order;
    for (const BudgetLine& l : dec.lines) order << l.name;
    EXPECT_EQ(order, (QStringList{"給与", "収入計", "食費", "支出計", "収支"}));
    EXPECT_EQ(dec.lines.last().budget, 250000);
    EXPECT_EQ(dec.lines.last().actual, 258000);
    const auto nov = report(0, 2024, 11);
    EXPECT_EQ(line(nov, "食費")->budget, 40000);
    EXPECT_EQ(line(nov, "食費")->rate, 25);
    EXPECT_FALSE(line(nov, "食費")->over);
}

// A bank budget covers its item in every bank; an item of a kind other than 0 is an expense.
TEST_F(BudgetTest, ABankBudgetCoversItsItemInEveryBank) {
    start(app::Program::Bank);
    sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'本店',0),(2,'支店',0)");
    sql("INSERT INTO T02 (CD,NM,KIND) VALUES (1,'給与',0),(2,'電気代',7)");
    ASSERT_TRUE(ledger::writeBudget(book(), 2, "", 8000).ok);
    addBankEntry(1, "2024/07/01", 1, 2, 5000);
    addBankEntry(2, "2024/07/15", 2, 2, 4000);
    addBankEntry(3, "2024/07/20", 2, 1, 200000);  // income without a budget still shows
    const auto r = ledger::budgetReport(book(), app::Program::Bank, Period{0, 2024, 7}, QDate(2030, 1, 1));
    const BudgetLine* power = line(r, "電気代");
    ASSERT_TRUE(power);
    EXPECT_EQ(power->actual, 9000);
    EXPECT_TRUE(power->over);
    ASSERT_TRUE(line(r, "給与"));
    EXPECT_EQ(line(r, "給与")->budget, 0);
    EXPECT_FALSE(line(r, "給与")->over);
}

TEST_F(BudgetTest, AYearlyBudgetCountsWithItsYearAndStandsApartInAMonth) {
    purseBook();
    set(3, "2024", 120000);
    entry(1, "2024/03/01", 3, 60000);
    entry(2, "2024/08/01", 3, 30000);
    entry(3, "2025/01/01", 3, 99999);
    const auto year = report(1, 2024, 1);
    const BudgetLine* ins = line(year, "保険");
    ASSERT_TRUE(ins);
    EXPECT_EQ(ins->budget, 120000);
    EXPECT_EQ(ins->actual, 90000);
    EXPECT_EQ(ins->rate, 75);
    // In May the year so far stands in a block of its own, after the month's own lines.
    const auto may = report(0, 2024, 5);
    int heading = -1;
    for (int i = 0; i < may.lines.size(); ++i)
        if (may.lines[i].type == BudgetLine::Type::Heading) heading = i;
    ASSERT_GE(heading, 0);
    EXPECT_EQ(line(may, "保険"), line(may, "保険", heading));
    EXPECT_EQ(line(may, "保険")->actual, 60000);
    EXPECT_EQ(line(may, "保険")->budget, 120000);
}

// The standard groups over 保険 and 住居 (固定費), 食費 and 雑費 (変動費); December's budgets 住居
// 80,000, 保険 15,000 and 食費 40,000, all spent but 10,000 of 食費.
class BudgetGroupsTest : public BudgetTest {
  protected:
    void SetUp() override {
        purseBook();
        sql("INSERT INTO T01 (CD,NM,KIND) VALUES (5,'住居',1)");
        ASSERT_TRUE(ledger::registerStandardGroups(book(), app::Program::Purse));
        m_fixed = *ledger::groupNamed(*ledger::readGroups(book()), "固定費");
        set(5, "", 80000);
        set(3, "", 15000);
        set(2, "", 40000);
        entry(1, "2024/12/01", 5, 80000);
        entry(2, "2024/12/02", 3, 15000);
        entry(3, "2024/12/03", 2, 30000);
        entry(4, "2024/06/01", 5, 80000);
    }
    void setGroup(const QString& ym, qint64 amount) {
        const ledger::BudgetWrite w = ledger::writeGroupBudget(book(), m_fixed, ym, amount);
        ASSERT_TRUE(w.ok) << w.error.toStdString();
    }
    static QString figures(const BudgetLine* l) {
        return l ? QStringLiteral("%1/%2").arg(l->budget).arg(l->actual) : QStringLiteral("none");
    }
    qint64 m_fixed = 0;
};

TEST_F(BudgetGroupsTest, AGroupsOwnBudgetStandsOnItsLineInsteadOfItsMembersAndCountsOnceInTheSum) {
    const auto before = report(0, 2024, 12);
    QStringList order;
    for (const BudgetLine& l : before.lines) order << l.name;
    EXPECT_EQ(order, (QStringList{"収入計", "保険", "住居", "固定費小計", "食費", "変動費小計", "特別費小計",
                                  "未分類小計", "支出計", "収支"}));
    EXPECT_EQ(figures(line(before, "固定費小計")), "95000/95000") << "its members' budgets without its own";
    EXPECT_EQ(line(before, "固定費小計")->type, BudgetLine::Type::Group);

    setGroup("", 100000);
    const auto dec = report(0, 2024, 12);
    EXPECT_EQ(figures(line(dec, "固定費小計")), "100000/95000");
    EXPECT_EQ(line(dec, "固定費小計")->diff, 5000);
    EXPECT_EQ(figures(line(dec, "変動費小計")), "40000/30000");
    EXPECT_EQ(figures(line(dec, "支出計")), "140000/125000") << "100,000 once, not beside 住居's and 保険's";
    EXPECT_EQ(ledger::budgetCells(*line(dec, "固定費小計")).mid(0, 7),
              (QStringList{"", "固定費小計", "", "100000", "95000", "5000", "95%"}));
    // The year: twelve months of the group's own budget against its members' year.
    EXPECT_EQ(figures(line(report(1, 2024, 1), "固定費小計")), "1200000/175000");
}

TEST_F(BudgetGroupsTest, AGroupsYearlyBudgetStandsApartInAMonthOutsideTheSums) {
    setGroup("2024", 1000000);
    EXPECT_EQ(figures(line(report(1, 2024, 1), "固定費小計")), "1000000/175000");
    const auto dec = report(0, 2024, 12);
    EXPECT_EQ(figures(line(dec, "固定費小計")), "95000/95000") << "the month falls back to its members'";
    EXPECT_EQ(figures(line(dec, "支出計")), "135000/125000");
    int heading = -1;
    for (int i = 0; i < dec.lines.size(); ++i)
        if (dec.lines[i].type == BudgetLine::Type::Heading) heading = i;
    ASSERT_GE(heading, 0);
    EXPECT_EQ(dec.lines[heading].name, QStringLiteral("グループの年額予算（1～12月）"));
    EXPECT_EQ(figures(line(dec, "固定費小計", heading)), "1000000/175000") << "January to December";
    EXPECT_EQ(heading + 2, dec.lines.size()) << "no sum after it";
}

TEST_F(BudgetTest, TheCurrentMonthShowsWhatIsLeftPerDayIncludingToday) {
    purseBook();
    set(2, "", 31000);
    entry(1, "2024/05/02", 2, 11000);
    // 20,000 left over the 15 days from the 17th to the 31st: 1,333 a day, truncated.
    EXPECT_EQ(line(report(0, 2024, 5, QDate(2024, 5, 17)), "食費")->perDay, 1333);
    entry(2, "2024/05/03", 2, 30000);
    EXPECT_EQ(line(report(0, 2024, 5, QDate(2024, 5, 17)), "食費")->perDay, 0);
    EXPECT_FALSE(line(report(0, 2024, 5, QDate(2024, 6, 1)), "食費")->perDay.has_value());
}

TEST_F(BudgetTest, ConsumptionIsAWholePercentWithHalvesToEvenAndNoneWithoutBudget) {
    EXPECT_EQ(ledger::consumption(52000, 50000), 104);
    EXPECT_EQ(ledger::consumption(1, 200), 0);  // 0.5 % to the even 0
    EXPECT_EQ(ledger::consumption(3, 200), 2);  // 1.5 % to the even 2
    EXPECT_EQ(ledger::consumption(1, 3), 33);
    EXPECT_FALSE(ledger::consumption(5, 0).has_value());
    BudgetLine spentWithoutBudget;
    spentWithoutBudget.actual = 5;
    EXPECT_EQ(ledger::budgetCells(spentWithoutBudget)[6], QStringLiteral("—"));
}

TEST_F(BudgetTest, RefusedWritesChangeNothing) {
    purseBook();
    set(2, "", 40000);
    EXPECT_FALSE(ledger::writeBudget(book(), 2, "2024", 1).ok) << "a yearly budget beside month budgets";
    set(3, "2024", 120000);
    EXPECT_FALSE(ledger::writeBudget(book(), 3, "2024/01", 1).ok) << "a month budget beside a yearly one";
    EXPECT_FALSE(ledger::writeBudget(book(), 2, "2024/13", 1).ok);
    EXPECT_FALSE(ledger::writeBudget(book(), 2, "", -1).ok);
    EXPECT_EQ(value("SELECT COUNT(*) FROM B01").toInt(), 2);
    EXPECT_EQ(ledger::parseBudget(QStringLiteral("５０，０００")), 50000);
    EXPECT_EQ(ledger::parseBudget(QStringLiteral("0")), 0);
    for (const char* bad : {"-1", "1.5", "abc", "", "1000000000000"})
        EXPECT_FALSE(ledger::parseBudget(QString::fromUtf8(bad)).has_value()) << bad;
}

TEST_F(BudgetTest, AChangeIsUndoneToTheOldValue) {
    purseBook();
    set(2, "", 40000);
    const ledger::BudgetWrite w = ledger::writeBudget(book(), 2, "", 45000);
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(ledger::undoChange(book(), app::Program::Purse, w.change), ledger::UndoResult::Done);
    EXPECT_EQ(value("SELECT KINGAKU FROM B01 WHERE K_CD=2").toInt(), 40000);
    EXPECT_EQ(ledger::redoChange(book(), app::Program::Purse, w.change), ledger::UndoResult::Done);
    EXPECT_EQ(value("SELECT KINGAKU FROM B01 WHERE K_CD=2").toInt(), 45000);
}

TEST_F(BudgetTest, ADeletedCategorysBudgetsAreListedAndTheCheckNamesOddRows) {
    purseBook();
    set(2, "", 40000);
    sql("DELETE FROM T01 WHERE CD=2");
    const auto plan = ledger::readBudgetPlan(book(), app::Program::Purse, 2024);
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->last().name, QStringLiteral("（削除された科目 2）"));
    sql("INSERT INTO B01 (CD,K_CD,YM,KINGAKU) VALUES (10,3,'2024',1),(11,3,'',1),(12,1,'24/1',5),(13,1,'2025',-5)");
    const ledger::CheckResult c = ledger::checkBook(book(), app::Program::Purse);
    QStringList found;
    for (const ledger::Finding& f : c.findings)
        if (f.table == QLatin1String("B01")) found << f.describe();
    ASSERT_EQ(found.size(), 4) << found.join('\n').toStdString();
    EXPECT_TRUE(found[0].contains("科目マスター")) << found[0].toStdString();
    EXPECT_TRUE(found[1].contains("12")) << "bad YM";
    EXPECT_TRUE(found[2].contains("10, 11")) << "month and yearly rows";
    EXPECT_TRUE(found[3].contains("13")) << "negative";
}

// What the command line prints is the windows' own texts, and an export read into another
// book gives the same figures.
TEST_F(BudgetTest, ListReportAndTheExportRoundTripGiveTheWindowsFigures) {
    decemberBudgets();
    set(3, "2024", 120000);
    entry(1, "2024/12/03", 2, 52000);
    const QStringList list = budgetListLines(book(), app::Program::Purse, 2024);
    ASSERT_EQ(list.size(), 3);
    EXPECT_TRUE(list[1].startsWith(QStringLiteral("2\t食費\t支出\t40000\t40000"))) << list[1].toStdString();
    EXPECT_TRUE(list[1].endsWith(QStringLiteral("\t50000\t490000")));
    const QStringList before = budgetReportLines(book(), app::Program::Purse, Period{0, 2024, 12}, QDate(2030, 1, 1));
    EXPECT_TRUE(before.join('\n').contains(QStringLiteral("2\t食費\t支出\t50000\t52000\t-2000\t104%\t超過")));

    const QString csv = QDir(dir()).filePath("budget.csv");
    ASSERT_TRUE(io::writeTable(budgetTable(book(), app::Program::Purse), csv).ok);
    // Into an empty budget table of the same book (the masters are there): the same figures.
    sql("DELETE FROM B01");
    QString error;
    ASSERT_TRUE(importBudgetTable(book(), csv, std::nullopt, false, &error)) << error.toStdString();
    EXPECT_EQ(budgetReportLines(book(), app::Program::Purse, Period{0, 2024, 12}, QDate(2030, 1, 1)), before);
    EXPECT_EQ(budgetListLines(book(), app::Program::Purse, 2024), list);
    // A second import is refused whole: the table is not empty.
    EXPECT_FALSE(importBudgetTable(book(), csv, std::nullopt, false, &error));
    EXPECT_EQ(value("SELECT COUNT(*) FROM B01").toInt(), 3);
}

TEST_F(BudgetTest, TheCommandRefusesABookNotYetUpgradedAndBadAmounts) {
    purseBook();
    const QString path = book().path();
    book().close();
    EXPECT_EQ(runBudget({path, "set", "食費=１，０００"}), 0);
    EXPECT_EQ(runBudget({path, "set", "食費=-1"}), 2);
    EXPECT_EQ(runBudget({path, "set", "食費=5", "--year", "2024"}), 2) << "month budgets already";
    EXPECT_EQ(runBudget({path, "set", "無い=5"}), 2);
    EXPECT_EQ(runBudget({path, "report", "--month", "2024/12"}), 0);
    QString error;
    ASSERT_TRUE(book().open(path, &error));
    EXPECT_EQ(value("SELECT KINGAKU FROM B01 WHERE K_CD=2 AND YM=''").toInt(), 1000);
    sql("DROP TABLE B01");
    sql("PRAGMA user_version = 1");
    book().close();
    EXPECT_EQ(runBudget({path, "list"}), 2);
    EXPECT_EQ(runBudget({path, "set", "2=5"}), 2);
}

}  // namespace
