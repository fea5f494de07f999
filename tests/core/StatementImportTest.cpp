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
    qint64 count() { return value("SELECT COUNT(*) FROM S01").toLongLong(); }
    ImportMapping m_mapping;
    ImportTarget m_target;
};

class BankImportTest : public ImportTest {
  protected:
    void SetUp() override {
        start(app::Program::Bank);
        sql("INSERT INTO T01 (CD, NM, ZAN) VALUES (1, 'A銀行', 0), (2, 'B銀行', -100)");
        sql("INSERT INTO T02 (CD, NM, KIND) VALUES (1, '給与', 0), (2, '食費', 1), (3, 'カード', 1), "
            "(4, '雑収入', 0), (5, '雑費', 1)");
        // Another bank's row holds the highest record number so far.
        sql("INSERT INTO S01 (CD, K_DATE, B_CD, K_CD, KINGAKU, BIKO) VALUES (7, '2024/05/01', 2, 2, 100, NULL)");
        m_mapping.skipLines = 1;
        m_mapping.dateColumn = 1;
        m_mapping.textColumn = 2;
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
TEST_F(BankImportTest, ALineRepeatingAnEarlierOneOrAStoredNoteIsADuplicate) {
    sql("INSERT INTO S01 (CD, K_DATE, B_CD, K_CD, KINGAKU, BIKO) VALUES (20, '2024/06/03', 1, 2, 500, 'スーパー')");
    m_mapping.skipLines = 0;
    const ImportPreview p = preview(QStringLiteral("2024/06/01,パン,,300\n2024/06/01,パン,,300\n"
                                                   "2024/06/03,スーパー 六月,,500\n2024/06/03,スーパー,,501\n")
                                        .toUtf8());
    ASSERT_TRUE(p.ok);
    EXPECT_TRUE(p.rows[0].ticked);
    EXPECT_EQ(p.rows[1].status, RowStatus::Duplicate);
    EXPECT_TRUE(p.rows[1].reason.contains(QStringLiteral("1 行目")));
    EXPECT_EQ(p.rows[2].status, RowStatus::Duplicate);  // the stored note is part of the line's
    EXPECT_TRUE(p.rows[2].reason.contains(QStringLiteral("番号 20")));
    EXPECT_TRUE(p.rows[3].ticked);  // another amount
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
    const QString longDate = QString(39, QChar(0x3042)) + QStringLiteral("😀") + QString(20, QChar(0x3044));
    const ImportPreview p = preview(("2024/05/05,'=x,,10\n" + longDate + ",B,,1\n").toUtf8());
    ASSERT_EQ(p.rows.size(), 2);
    EXPECT_EQ(p.rows[0].description, QStringLiteral("'=x"));
    EXPECT_EQ(p.rows[1].reason, QStringLiteral("日付「%1😀…」を読めません").arg(QString(39, QChar(0x3042))))
        << p.rows[1].reason.toStdString();
    EXPECT_EQ(app::clip(QString(40, QLatin1Char('x'))), QString(40, QLatin1Char('x')));
}

TEST_F(BankImportTest, ProfilesAreKeptPerBankInTheImportSection) {
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
}

TEST(StatementAmount, FormsBanksWrite) {
    const std::pair<const char*, qint64> good[] = {{"1,234", 1234},  {"-1,234", -1234}, {"¥1,234", 1234},
                                                   {"￥-500", -500}, {"1234円", 1234},  {"▲300", -300},
                                                   {"１２０", 120},  {"+5", 5},         {"1000.00", 1000}};
    for (const auto& [in, v] : good) EXPECT_EQ(parseStatementAmount(QString::fromUtf8(in)), v) << in;
    for (const char* in : {"12a", "1,23", "1.5", "--1", "¥", "▲-3"})
        EXPECT_FALSE(parseStatementAmount(QString::fromUtf8(in))) << in;
    bool empty = false;
    EXPECT_EQ(parseStatementAmount(QStringLiteral("  "), &empty), 0);
    EXPECT_TRUE(empty);
}

TEST_F(ImportTest, HouseholdRowsAreNumberedByDateAndAnEmptyPageTakesTheMonthOfMostRows) {
    start(app::Program::Purse);
    sql("INSERT INTO T01 (CD, NM, KIND) VALUES (1, '小遣い', 0), (2, '食費', 1)");
    sql("INSERT INTO S01 (CD, P_CD, K_DATE, K_CD, KINGAKU, ZAN) VALUES (1, 1, '2024/04/25', 1, 10000, 10000), "
        "(2, 2, '2024/05/02', 2, 1000, 9000), (3, 3, '2024/06/01', 2, 500, 8500)");
    m_mapping.amountColumn = 2;
    m_mapping.textColumn = 3;
    m_mapping.depositCode = 1;
    m_mapping.withdrawalCode = 2;
    m_target.program = app::Program::Purse;
    m_target.page = 2;
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

}  // namespace
