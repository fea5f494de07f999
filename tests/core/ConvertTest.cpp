#include "core/db/Convert.h"
#include "core/ledger/Dates.h"
#include "core/ledger/Totals.h"
#include "support/TestEnv.h"

using namespace db;

// To_Str gives its default only for Null, not for an empty text.
TEST(Convert, ToLongRoundsHalfToEvenAndOnlyWhatIsNoNumberTakesTheDefault) {
    // The last text lies beyond 32 bits, and beyond what a double holds exactly.
    const char* texts[] = {"12", " 7 ", "12.5", "13.5", "-2.5", "2.51", "abc", "9007199254740993"};
    const qint64 read[] = {12, 7, 12, 14, -2, 3, 5, 9007199254740993LL};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(To_Long(QString::fromLatin1(texts[i]), 5), read[i]) << texts[i];
    EXPECT_EQ(To_Long(3.5, 5), 4);
    EXPECT_TRUE(To_Long(QVariant(), 5) == 5 && To_Long(QString(), 5) == 5);
    EXPECT_EQ(To_Str(QVariant(), QStringLiteral("x")), QStringLiteral("x"));
    EXPECT_EQ(To_Str(QStringLiteral(""), QStringLiteral("x")), QString());
    EXPECT_EQ(To_Str(QVariant(42), QString()), QStringLiteral("42"));
}

// Codes stop at 32767; record numbers go on; amounts may be negative and carry thousands commas.
TEST(Convert, TypedCodesRecordNumbersAndAmountsAreWholeAndWithinTheirRange) {
    EXPECT_EQ(parseCode(QStringLiteral("1")), 1);
    EXPECT_EQ(parseCode(QStringLiteral(" 32767 ")), 32767);
    for (const char* bad : {"0", "-1", "32768", "1.5", "1e2", "abc", "", " ", "1 2", "٣"})
        EXPECT_FALSE(parseCode(QString::fromUtf8(bad)).has_value()) << bad;
    EXPECT_EQ(parseRecordNumber(QStringLiteral("40000")), 40000);
    EXPECT_EQ(parseRecordNumber(QStringLiteral("1")), 1);
    for (const char* bad : {"0", "-5", "1.5", "abc", "", "99999999999"})
        EXPECT_FALSE(parseRecordNumber(QString::fromUtf8(bad)).has_value()) << bad;
    EXPECT_EQ(parseYen(QStringLiteral("1,234,567")), 1234567);
    EXPECT_EQ(parseYen(QStringLiteral("-300")), -300);
    EXPECT_EQ(parseYen(QStringLiteral("0")), 0);
    for (const char* bad : {"10.5", "1e3", "abc", "", "1,00", "99999999999999999999"})
        EXPECT_FALSE(parseYen(QString::fromUtf8(bad)).has_value()) << bad;
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

// How the month box's text is normalised is FormBaseTest's, typed as a user types it.
TEST(Dates, MonthsAndDaysStepAndOnlyRealDaysMakeAJournalDate) {
    EXPECT_EQ(ledger::addMonths(QStringLiteral("2001/12"), 1), QStringLiteral("2002/01"));
    EXPECT_EQ(ledger::addMonths(QStringLiteral("2001/01"), -1), QStringLiteral("2000/12"));
    EXPECT_EQ(ledger::dayText(QStringLiteral("7")), QStringLiteral("07"));
    for (const char* bad : {"32", "0", "a"}) EXPECT_FALSE(ledger::dayText(QLatin1String(bad))) << bad;
    EXPECT_EQ(ledger::dayText(QString::fromUtf8("７")), QStringLiteral("07"));
    // Only days the month has make a journal date.
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
    EXPECT_TRUE(in("2001/02/05") && in("2001/02/28"));
    EXPECT_FALSE(in("2001/2/5") || in("2001/03/01") || in("2001/01/31"));
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
