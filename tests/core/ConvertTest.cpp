#include "core/db/Convert.h"
#include "core/ledger/Dates.h"
#include "core/ledger/Totals.h"
#include "support/TestEnv.h"

using namespace db;

TEST(Convert, ToLongRoundsHalfToEvenAndFallsBackToTheDefault) {
    EXPECT_EQ(To_Long(QVariant(), 5), 5);
    EXPECT_EQ(To_Long(QStringLiteral("12"), 0), 12);
    EXPECT_EQ(To_Long(QStringLiteral(" 7 "), 0), 7);
    EXPECT_EQ(To_Long(QStringLiteral("12.5"), 0), 12);
    EXPECT_EQ(To_Long(QStringLiteral("13.5"), 0), 14);
    EXPECT_EQ(To_Long(QStringLiteral("-2.5"), 0), -2);
    EXPECT_EQ(To_Long(QStringLiteral("2.51"), 0), 3);
    EXPECT_EQ(To_Long(QVariant(3.5), 0), 4);
    EXPECT_EQ(To_Long(QStringLiteral("abc"), 9), 9);
    EXPECT_EQ(To_Long(QString(), 9), 9);
    // Beyond 32 bits, exactly.
    EXPECT_EQ(To_Long(QStringLiteral("9007199254740993"), 0), 9007199254740993LL);
    EXPECT_EQ(To_Cur(QStringLiteral("5000"), 0), 5000);
}

TEST(Convert, ToStrGivesTheDefaultOnlyForNull) {
    EXPECT_EQ(To_Str(QVariant(), QString()), QString());
    EXPECT_EQ(To_Str(QVariant(), QStringLiteral("x")), QStringLiteral("x"));
    EXPECT_EQ(To_Str(QStringLiteral(""), QStringLiteral("x")), QString());
    EXPECT_EQ(To_Str(QVariant(42), QString()), QStringLiteral("42"));
}

TEST(Convert, TypedCodesMustBeWholeAndWithinRange) {
    EXPECT_EQ(parseCode(QStringLiteral("1")), 1);
    EXPECT_EQ(parseCode(QStringLiteral(" 32767 ")), 32767);
    for (const char* bad : {"0", "-1", "32768", "1.5", "1e2", "abc", "", " ", "1 2", "٣"})
        EXPECT_FALSE(parseCode(QString::fromUtf8(bad)).has_value()) << bad;
}

// What an input method types is read as its plain form, in every numeric box.
TEST(Convert, FullWidthNumbersReadAsTheirPlainForm) {
    EXPECT_EQ(parseCode(QString::fromUtf8("９")), 9);
    EXPECT_EQ(parseRecordNumber(QString::fromUtf8("１２３")), 123);
    EXPECT_EQ(parseYen(QString::fromUtf8("１，０００")), 1000);
    EXPECT_EQ(parseYen(QString::fromUtf8("　１２３　")), 123);
    for (const char* minus : {"－５００", "ー500", "ｰ500", "−500", "‐500", "―500", "﹣500", "-500"})
        EXPECT_EQ(parseYen(QString::fromUtf8(minus)), -500) << minus;
    EXPECT_EQ(typedNumber(QString::fromUtf8("１２３")), QStringLiteral("123"));
    EXPECT_FALSE(parseYen(QString::fromUtf8("１２．５")).has_value());
    EXPECT_FALSE(parseYen(QString::fromUtf8("ーー5")).has_value());
}

TEST(Convert, RecordNumbersAreWholeFromOneWithoutTheCodeLimit) {
    EXPECT_EQ(parseRecordNumber(QStringLiteral("40000")), 40000);
    EXPECT_EQ(parseRecordNumber(QStringLiteral("1")), 1);
    for (const char* bad : {"0", "-5", "1.5", "abc", "", "99999999999"})
        EXPECT_FALSE(parseRecordNumber(QString::fromUtf8(bad)).has_value()) << bad;
}

TEST(Convert, TypedAmountsAreWholeYen) {
    EXPECT_EQ(parseYen(QStringLiteral("1000")), 1000);
    EXPECT_EQ(parseYen(QStringLiteral("1,234,567")), 1234567);
    EXPECT_EQ(parseYen(QStringLiteral("-300")), -300);
    EXPECT_EQ(parseYen(QStringLiteral("0")), 0);
    for (const char* bad : {"10.5", "1e3", "abc", "", "1,00", "99999999999999999999"})
        EXPECT_FALSE(parseYen(QString::fromUtf8(bad)).has_value()) << bad;
}

TEST(Dates, MonthBoxTextIsNormalised) {
    EXPECT_EQ(ledger::normaliseMonth(QStringLiteral("2001/3_")), QStringLiteral("2001/03"));
    EXPECT_EQ(ledger::normaliseMonth(QStringLiteral("2001/__")), QStringLiteral("2001/00"));
    EXPECT_EQ(ledger::normaliseMonth(QStringLiteral("2001/12")), QStringLiteral("2001/12"));
    EXPECT_EQ(ledger::normaliseMonth(QStringLiteral("2001/0_")), QStringLiteral("2001/00"));
    EXPECT_EQ(ledger::addMonths(QStringLiteral("2001/12"), 1), QStringLiteral("2002/01"));
    EXPECT_EQ(ledger::addMonths(QStringLiteral("2001/01"), -1), QStringLiteral("2000/12"));
    EXPECT_EQ(ledger::dayText(QStringLiteral("7")), QStringLiteral("07"));
    EXPECT_FALSE(ledger::dayText(QStringLiteral("32")));
    EXPECT_FALSE(ledger::dayText(QStringLiteral("0")));
    EXPECT_FALSE(ledger::dayText(QStringLiteral("a")));
    EXPECT_EQ(ledger::dayText(QString::fromUtf8("７")), QStringLiteral("07"));
}

TEST(Dates, OnlyDaysTheMonthHasMakeAJournalDate) {
    EXPECT_EQ(ledger::journalDate(QStringLiteral("2024/02"), QStringLiteral("29")), QStringLiteral("2024/02/29"));
    EXPECT_EQ(ledger::journalDate(QStringLiteral("2024/04"), QStringLiteral("5")), QStringLiteral("2024/04/05"));
    const std::pair<const char*, const char*> bad[] = {
        {"2024/02", "30"}, {"2023/02", "29"}, {"2024/04", "31"}, {"2024/00", "01"}, {"2024/13", "01"}};
    for (const auto& [month, day] : bad)
        EXPECT_FALSE(ledger::journalDate(QLatin1String(month), QLatin1String(day))) << month << "/" << day;
}

TEST(Dates, MonthRangeHoldsExactlyThatMonthsDates) {
    const auto r = ledger::monthRange(QStringLiteral("2001"), QStringLiteral("02"));
    auto in = [&](const char* d) { return QString::fromLatin1(d) >= r.from && QString::fromLatin1(d) < r.to; };
    EXPECT_TRUE(in("2001/02/05"));
    EXPECT_TRUE(in("2001/02/28"));
    EXPECT_FALSE(in("2001/2/5"));
    EXPECT_FALSE(in("2001/03/01"));
    EXPECT_FALSE(in("2001/01/31"));
    const auto y = ledger::yearRange(QStringLiteral("2001"));
    EXPECT_TRUE(QStringLiteral("2001/12/31") < y.to && QStringLiteral("2001/01/01") >= y.from);
    EXPECT_FALSE(QStringLiteral("2002/01/01") < y.to);
}

// Sums in SQL and conversions in C++ round a stored fraction alike.
class RoundingTest : public AppTest {};

TEST_F(RoundingTest, SqlAndCxxRoundStoredAmountsTheSameWay) {
    start(app::Program::Bank);
    const QVariantList stored = {0.5, 1.5, 2.5, -0.5, -1.5, -2.5, 2.4, 2.6, -2.6, 7, QStringLiteral("abc"), QVariant()};
    int cd = 0;
    for (const QVariant& v : stored)
        sql("INSERT INTO S01 (CD,K_DATE,B_CD,K_CD,KINGAKU,BIKO) VALUES (?,'2024/01/01',1,1,?,'')", {++cd, v});
    for (int i = 1; i <= cd; ++i) {
        const QVariant raw = value("SELECT KINGAKU FROM S01 WHERE CD=?", {i});
        const QVariant sql = value(QStringLiteral("SELECT %1 FROM S01 WHERE CD=?").arg(ledger::yenSql("KINGAKU")), {i});
        EXPECT_EQ(sql.toLongLong(), To_Cur(raw, 0)) << raw.toString().toStdString();
    }
    EXPECT_EQ(To_Cur(2.5, 0), 2);
    EXPECT_EQ(To_Cur(-1.5, 0), -2);
}
