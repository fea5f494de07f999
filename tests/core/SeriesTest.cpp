#include "core/ledger/Series.h"
#include "support/TestEnv.h"

using ledger::Period;
using ledger::SeriesData;

namespace {

QStringList labels(const SeriesData& d) {
    QStringList l;
    for (const auto& p : d) l << p.label;
    return l;
}

class SeriesTest : public AppTest {
  protected:
    void bankBook() { startBank("(1,'本店',0),(2,'支店',0)", "(1,'給与',0),(2,'食費',1)"); }
};

// An item's months each sum its entries; the balance runs on through the year. A month without
// entries, or whose balance is back to exactly 0, has no point.
TEST_F(SeriesTest, YearlySeriesHaveTwelveMonthsAndNoPointWhereNothingWasBooked) {
    bankBook();
    addBankEntry(1, "2024/01/05", 1, 2, 1000);
    addBankEntry(2, "2024/01/20", 1, 2, 2000);
    addBankEntry(3, "2024/03/02", 1, 2, 500);
    addBankEntry(4, "2024/02/02", 1, 1, 7000);  // another item
    addBankEntry(5, "2024/02/03", 2, 2, 7000);  // another bank
    addBankEntry(6, "2023/02/03", 1, 2, 7000);  // another year
    addBankEntry(7, "2024/05/10", 1, 2, 3500);  // the balance back to exactly 0
    addBankEntry(8, "2024/06/10", 1, 1, 100);
    const SeriesData d = ledger::readSeries(book(), app::Program::Bank, 1, 2, Period{1, 2024, 5});
    EXPECT_EQ(labels(d), (QStringList{"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8", "/9", "/10", "/11", "/12"}));
    EXPECT_EQ(seriesValues(d), (QList<qint64>{3000, -1, 500, -1, 3500, -1, -1, -1, -1, -1, -1, -1}));
    const SeriesData balance = ledger::readSeries(book(), app::Program::Bank, 1, 0, Period{1, 2024, 1});
    EXPECT_EQ(seriesValues(balance), (QList<qint64>{-3000, 4000, 3500, -1, -1, 100, -1, -1, -1, -1, -1, -1}));
}

TEST_F(SeriesTest, MonthlySeriesHasOnePointPerEntryLabelledByDay) {
    bankBook();
    addBankEntry(1, "2024/05/05", 1, 1, 5000);
    addBankEntry(2, "2024/05/05", 1, 2, 1200);
    addBankEntry(3, "2024/05/20", 1, 2, 300);
    addBankEntry(4, "2024/05/05", 1, 2, 800);
    addBankEntry(5, "2024/06/05", 1, 2, 800);
    const SeriesData balance = ledger::readSeries(book(), app::Program::Bank, 1, 0, Period{0, 2024, 5});
    EXPECT_EQ(labels(balance), (QStringList{"/05", "/05", "/05", "/20"}));
    EXPECT_EQ(seriesValues(balance), (QList<qint64>{5000, 3800, 3000, 2700}));
    EXPECT_EQ(seriesValues(ledger::readSeries(book(), app::Program::Bank, 1, 2, Period{0, 2024, 5})),
              (QList<qint64>{1200, 800, 300}));
    EXPECT_TRUE(ledger::readSeries(book(), app::Program::Bank, 2, 0, Period{0, 2024, 5}).isEmpty());
}

TEST_F(SeriesTest, HouseholdBalanceSkipsEntriesOfUnknownCategories) {
    startPurse("(1,'小遣い',0),(2,'食費',1)");
    sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN) VALUES "
        "(1,1,'2024/05/01',1,10000,0),(2,2,'2024/05/02',9,999,0),(3,2,'2024/05/03',2,400,0),(4,2,'2024/05/"
        "04',2,NULL,0)");
    EXPECT_EQ(seriesValues(ledger::readSeries(book(), app::Program::Purse, 0, 0, Period{0, 2024, 5})),
              (QList<qint64>{10000, 10000, 9600, 9600}));
    EXPECT_EQ(seriesValues(ledger::readSeries(book(), app::Program::Purse, 0, 2, Period{0, 2024, 5})),
              (QList<qint64>{400, -1}))
        << "an amount that is not a number is no point";
}

}  // namespace
