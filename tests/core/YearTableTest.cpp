// The year at a glance against the totals windows on sample books, its span and average, the
// hooks for extra columns and lines, the lines under their groups, and the pie's shares.

#include <QDate>

#include "core/ledger/Groups.h"
#include "core/ledger/Totals.h"
#include "core/ledger/YearTable.h"
#include "support/TestEnv.h"
#include "tools/SampleBook.h"

namespace {

using ledger::YearLineKind;

class YearTableTest : public AppTest {
  protected:
    void Sample(app::Program p) {
        start(p);
        QString error;
        ASSERT_TRUE(sample::fillSample(book(), p, 3000, &error)) << error.toStdString();
        m_program = p;
    }
    ledger::YearTable Read(int year, int startMonth, std::optional<qint64> bank = {}, QDate today = {}) {
        ledger::YearQuery q;
        q.program = m_program;
        q.span = {year, startMonth};
        q.bank = bank;
        q.today = today.isValid() ? today : QDate(9999, 1, 1);
        const ledger::YearTable t = ledger::readYearTable(book(), q);
        EXPECT_TRUE(t.ok);
        return t;
    }
    static const ledger::YearLine* Line(const ledger::YearTable& t, YearLineKind kind, const QString& name = {}) {
        for (const ledger::YearLine& l : t.lines)
            if (l.kind == kind && (name.isEmpty() || l.name == name)) return &l;
        return nullptr;
    }
    // Every figure of a calendar year against the yearly and monthly totals of the same rows.
    void ExpectAgreesWithTotals(int year, qint64 bank) {
        const ledger::YearTable t = Read(year, 1, m_program == app::Program::Bank ? std::optional(bank) : std::nullopt);
        const ledger::TotalsTable yearly = ledger::periodTotals(book(), m_program, bank, {1, year, 1});
        int categories = 0;
        for (const ledger::YearLine& l : t.lines) {
            if (l.kind != YearLineKind::Category) continue;
            ++categories;
            qint64 expected = 0;
            for (const ledger::TotalsLine& y : yearly.lines)
                if (y.code == l.code) expected = y.amount;
            EXPECT_EQ(l.total, expected) << l.name.toStdString();
        }
        EXPECT_GE(categories, int(yearly.lines.size()));
        const ledger::YearLine* income = Line(t, YearLineKind::Subtotal, QStringLiteral("収入計"));
        const ledger::YearLine* expense = Line(t, YearLineKind::Subtotal, QStringLiteral("支出計"));
        const ledger::YearLine* balance = Line(t, YearLineKind::Balance);
        ASSERT_TRUE(income && expense && balance);
        EXPECT_EQ(balance->total, yearly.grandTotal);
        for (int m = 0; m < 12; ++m) {
            const ledger::TotalsTable monthly = ledger::periodTotals(book(), m_program, bank, {0, year, m + 1});
            EXPECT_EQ(balance->months[m], monthly.grandTotal) << "month " << m + 1;
            qint64 in = 0, out = 0;
            for (const ledger::YearLine& l : t.lines)
                if (l.kind == YearLineKind::Category) (l.income ? in : out) += l.months[m];
            EXPECT_EQ(income->months[m], in);
            EXPECT_EQ(expense->months[m], out);
            EXPECT_EQ(balance->months[m], in + out);
        }
    }
    app::Program m_program = app::Program::Purse;
};

const int kFullYear = QDate::currentDate().year() - 2;  // the sample's ten years hold it whole

TEST_F(YearTableTest, HouseholdYearAgreesWithYearlyAndMonthlyTotals) {
    Sample(app::Program::Purse);
    ExpectAgreesWithTotals(kFullYear, 0);
}

TEST_F(YearTableTest, BankYearAgreesWithTotalsOneBankAtATimeAndAllBanksAddUp) {
    Sample(app::Program::Bank);
    const QList<qint64> banks{1, 2, 3};
    std::array<qint64, 12> sum{};
    for (qint64 b : banks) {
        ExpectAgreesWithTotals(kFullYear, b);
        const ledger::YearTable t = Read(kFullYear, 1, b);
        for (int m = 0; m < 12; ++m) sum[m] += Line(t, YearLineKind::Balance)->months[m];
    }
    ASSERT_EQ(value("SELECT COUNT(*) FROM T01").toInt(), banks.size());
    EXPECT_EQ(Line(Read(kFullYear, 1), YearLineKind::Balance)->months, sum);
}

class YearSpanTest : public YearTableTest {
  protected:
    void SetUp() override {
        start(app::Program::Purse);
        sql("INSERT INTO T01 (CD,NM,KIND) VALUES (1,'給与',0),(2,'食費',1),(3,'雑費',1)");
        sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN) VALUES "
            "(1,1,'2026/03/31',2,111,0),(2,1,'2026/04/01',2,1000,0),(3,1,'2027/03/31',2,10,0),"
            "(4,1,'2027/04/01',2,222,0),(5,1,'2026/05/25',1,300000,0),(6,1,'2026/06/01',9,5000,0),"
            "(7,1,'2026/06/02',3,0,0)");
    }
};

TEST_F(YearSpanTest, StartMonthFourRunsFromAprilIntoTheNextCalendarYear) {
    const ledger::YearTable t = Read(2026, 4);
    const QStringList h = ledger::yearHeader(t, app::Program::Purse);
    EXPECT_EQ(h.mid(ledger::kYearFirstMonthColumn, 12).join(','),
              QStringLiteral("4月,5月,6月,7月,8月,9月,10月,11月,12月,1月,2月,3月"));
    EXPECT_EQ(t.span.title(), QStringLiteral("2026年度"));
    const ledger::YearLine* food = Line(t, YearLineKind::Category, QStringLiteral("食費"));
    ASSERT_TRUE(food);
    EXPECT_EQ(food->months[0], -1000);
    EXPECT_EQ(food->months[11], -10);
    EXPECT_EQ(food->total, -1010);  // March 2026 and April 2027 lie outside
    // Category 9 is not in the master, and 雑費 has nothing but a zero: the first is left out,
    // the second shows its zeros.
    int lines = 0;
    for (const ledger::YearLine& l : t.lines) lines += l.kind == YearLineKind::Category;
    EXPECT_EQ(lines, 3);
    EXPECT_EQ(Line(t, YearLineKind::Balance)->total, 300000 - 1010);
    // Income first, then the expense lines between the two subtotals.
    EXPECT_EQ(t.lines[0].name, QStringLiteral("給与"));
    EXPECT_EQ(t.lines[1].name, QStringLiteral("収入計"));
    EXPECT_EQ(t.lines[4].name, QStringLiteral("支出計"));
}

TEST_F(YearSpanTest, AverageDividesByTheMonthsBegunAndIsUnknownBeforeTheYear) {
    const auto food = [&](QDate today) { return Line(Read(2026, 4, {}, today), YearLineKind::Category, "食費"); };
    EXPECT_FALSE(food(QDate(2026, 3, 31))->average.has_value());
    EXPECT_EQ(ledger::yearCells(*food(QDate(2026, 3, 31))).value(ledger::kYearFirstMonthColumn + 13),
              QStringLiteral("—"));
    EXPECT_EQ(food(QDate(2026, 4, 1))->average, -1010);
    EXPECT_EQ(food(QDate(2026, 6, 30))->average, -336);  // -1010 / 3 toward zero
    EXPECT_EQ(food(QDate(2030, 1, 1))->average, -84);    // -1010 / 12
}

TEST_F(YearSpanTest, HooksLeaveRowsOutAndAddColumnsAndLines) {
    ledger::YearQuery q;
    q.program = app::Program::Purse;
    q.span = {2026, 4};
    q.today = QDate(2030, 1, 1);
    q.excludeRowsSql = QStringLiteral("CD IN (2, 5)");
    ledger::YearTable t = ledger::readYearTable(book(), q);
    ASSERT_TRUE(t.ok);
    EXPECT_EQ(Line(t, YearLineKind::Balance)->total, -10);
    ledger::addYearColumn(t, QStringLiteral("予算"), [](const ledger::YearLine& l) {
        return l.kind == YearLineKind::Category ? std::optional<qint64>(-500) : std::nullopt;
    });
    ledger::addYearLine(t, QStringLiteral("振替"), {1000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 299000});
    EXPECT_EQ(ledger::yearHeader(t, app::Program::Purse).last(), QStringLiteral("予算"));
    const ledger::YearLine* transfer = Line(t, YearLineKind::Extra);
    ASSERT_TRUE(transfer);
    EXPECT_EQ(transfer->total, 300000);
    EXPECT_EQ(transfer->average, 25000);
    EXPECT_EQ(t.lines.last().name, QStringLiteral("振替"));
    EXPECT_EQ(Line(t, YearLineKind::Category, "食費")->extra.value(0), -500);
    EXPECT_EQ(ledger::yearCells(*transfer).size(), ledger::yearHeader(t, app::Program::Purse).size());
}

TEST_F(YearSpanTest, PrintoutRepeatsTheHeaderOnEverySheetAndEndsAmountsAtTheirColumn) {
    const ledger::YearTable t = Read(2026, 4);
    print::Rows rows;
    for (int i = 0; i < 40; ++i) rows << ledger::yearCells(t.lines[i % t.lines.size()]);
    print::Recorder out;
    ASSERT_TRUE(ledger::printYearTable(out, "年間収支表", ledger::yearHeader(t, app::Program::Purse), rows));
    ASSERT_EQ(out.pageCount(), 2);
    for (int page : {1, 2}) {
        const auto placed = out.placedOn(page);
        const auto april = std::find_if(placed.begin(), placed.end(), [](const auto& p) { return p.text == "4月"; });
        ASSERT_NE(april, placed.end()) << page;
        // The month's amounts end where its header ends.
        for (const auto& p : placed) {
            if (p.line > april->line && p.text == QStringLiteral("-1000")) {
                EXPECT_DOUBLE_EQ(p.column + out.textWidth(p.text), april->column + out.textWidth("4月"));
            }
        }
    }
    // 36 lines a sheet: lines 0, 6, … 30 on the first, line 36 on the second.
    const auto count = [&](int page) {
        const auto placed = out.placedOn(page);
        return std::count_if(placed.begin(), placed.end(), [](const auto& p) { return p.text == "給与"; });
    };
    EXPECT_EQ(count(1), 6);
    EXPECT_EQ(count(2), 1);
}

// ---- groups ----

QString Shares(const QList<ledger::PieSlice>& slices) {
    QStringList s;
    for (const ledger::PieSlice& p : slices) s << QStringLiteral("%1=%2").arg(p.name).arg(p.percent);
    return s.join(' ');
}

// A household book with the standard groups: 住居 and 保険 are 固定費, 食費 変動費, 医療費 特別費
// (nothing spent), ペット in no group.
class YearGroupsTest : public YearTableTest {
  protected:
    void SetUp() override {
        start(app::Program::Purse);
        sql("INSERT INTO T01 (CD,NM,KIND) VALUES (1,'給与',0),(2,'住居',1),(3,'保険',1),(4,'食費',1),(5,'医療費',1),"
            "(6,'ペット',1)");
        QString error;
        ASSERT_TRUE(ledger::registerStandardGroups(book(), app::Program::Purse, &error)) << error.toStdString();
        sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN) VALUES "
            "(1,1,'2024/01/25',1,300000,0),(2,1,'2024/01/27',2,80000,0),(3,1,'2024/02/27',2,80000,0),"
            "(4,1,'2024/03/01',3,10000,0),(5,1,'2024/01/05',4,30000,0),(6,1,'2024/02/05',6,15000,0)");
    }
    static QStringList Names(const ledger::YearTable& t) {
        QStringList out;
        for (const ledger::YearLine& l : t.lines) out << l.name;
        return out;
    }
};

TEST_F(YearGroupsTest, ExpenseLinesStandUnderTheirGroupsWhoseSubtotalsAddUpToTheExpenseTotal) {
    const ledger::YearTable t = Read(2024, 1);
    // Income has no group: laid out as without groups.
    EXPECT_EQ(Names(t), (QStringList{"給与", "収入計", "住居", "保険", "固定費小計", "食費", "変動費小計", "特別費小計",
                                     "ペット", "未分類小計", "支出計", "収支"}));
    const ledger::YearLine* fixed = Line(t, YearLineKind::Group, "固定費小計");
    ASSERT_TRUE(fixed);
    EXPECT_EQ(fixed->total, -170000);
    EXPECT_EQ(fixed->months[0], -80000);
    EXPECT_EQ(Line(t, YearLineKind::Group, "変動費小計")->total, -30000);
    EXPECT_EQ(Line(t, YearLineKind::Group, "特別費小計")->total, 0) << "shown at zero, so the layout stays";
    EXPECT_EQ(Line(t, YearLineKind::Group, "未分類小計")->total, -15000);
    qint64 groups = 0;
    for (const ledger::YearLine& l : t.lines)
        if (l.kind == YearLineKind::Group) groups += l.total;
    EXPECT_EQ(groups, Line(t, YearLineKind::Subtotal, "支出計")->total);
    EXPECT_EQ(Line(t, YearLineKind::Balance)->total, 300000 - 215000);
    // The group lines have no code in the cells, as the subtotals.
    EXPECT_EQ(ledger::yearCells(*fixed).first(), QString());
}

TEST_F(YearGroupsTest, ACategoryWhoseKindChangedStaysAssignedButShowsUnderUngrouped) {
    ASSERT_TRUE(ledger::saveGroup(book(), app::Program::Purse, {0, "臨時収入", 0, {}, {}}).ok);
    sql("UPDATE T01 SET KIND = 0 WHERE CD = 3");  // 保険 is now an income
    const ledger::YearTable t = Read(2024, 1);
    EXPECT_EQ(value("SELECT COUNT(*) FROM G02 WHERE K_CD = 3").toInt(), 1);
    EXPECT_EQ(Names(t).mid(0, 5), (QStringList{"臨時収入小計", "給与", "保険", "未分類小計", "収入計"}));
    EXPECT_EQ(Line(t, YearLineKind::Group, "固定費小計")->total, -160000);
    EXPECT_EQ(t.lines[3].total, 310000) << "給与 and 保険, each counted once";
    EXPECT_EQ(Line(t, YearLineKind::Subtotal, "収入計")->total, 310000);
}

TEST_F(YearGroupsTest, ThePieByGroupHasTheGroupsAndUngroupedAndOneSliceForAKindWithoutGroups) {
    const ledger::YearTable t = Read(2024, 1);
    // 170,000, 30,000 and 15,000 of 215,000; 特別費 spent nothing and has no slice.
    EXPECT_EQ(Shares(ledger::pieOfYear(t, false, -1, true)), QStringLiteral("固定費=79 変動費=14 未分類=7"));
    EXPECT_EQ(Shares(ledger::pieOfYear(t, false, 0, true)), QStringLiteral("固定費=73 変動費=27"));
    EXPECT_EQ(Shares(ledger::pieOfYear(t, true, -1, true)), QStringLiteral("未分類=100"));
    EXPECT_EQ(ledger::pieOfYear(t, false, -1).size(), 4) << "by category by default";
}

// ---- the pie ----

TEST(PieTest, LargestRemaindersMakeExactlyOneHundred) {
    EXPECT_EQ(Shares(ledger::makePie({{1, "a", 1}, {2, "b", 1}, {3, "c", 1}})), QStringLiteral("a=34 b=33 c=33"));
    // 41.4, 33.3, 25.3: the floors make 99 and the largest remainder (0.4) takes the point.
    EXPECT_EQ(Shares(ledger::makePie({{1, "a", 414}, {2, "b", 333}, {3, "c", 253}})), QStringLiteral("a=42 b=33 c=25"));
}

TEST(PieTest, SlicesUnderThreePercentAreGatheredAndEmptyOnesLeftOut) {
    const auto pie = ledger::makePie(
        {{1, "small", 29}, {2, "big", 941}, {3, "three", 30}, {4, "none", 0}, {5, "refund", -50}, {6, "tiny", 0}});
    // 29 of 1000 is under 3 %; 30 of 1000 is exactly 3 % and stays.
    EXPECT_EQ(Shares(pie), QStringLiteral("big=94 three=3 その他（3%未満）=3"));
    EXPECT_EQ(pie.last().amount, 29);
    EXPECT_TRUE(ledger::makePie({{1, "x", 0}}).isEmpty());
}

TEST_F(YearTableTest, PieOfAMonthListsEverySpendingCategoryAndAddsUpToOneHundred) {
    Sample(app::Program::Purse);
    const ledger::YearTable t = Read(kFullYear, 1);
    const auto pie = ledger::pieOfYear(t, false, 4);
    int percent = 0;
    qint64 amount = 0, spent = 0, small = 0;
    for (const ledger::PieSlice& s : pie) {
        percent += s.percent;
        amount += s.amount;
    }
    for (const ledger::YearLine& l : t.lines)
        if (l.kind == YearLineKind::Category && !l.income && l.months[4] < 0) spent -= l.months[4];
    for (const ledger::YearLine& l : t.lines) {
        if (l.kind != YearLineKind::Category || l.income || l.months[4] >= 0) continue;
        const bool own = std::any_of(pie.begin(), pie.end(), [&](const auto& s) { return s.code == l.code; });
        // A category with spending has a slice of its own unless it is under 3 %.
        EXPECT_EQ(own, -100 * l.months[4] >= 3 * spent) << l.name.toStdString();
        if (!own) small -= l.months[4];
    }
    EXPECT_EQ(percent, 100);
    EXPECT_EQ(amount, spent);
    EXPECT_EQ(small > 0, pie.last().name == ledger::kPieOthers);
}

}  // namespace
