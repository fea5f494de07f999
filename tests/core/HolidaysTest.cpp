#include <gtest/gtest.h>

#include <QStringList>

#include "core/ledger/Holidays.h"

namespace {

QDate d(const char* text) { return QDate::fromString(QString::fromLatin1(text), QStringLiteral("yyyy/MM/dd")); }

// The published calendar of 2019-2026 (内閣府「国民の祝日について」), every day off with its
// name, 振替休日 and 国民の休日 included.
struct YearCalendar {
    int year;
    QStringList days;  // "yyyy/mm/dd name"
};

const YearCalendar kPublished[] = {
    {2019,
     {"2019/01/01 元日",
      "2019/01/14 成人の日",
      "2019/02/11 建国記念の日",
      "2019/03/21 春分の日",
      "2019/04/29 昭和の日",
      "2019/04/30 国民の休日",
      "2019/05/01 即位の日",
      "2019/05/02 国民の休日",
      "2019/05/03 憲法記念日",
      "2019/05/04 みどりの日",
      "2019/05/05 こどもの日",
      "2019/05/06 振替休日",
      "2019/07/15 海の日",
      "2019/08/11 山の日",
      "2019/08/12 振替休日",
      "2019/09/16 敬老の日",
      "2019/09/23 秋分の日",
      "2019/10/14 体育の日",
      "2019/10/22 即位礼正殿の儀の行われる日",
      "2019/11/03 文化の日",
      "2019/11/04 振替休日",
      "2019/11/23 勤労感謝の日"}},
    {2020,
     {"2020/01/01 元日", "2020/01/13 成人の日", "2020/02/11 建国記念の日", "2020/02/23 天皇誕生日",
      "2020/02/24 振替休日", "2020/03/20 春分の日", "2020/04/29 昭和の日", "2020/05/03 憲法記念日",
      "2020/05/04 みどりの日", "2020/05/05 こどもの日", "2020/05/06 振替休日", "2020/07/23 海の日",
      "2020/07/24 スポーツの日", "2020/08/10 山の日", "2020/09/21 敬老の日", "2020/09/22 秋分の日",
      "2020/11/03 文化の日", "2020/11/23 勤労感謝の日"}},
    {2021,
     {"2021/01/01 元日", "2021/01/11 成人の日", "2021/02/11 建国記念の日", "2021/02/23 天皇誕生日",
      "2021/03/20 春分の日", "2021/04/29 昭和の日", "2021/05/03 憲法記念日", "2021/05/04 みどりの日",
      "2021/05/05 こどもの日", "2021/07/22 海の日", "2021/07/23 スポーツの日", "2021/08/08 山の日",
      "2021/08/09 振替休日", "2021/09/20 敬老の日", "2021/09/23 秋分の日", "2021/11/03 文化の日",
      "2021/11/23 勤労感謝の日"}},
    {2022,
     {"2022/01/01 元日", "2022/01/10 成人の日", "2022/02/11 建国記念の日", "2022/02/23 天皇誕生日",
      "2022/03/21 春分の日", "2022/04/29 昭和の日", "2022/05/03 憲法記念日", "2022/05/04 みどりの日",
      "2022/05/05 こどもの日", "2022/07/18 海の日", "2022/08/11 山の日", "2022/09/19 敬老の日", "2022/09/23 秋分の日",
      "2022/10/10 スポーツの日", "2022/11/03 文化の日", "2022/11/23 勤労感謝の日"}},
    {2023,
     {"2023/01/01 元日", "2023/01/02 振替休日", "2023/01/09 成人の日", "2023/02/11 建国記念の日",
      "2023/02/23 天皇誕生日", "2023/03/21 春分の日", "2023/04/29 昭和の日", "2023/05/03 憲法記念日",
      "2023/05/04 みどりの日", "2023/05/05 こどもの日", "2023/07/17 海の日", "2023/08/11 山の日", "2023/09/18 敬老の日",
      "2023/09/23 秋分の日", "2023/10/09 スポーツの日", "2023/11/03 文化の日", "2023/11/23 勤労感謝の日"}},
    {2024, {"2024/01/01 元日",        "2024/01/08 成人の日",     "2024/02/11 建国記念の日", "2024/02/12 振替休日",
            "2024/02/23 天皇誕生日",  "2024/03/20 春分の日",     "2024/04/29 昭和の日",     "2024/05/03 憲法記念日",
            "2024/05/04 みどりの日",  "2024/05/05 こどもの日",   "2024/05/06 振替休日",     "2024/07/15 海の日",
            "2024/08/11 山の日",      "2024/08/12 振替休日",     "2024/09/16 敬老の日",     "2024/09/22 秋分の日",
            "2024/09/23 振替休日",    "2024/10/14 スポーツの日", "2024/11/03 文化の日",     "2024/11/04 振替休日",
            "2024/11/23 勤労感謝の日"}},
    {2025,
     {"2025/01/01 元日", "2025/01/13 成人の日", "2025/02/11 建国記念の日", "2025/02/23 天皇誕生日",
      "2025/02/24 振替休日", "2025/03/20 春分の日", "2025/04/29 昭和の日", "2025/05/03 憲法記念日",
      "2025/05/04 みどりの日", "2025/05/05 こどもの日", "2025/05/06 振替休日", "2025/07/21 海の日", "2025/08/11 山の日",
      "2025/09/15 敬老の日", "2025/09/23 秋分の日", "2025/10/13 スポーツの日", "2025/11/03 文化の日",
      "2025/11/23 勤労感謝の日", "2025/11/24 振替休日"}},
    {2026,
     {"2026/01/01 元日", "2026/01/12 成人の日", "2026/02/11 建国記念の日", "2026/02/23 天皇誕生日",
      "2026/03/20 春分の日", "2026/04/29 昭和の日", "2026/05/03 憲法記念日", "2026/05/04 みどりの日",
      "2026/05/05 こどもの日", "2026/05/06 振替休日", "2026/07/20 海の日", "2026/08/11 山の日", "2026/09/21 敬老の日",
      "2026/09/22 国民の休日", "2026/09/23 秋分の日", "2026/10/12 スポーツの日", "2026/11/03 文化の日",
      "2026/11/23 勤労感謝の日"}},
};

void PrintTo(const YearCalendar& y, std::ostream* os) { *os << y.year; }

class PublishedCalendar : public ::testing::TestWithParam<YearCalendar> {};

TEST_P(PublishedCalendar, EveryDayOffOfTheYearAndNoOther) {
    const YearCalendar& y = GetParam();
    QStringList computed;
    for (const auto& h : ledger::holidaysOf(y.year))
        computed << h.date.toString(QStringLiteral("yyyy/MM/dd")) + QLatin1Char(' ') + h.name;
    EXPECT_EQ(computed, y.days);
    // The day-by-day question agrees with the list: every day of the year is asked.
    int count = 0;
    for (QDate x(y.year, 1, 1); x.year() == y.year; x = x.addDays(1)) count += ledger::isHoliday(x) ? 1 : 0;
    EXPECT_EQ(count, y.days.size());
}

INSTANTIATE_TEST_SUITE_P(Years2019To2026, PublishedCalendar, ::testing::ValuesIn(kPublished),
                         [](const auto& info) { return std::to_string(info.param.year); });

// Later years are checked on what cannot change with the equinox: the fixed days and the Mondays.
TEST(Holidays, FixedDaysAndMondayRulesOf2027To2030) {
    const char* days[] = {
        // 成人の日, 海の日, 敬老の日, スポーツの日 (the 2nd, 3rd, 3rd and 2nd Mondays)
        "2027/01/11", "2027/07/19", "2027/09/20", "2027/10/11", "2028/01/10", "2028/07/17", "2028/09/18", "2028/10/09",
        "2029/01/08", "2029/07/16", "2029/09/17", "2029/10/08", "2030/01/14", "2030/07/15", "2030/09/16", "2030/10/14",
        // fixed days
        "2027/02/11", "2027/02/23", "2027/04/29", "2027/05/03", "2027/05/04", "2027/05/05", "2027/08/11", "2027/11/03",
        "2027/11/23", "2030/01/01", "2030/02/11", "2030/02/23", "2030/08/11", "2030/11/23"};
    for (const char* day : days) EXPECT_TRUE(ledger::isHoliday(d(day))) << day;
    // Monday rules leave the old fixed days ordinary unless they coincide.
    EXPECT_FALSE(ledger::isHoliday(d("2027/01/15")));
    EXPECT_FALSE(ledger::isHoliday(d("2027/07/20")));
    EXPECT_FALSE(ledger::isHoliday(d("2027/10/10")));
    // A Sunday holiday gives the next day that is not one (2029/02/11 and 2030/05/05 are Sundays).
    EXPECT_EQ(ledger::holidayName(d("2029/02/12")), QStringLiteral("振替休日"));
    EXPECT_EQ(ledger::holidayName(d("2030/05/06")), QStringLiteral("振替休日"));
}

TEST(Holidays, OnlyTheCoveredYearsHaveHolidays) {
    EXPECT_TRUE(ledger::holidaysOf(1999).isEmpty());
    EXPECT_TRUE(ledger::holidaysOf(2100).isEmpty());
    EXPECT_FALSE(ledger::isHoliday(d("2100/01/01")));
    EXPECT_EQ(ledger::holidayName(d("2000/01/10")), QStringLiteral("成人の日"));
    EXPECT_EQ(ledger::holidayName(d("2099/01/01")), QStringLiteral("元日"));
    // Before 2007 the 4th of May was a 国民の休日 and 29 April was みどりの日.
    EXPECT_EQ(ledger::holidayName(d("2006/05/04")), QStringLiteral("国民の休日"));
    EXPECT_EQ(ledger::holidayName(d("2006/04/29")), QStringLiteral("みどりの日"));
    // Before 2019, 23 December was the emperor's birthday.
    EXPECT_EQ(ledger::holidayName(d("2018/12/23")), QStringLiteral("天皇誕生日"));
    EXPECT_FALSE(ledger::isHoliday(d("2019/12/23")));
}

TEST(Holidays, BusinessDaysSkipWeekendsHolidaysAndTheYearEnd) {
    EXPECT_TRUE(ledger::isBusinessDay(d("2024/05/07")));
    EXPECT_FALSE(ledger::isBusinessDay(d("2024/05/06")));  // 振替休日
    EXPECT_FALSE(ledger::isBusinessDay(d("2024/05/11")));  // Saturday
    EXPECT_FALSE(ledger::isBusinessDay(d("2024/12/31")));  // a Tuesday, but banks close
    EXPECT_FALSE(ledger::isBusinessDay(d("2025/01/03")));
    EXPECT_TRUE(ledger::isBusinessDay(d("2024/12/30")));
    EXPECT_EQ(ledger::businessDayOnOrAfter(d("2024/12/31")), d("2025/01/06"));  // 4th and 5th a weekend
    EXPECT_EQ(ledger::businessDayOnOrBefore(d("2025/01/03")), d("2024/12/30"));
    EXPECT_EQ(ledger::businessDayOnOrAfter(d("2024/05/03")), d("2024/05/07"));
    EXPECT_EQ(ledger::businessDayOnOrBefore(d("2024/05/07")), d("2024/05/07"));
    // Outside the covered years only weekends and the closure count: 2100/01/11 is a Monday.
    EXPECT_TRUE(ledger::isBusinessDay(d("2100/01/11")));
    EXPECT_FALSE(ledger::isBusinessDay(d("2100/01/02")));
}

}  // namespace
