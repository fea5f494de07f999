#include <QSettings>

#include "core/io/Csv.h"
#include "core/io/Import.h"
#include "core/settings/Settings.h"
#include "support/TestEnv.h"

using namespace io;

namespace {

// A bank's statement in shiftJIS: a header line, 和暦 dates, quoted amounts with thousands
// separators, descriptions in half-width kana holding commas and quotes.
QByteArray bankStatement() {
    return encodeShiftJis(
        QStringLiteral("日付,摘要,お預入れ,お引出し,残高\r\n"
                       "R6.5.1,\"ｶｰﾄﾞ ｼﾖｳ, 5月分\",,\"12,345\",\"87,655\"\r\n"
                       "令和6年5月25日,給与　株式会社①,\"250,000\",,\"337,655\"\r\n"
                       "R06/05/31,\"利息 \"\"普通\"\"\",12,,\"337,667\"\r\n"));
}

class ImportTest : public AppTest {
  protected:
    ImportPreview preview(const QByteArray& csv) { return previewStatementBytes(book(), csv, m_mapping, m_target); }
    // A household book with 小遣い (1, income) and 食費 (2, expense), and a statement of date,
    // signed amount and description read onto this page.
    void householdStatement(qint64 page) {
        startPurse("(1, '小遣い', 0), (2, '食費', 1)");
        m_mapping.amountColumn = 2;
        m_mapping.textColumns = {3};
        m_mapping.depositCode = 1;
        m_mapping.withdrawalCode = 2;
        m_target.program = app::Program::Purse;
        m_target.page = page;
    }
    qint64 count() { return value("SELECT COUNT(*) FROM S01").toLongLong(); }
    ImportMapping m_mapping;
    ImportTarget m_target;
};

class BankImportTest : public ImportTest {
  protected:
    void SetUp() override {
        startBank("(1, 'A銀行', 0), (2, 'B銀行', -100)",
                  "(1, '給与', 0), (2, '食費', 1), (3, 'カード', 1), "
                  "(4, '雑収入', 0), (5, '雑費', 1)");
        // Another bank's row holds the highest record number so far.
        sql("INSERT INTO S01 (CD, K_DATE, B_CD, K_CD, KINGAKU, BIKO) VALUES (7, '2024/05/01', 2, 2, 100, NULL)");
        m_mapping.skipLines = 1;
        m_mapping.dateColumn = 1;
        m_mapping.textColumns = {2};
        m_mapping.depositColumn = 3;
        m_mapping.withdrawalColumn = 4;
        m_mapping.rules = {{QStringLiteral("カード"), 3}, {QStringLiteral("給与"), 1}, {QStringLiteral("給与"), 2}};
        m_mapping.depositCode = 4;
        m_mapping.withdrawalCode = 5;
        m_target.program = app::Program::Bank;
        m_target.bank = 1;
    }
};

TEST_F(BankImportTest, ShiftJisStatementWithEraDatesGoesIntoTheBankUnderCodesThatFit) {
    m_mapping.depositCode = 5;  // an expense item for deposits would turn them into payments
    EXPECT_FALSE(preview(bankStatement()).ok);
    m_mapping.depositCode = 4;
    m_target.bank = 9;
    EXPECT_FALSE(preview(bankStatement()).ok);
    m_target.bank = 1;

    const ImportPreview p = preview(bankStatement());
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    EXPECT_EQ(p.encoding, Encoding::ShiftJis);
    ASSERT_EQ(p.rows.size(), 3);
    EXPECT_EQ(p.rows[0].line, 2);
    EXPECT_EQ(p.rows[0].date, QStringLiteral("2024/05/01"));
    EXPECT_EQ(p.rows[0].description, QStringLiteral("ｶｰﾄﾞ ｼﾖｳ, 5月分"));
    EXPECT_EQ(p.rows[0].code, 3);  // the rule's カード matches half-width ｶｰﾄﾞ
    // The first rule whose kind fits: 給与 → 1 (income), not 2.
    EXPECT_EQ(p.rows[1].code, 1);
    EXPECT_EQ(p.rows[2].description, QStringLiteral("利息 \"普通\""));
    EXPECT_EQ(p.rows[2].code, 4);  // no rule: the deposit's default

    // A window changed a deposit's item to an expense item: nothing is written.
    ImportPreview changed = p;
    changed.rows[1].code = 2;
    const ImportReport refused = applyStatement(book(), changed);
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.error.contains(QStringLiteral("3 行目")));
    EXPECT_EQ(count(), 1);

    const ImportReport r = applyStatement(book(), p);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.added, 3);
    EXPECT_EQ(r.firstNumber, 8);
    EXPECT_EQ(r.lastNumber, 10);
    EXPECT_EQ(value("SELECT ZAN FROM T01 WHERE CD = 1").toLongLong(), 250000 + 12 - 12345);  // amounts and signs
    EXPECT_EQ(value("SELECT ZAN FROM T01 WHERE CD = 2").toLongLong(), -100);                 // untouched
    EXPECT_TRUE(wrongBankBalances().isEmpty());
}

// Re-reading a whole statement is the import window's test; here the finer cases.
TEST_F(BankImportTest, EachBookRowIsTheDuplicateOfOneLineAndTheFilesOwnLinesNeverAre) {
    sql("INSERT INTO S01 (CD, K_DATE, B_CD, K_CD, KINGAKU, BIKO) VALUES (20, '2024/06/03', 1, 2, 500, 'スーパー'), "
        "(21, '2024/06/05', 1, 2, 10000, 'ﾌﾘｺﾐ'), (22, '2024/06/06', 1, 2, 10000, 'ATM'), "
        "(23, '2024/06/06', 1, 2, 10000, NULL)");
    m_mapping.skipLines = 0;
    const ImportPreview p = preview(QStringLiteral("2024/06/01,ATM,,10000\n2024/06/01,ATM,,10000\n"
                                                   "2024/06/03,スーパー 六月,,500\n2024/06/03,スーパー,,501\n"
                                                   "2024/06/05,,,10000\n"
                                                   "2024/06/06,ATM,,10000\n2024/06/06,ATM,,10000\n"
                                                   "2024/06/06,,,10000\n2024/06/06,,,10000\n")
                                        .toUtf8());
    ASSERT_TRUE(p.ok);
    const std::pair<bool, qint64> expected[] = {
        {true, 0},   {true, 0},  // two equal withdrawals in the file, none in the book
        {false, 20}, {true, 0},  // the stored note is part of the line's; another amount
        {true, 0},               // an empty description is no part of the transfer's
        {false, 22}, {true, 0},  // the book holds one of the two
        {false, 23}, {true, 0},  // empty matches only empty, once
    };
    ASSERT_EQ(p.rows.size(), int(std::size(expected)));
    for (int i = 0; i < p.rows.size(); ++i) {
        EXPECT_EQ(p.rows[i].ticked, expected[i].first) << "line " << p.rows[i].line;
        EXPECT_EQ(p.rows[i].matched, expected[i].second) << "line " << p.rows[i].line;
        if (expected[i].second) {
            EXPECT_TRUE(p.rows[i].reason.contains(QStringLiteral("番号 %1").arg(expected[i].second)));
        }
    }
}

TEST_F(BankImportTest, TwoEqualWithdrawalsAddTwoRowsAndTheSameFileAgainAddsNone) {
    m_mapping.skipLines = 0;
    const QByteArray csv = "2024/06/01,ATM,,10000\r\n2024/06/01,ATM,,10000\r\n";
    ImportReport r = applyStatement(book(), preview(csv));
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.added, 2);
    EXPECT_EQ(value("SELECT ZAN FROM T01 WHERE CD = 1").toLongLong(), -20000);
    r = applyStatement(book(), preview(csv));
    EXPECT_EQ(r.added, 0);
    EXPECT_EQ(r.duplicates, 2);
    EXPECT_EQ(count(), 3);
}

TEST_F(BankImportTest, AnUnreadableLineWritesNothingAndIsNamed) {
    m_mapping.skipLines = 0;
    // A bad amount, a day that does not exist, no amount at all; the blank line is no row.
    const ImportPreview p = preview(
        "2024/05/01,A,100,\n2024/05/02,B,,200\n2024/05/03,C,12a,\n"
        "2024/02/30,D,1,\n\n2024/05/04,E,,\n");
    ASSERT_TRUE(p.ok);
    ASSERT_EQ(p.rows.size(), 5);
    EXPECT_TRUE(p.rows[2].reason.contains(QStringLiteral("12a"))) << p.rows[2].reason.toStdString();
    const ImportReport r = applyStatement(book(), p);
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(r.refused.size(), 3);
    EXPECT_EQ(r.refused[0].line, 3);
    EXPECT_EQ(r.refused[1].line, 4);
    EXPECT_EQ(r.refused[2].line, 6);
    EXPECT_EQ(count(), 1);
}

// A statement's description is stored as it stands, a leading ' included (only our own export
// guards text). A long value is quoted cut to 40 characters, never inside one.
TEST_F(BankImportTest, AStatementsTextStaysAsItIsAndLongValuesAreQuotedShort) {
    m_mapping.skipLines = 0;
    // Digits make it a date that cannot be read (a cell without any is a line passed over).
    const QString longDate =
        QStringLiteral("1") + QString(38, QChar(0x3042)) + QStringLiteral("😀") + QString(20, QChar(0x3044));
    const ImportPreview p = preview(("2024/05/05,'=x,,10\n" + longDate + ",B,,1\n").toUtf8());
    ASSERT_EQ(p.rows.size(), 2);
    EXPECT_EQ(p.rows[0].description, QStringLiteral("'=x"));
    EXPECT_EQ(p.rows[1].reason, QStringLiteral("日付「1%1😀…」を読めません").arg(QString(38, QChar(0x3042))))
        << p.rows[1].reason.toStdString();
    EXPECT_EQ(app::clip(QString(40, QLatin1Char('x'))), QString(40, QLatin1Char('x')));
}

TEST_F(BankImportTest, ProfilesAreKeptPerBankInTheImportSectionWithEveryOption) {
    m_mapping.textColumns = {2, 5};
    m_mapping.balanceColumn = 5;
    m_mapping.negate = true;
    m_mapping.skipIf = {{QStringLiteral("振替"), QStringLiteral("1")}, {QStringLiteral("1"), QStringLiteral("0")}};
    saveProfile(m_target, QStringLiteral("カード/明細"), m_mapping);
    EXPECT_EQ(loadProfile(m_target, QStringLiteral("カード/明細")).value_or(ImportMapping{}).toJson(),
              m_mapping.toJson());
    EXPECT_EQ(profileNames(m_target), QStringList{QStringLiteral("カード/明細")});
    m_target.bank = 2;
    EXPECT_TRUE(profileNames(m_target).isEmpty());
    QSettings ini(settings::storeLocation(), QSettings::IniFormat);
    EXPECT_TRUE(ini.childGroups().contains(QStringLiteral("import")));
    ini.beginGroup(QStringLiteral("setting"));
    EXPECT_TRUE(ini.allKeys().isEmpty());
    // A profile saved before lists of text columns still reads.
    EXPECT_EQ(ImportMapping::fromJson(QStringLiteral("{\"amountCol\":2,\"textCol\":3}")).value().textColumns,
              QList<int>{3});
}

TEST(StatementAmount, FormsBanksWrite) {
    const std::pair<const char*, qint64> good[] = {{"1,234", 1234},  {"-1,234", -1234}, {"¥1,234", 1234},
                                                   {"￥-500", -500}, {"1234円", 1234},  {"▲300", -300},
                                                   {"１２０", 120},  {"+5", 5},         {"1000.00", 1000}};
    for (const auto& [in, v] : good) EXPECT_EQ(parseStatementAmount(QString::fromUtf8(in)), v) << in;
    for (const char* in : {"12a", "1,23", "1.5", "--1", "¥", "▲-3"})
        EXPECT_FALSE(parseStatementAmount(QString::fromUtf8(in))) << in;
    // The cell a row does not use: blank, or a lone dash of any width.
    for (const char* in : {"  ", "-", "−", " － "}) {
        bool empty = false;
        EXPECT_EQ(parseStatementAmount(QString::fromUtf8(in), &empty), 0) << in;
        EXPECT_TRUE(empty) << in;
    }
}

TEST_F(ImportTest, HouseholdRowsAreNumberedByDateAndAnEmptyPageTakesTheMonthOfMostRows) {
    householdStatement(2);
    sql("INSERT INTO S01 (CD, P_CD, K_DATE, K_CD, KINGAKU, ZAN) VALUES (1, 1, '2024/04/25', 1, 10000, 10000), "
        "(2, 2, '2024/05/02', 2, 1000, 9000), (3, 3, '2024/06/01', 2, 500, 8500)");
    ImportPreview p = preview("2024/05/20,-800,a\n2024/05/01,3000,b\n2024/06/02,-300,c\n");
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    EXPECT_EQ(p.target.pageMonth, QStringLiteral("2024/05"));  // the page's first row
    ImportReport r = applyStatement(book(), p);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.leftOut, 1);
    // Numbered in date order after the highest, on page 2.
    EXPECT_EQ(value("SELECT group_concat(CD || '|' || P_CD || '|' || K_DATE, ';') FROM S01 WHERE CD > 3").toString(),
              QStringLiteral("4|2|2024/05/01;5|2|2024/05/20"));

    m_target.page = 4;
    p = preview("2024/06/30,-1,a\n2024/07/01,-2,b\n2024/07/02,-3,c\n");
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.target.pageMonth, QStringLiteral("2024/07"));
    EXPECT_EQ(p.tickedCount(), 2);
    ASSERT_TRUE(applyStatement(book(), p).ok);
    // The last balance holds both imports, so page 3's row in between was recalculated too.
    EXPECT_EQ(value("SELECT ZAN FROM S01 WHERE CD = 7").toLongLong(), 8500 + 3000 - 800 - 2 - 3);
    EXPECT_TRUE(wrongPurseBalances().isEmpty());
}

// ---------------------------------------------------------------- the layouts people download

struct LayoutCase {
    const char* layout;
    enum { Utf8, Utf8Bom, ShiftJis } encoding;
    const char* text;
    QStringList rows;    // "date|signed amount|description", in the order they are booked
    QList<int> notRows;  // lines passed over as no rows
    int skipped;         // rows a skip condition passed over
    bool newestFirst;
};

const LayoutCase kLayoutCases[] = {
    {"city-bank",
     LayoutCase::ShiftJis,
     "\"日付\",\"摘要\",\"摘要内容\",\"支払い金額\",\"預かり金額\",\"差引残高\",\"メモ\",\"未資金化区分\","
     "\"入払区分\"\r\n"
     "\"2024/5/1\",\"ｶｰﾄﾞ\",\"ｾﾌﾞﾝｲﾚﾌﾞﾝ\",\"1,200\",\"\",\"98,800\",\"\",\"\",\"\"\r\n"
     "\"2024/5/2\",\"振込\",\"ｶ)ﾔﾏﾀﾞｼｮｳｼﾞ\",\"\",\"250,000\",\"348,800\",\"\",\"\",\"\"\r\n"
     "\"2024/5/2\",\"ATM\",\"\",\"10,000\",\"\",\"338,800\",\"\",\"\",\"\"\r\n"
     "\"2024/5/2\",\"ATM\",\"\",\"10,000\",\"\",\"328,800\",\"\",\"\",\"\"\r\n",
     {"2024/05/01|-1200|ｶｰﾄﾞ ｾﾌﾞﾝｲﾚﾌﾞﾝ", "2024/05/02|250000|振込 ｶ)ﾔﾏﾀﾞｼｮｳｼﾞ", "2024/05/02|-10000|ATM",
      "2024/05/02|-10000|ATM"},
     {},
     0,
     false},
    {"postal-bank",
     LayoutCase::ShiftJis,
     "口座番号,10100-12345671\r\nお名前,ﾕｳﾁﾖ ﾀﾛｳ\r\n照会期間,20240501,20240531\r\n"
     "取引日,受入金額（円）,払出金額（円）,詳細１,詳細２,現在（貸付）高\r\n"
     "20240507,,\"3,000\",ATM,,\"47,000\"\r\n"
     "20240510,\"5,000\",,振替,ﾃｽﾄ ﾊﾅｺ,\"52,000\"\r\n",
     {"2024/05/07|-3000|ATM", "2024/05/10|5000|振替 ﾃｽﾄ ﾊﾅｺ"},
     {},
     0,
     false},
    {"net-bank",
     LayoutCase::Utf8Bom,
     "取引日,入出金(円),取引後残高(円),入出金内容\n"
     "20240520,-500,9500,ｺﾝﾋﾞﾆ\n20240515,3000,10000,ﾌﾘｺﾐ ﾔﾏﾀﾞ\n20240515,-1000,7000,ATM\n20240510,8000,8000,ﾌﾘｺﾐ\n",
     {"2024/05/10|8000|ﾌﾘｺﾐ", "2024/05/15|-1000|ATM", "2024/05/15|3000|ﾌﾘｺﾐ ﾔﾏﾀﾞ", "2024/05/20|-500|ｺﾝﾋﾞﾆ"},
     {},
     0,
     true},
    {"net-bank",
     LayoutCase::ShiftJis,
     "取引日,入出金（円）,取引後残高（円）,入出金内容\r\n"
     "2024/05/01,\"-1,980\",\"18,020\",ｱﾏｿﾞﾝ\r\n2024/05/25,\"+250,000\",\"268,020\",ｷﾕｳﾖ ｶ)ﾃｽﾄ\r\n",
     {"2024/05/01|-1980|ｱﾏｿﾞﾝ", "2024/05/25|250000|ｷﾕｳﾖ ｶ)ﾃｽﾄ"},
     {},
     0,
     false},
    {"card",
     LayoutCase::ShiftJis,
     "ご利用日,ご利用店名,ご利用者,支払区分,ご利用金額,お支払金額,備考\r\n"
     ",山田 太郎 様,4980-****-****-1234,,,,\r\n"
     "2024/05/03,ｱﾏｿﾞﾝ,本人,1回,\"1,980\",\"1,980\",\r\n"
     "2024/05/03,ｱﾏｿﾞﾝ,本人,1回,\"1,980\",\"1,980\",\r\n"
     "2024/05/08,ｱﾏｿﾞﾝ 返品,本人,1回,\"-1,980\",\"-1,980\",\r\n"
     ",小計,,,\"1,980\",\"1,980\",\r\n"
     "【家族カード】山田 花子 様,,,,,,\r\n"
     "2024/05/10,ｽｰﾊﾟｰ,家族,1回,\"4,500\",\"4,500\",\r\n"
     ",合計,,,\"6,480\",\"6,480\",\r\n",
     {"2024/05/03|-1980|ｱﾏｿﾞﾝ", "2024/05/03|-1980|ｱﾏｿﾞﾝ", "2024/05/08|1980|ｱﾏｿﾞﾝ 返品", "2024/05/10|-4500|ｽｰﾊﾟｰ"},
     {2, 6, 7, 9},
     0,
     false},
    {"household-app",
     LayoutCase::ShiftJis,
     "\"計算対象\",\"日付\",\"内容\",\"金額（円）\",\"保有金融機関\",\"大項目\",\"中項目\",\"メモ\",\"振替\",\"ID\"\r\n"
     "\"1\",\"2024/05/28\",\"ATM\",\"-10000\",\"A銀行\",\"現金\",\"ATM\",\"\",\"0\",\"a5\"\r\n"
     "\"0\",\"2024/05/27\",\"立替\",\"-2000\",\"現金\",\"その他\",\"立替金\",\"\",\"0\",\"a4\"\r\n"
     "\"1\",\"2024/05/26\",\"カード引き落とし\",\"-30000\",\"A銀行\",\"未分類\",\"未分類\",\"\",\"1\",\"a3\"\r\n"
     "\"1\",\"2024/05/25\",\"給与\",\"250000\",\"A銀行\",\"収入\",\"給与\",\"\",\"0\",\"a2\"\r\n"
     "\"1\",\"2024/05/20\",\"ｾﾌﾞﾝ-ｲﾚﾌﾞﾝ\",\"-580\",\"楽天カード\",\"食費\",\"食料品\",\"\",\"0\",\"a1\"\r\n",
     {"2024/05/20|-580|ｾﾌﾞﾝ-ｲﾚﾌﾞﾝ", "2024/05/25|250000|給与", "2024/05/28|-10000|ATM"},
     {},
     2,
     true},
    {"payment-app",
     LayoutCase::Utf8,
     "取引日,出金金額（円）,入金金額（円）,海外出金金額,通貨,変換レート（円）,利用国,取引内容,取引先,取引方法,"
     "支払い区分,利用者,取引番号\n"
     "2024/05/29 08:10:00,-,\"3,000\",-,-,-,-,チャージ,A銀行,銀行口座,-,-,0002\n"
     "2024/05/28 19:02:11,\"1,200\",-,-,-,-,-,支払い,ｾﾌﾞﾝ-ｲﾚﾌﾞﾝ,残高,-,-,0001\n",
     {"2024/05/28|-1200|支払い ｾﾌﾞﾝ-ｲﾚﾌﾞﾝ", "2024/05/29|3000|チャージ A銀行"},
     {},
     0,
     true},
};

QByteArray encoded(const LayoutCase& c) {
    const QString text = QString::fromUtf8(c.text);
    if (c.encoding == LayoutCase::ShiftJis) return encodeShiftJis(text);
    return (c.encoding == LayoutCase::Utf8Bom ? QByteArray("\xEF\xBB\xBF") : QByteArray()) + text.toUtf8();
}

TEST_F(BankImportTest, EachCommonLayoutIsKnownByItsHeaderAndReadRowByRow) {
    for (int i = 0; i < int(std::size(kLayoutCases)); ++i) {
        const LayoutCase& c = kLayoutCases[i];
        SCOPED_TRACE(std::string(c.layout) + " #" + std::to_string(i));
        const qint64 bank = 10 + i;  // a bank each: no case sees another's rows
        sql("INSERT INTO T01 (CD, NM, ZAN) VALUES (?, 'X', 0)", {bank});
        const QByteArray csv = encoded(c);
        const auto layout = detectLayout(csv);
        ASSERT_TRUE(layout);
        EXPECT_EQ(layout->name, QString::fromLatin1(c.layout));
        m_mapping = layout->mapping;
        m_mapping.depositCode = 4;
        m_mapping.withdrawalCode = 5;
        m_target.bank = bank;
        const ImportPreview p = preview(csv);
        ASSERT_TRUE(p.ok) << p.error.toStdString();
        EXPECT_EQ(p.encoding, c.encoding == LayoutCase::ShiftJis ? Encoding::ShiftJis : Encoding::Utf8);
        EXPECT_EQ(p.newestFirst, c.newestFirst);
        EXPECT_EQ(p.balancePartsAt, 0) << p.balanceNote().toStdString();
        QStringList rows;
        QList<int> notRows;
        for (const PreviewRow& r : p.rows) {
            if (r.status == RowStatus::NotARow) notRows << r.line;
            if (r.ticked) rows << QStringLiteral("%1|%2|%3").arg(r.date).arg(r.amount).arg(r.description);
        }
        EXPECT_EQ(rows, c.rows);
        EXPECT_EQ(notRows, c.notRows);
        EXPECT_EQ(p.count(RowStatus::Skipped), c.skipped);
        EXPECT_EQ(p.count(RowStatus::Unreadable), 0);

        const ImportReport r = applyStatement(book(), p);
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        EXPECT_EQ(r.notRows.size(), c.notRows.size());
        EXPECT_EQ(r.skipped, c.skipped);
        // Booked in that order, a refund (negative on a card) as income.
        EXPECT_EQ(value("SELECT group_concat(x, ';') FROM (SELECT S01.K_DATE || '|' || "
                        "(CASE T02.KIND WHEN 0 THEN KINGAKU ELSE -KINGAKU END) || '|' || BIKO AS x "
                        "FROM S01 JOIN T02 ON T02.CD = S01.K_CD WHERE B_CD = ? ORDER BY S01.CD)",
                        {bank})
                      .toString(),
                  c.rows.join(QLatin1Char(';')));
    }
    EXPECT_TRUE(wrongBankBalances().isEmpty());
}

TEST_F(BankImportTest, BalanceColumnSaysWhereTheStatementAndTheRowsPart) {
    // The third line's balance does not follow: a line is missing before it.
    m_mapping = {};
    m_mapping.skipLines = 1;
    m_mapping.amountColumn = 2;
    m_mapping.balanceColumn = 3;
    m_mapping.depositCode = 4;
    m_mapping.withdrawalCode = 5;
    const ImportPreview p = preview("日付,金額,残高\n2024/05/01,-100,900\n2024/05/02,-100,800\n2024/05/03,-100,600\n");
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.balancePartsAt, 4);
    EXPECT_EQ(p.rows[2].runningTotal, 700);
    EXPECT_TRUE(p.balanceNote().contains(QStringLiteral("4 行目"))) << p.balanceNote().toStdString();
}

TEST_F(BankImportTest, RulesMatchAsPeopleTypeAndTheNoteKeepsTheBanksText) {
    m_mapping.skipLines = 0;
    m_mapping.rules = {{QStringLiteral("カード"), 3}, {QStringLiteral("キュウヨ"), 1}, {QStringLiteral("ｼｮｯﾌﾟ"), 2}};
    const ImportPreview p = preview(QStringLiteral("2024/05/01,ｶ-ﾄﾞ ｼﾖｳ,,100\n2024/05/02,カ－ド,,100\n"
                                                   "2024/05/03,ｷﾕｳﾖ,100,\n2024/05/04,ショップ,,100\n"
                                                   "2024/05/05,カ,,100\n")
                                        .toUtf8());
    ASSERT_TRUE(p.ok);
    const qint64 codes[] = {3, 3, 1, 2, 5};
    for (int i = 0; i < p.rows.size(); ++i) EXPECT_EQ(p.rows[i].code, codes[i]) << p.rows[i].line;
    EXPECT_EQ(p.rows[0].description, QStringLiteral("ｶ-ﾄﾞ ｼﾖｳ"));
}

TEST_F(BankImportTest, ASkipConditionOnAColumnTheHeaderLacksRefusesTheFile) {
    m_mapping.skipIf = {{QStringLiteral("振替"), QStringLiteral("1")}};
    const ImportPreview p = preview(bankStatement());
    EXPECT_FALSE(p.ok);
    EXPECT_TRUE(p.error.contains(QStringLiteral("振替"))) << p.error.toStdString();
}

TEST_F(ImportTest, NewestFirstIntoAHouseholdPageGivesTheSameBalancesAsOldestFirst) {
    householdStatement(1);
    auto booked = [&](const QByteArray& csv) {
        const ImportReport r = applyStatement(book(), preview(csv));
        EXPECT_TRUE(r.ok) << r.error.toStdString();
        const QString rows =
            value(
                "SELECT group_concat(x, ';') FROM (SELECT K_DATE || '|' || BIKO || '|' || ZAN AS x FROM S01 "
                "ORDER BY CD)")
                .toString();
        sql("DELETE FROM S01");
        return rows;
    };
    const QString oldest = booked("2024/05/01,1000,a\n2024/05/02,-300,b\n2024/05/02,-900,c\n2024/05/03,500,d\n");
    EXPECT_EQ(oldest, QStringLiteral("2024/05/01|a|1000;2024/05/02|b|700;2024/05/02|c|-200;2024/05/03|d|300"));
    EXPECT_EQ(booked("2024/05/03,500,d\n2024/05/02,-900,c\n2024/05/02,-300,b\n2024/05/01,1000,a\n"), oldest);
}

}  // namespace
