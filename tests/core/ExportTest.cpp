#include <sys/stat.h>

#include <QFile>

#include "core/db/Book.h"
#include "core/io/Export.h"
#include "core/io/Import.h"
#include "core/ledger/Totals.h"
#include "support/TestEnv.h"

using namespace io;

namespace {

// Notes a CSV writer or a spreadsheet trips over: separators, quotes, line ends, formulas.
const char* const kNotes =
    "('comma, here'), ('quote \"x\" and \"\"'), ('line1' || char(10) || 'line2'), "
    "('crlf' || char(13, 10) || 'end'), (NULL), (''), ('  padded  '), ('～－①'), "
    "('=HYPERLINK(\"http://x\",\"y\")'), ('+cmd'), ('@SUM(1+1)'), ('-2+3'), ('''quoted'), (''''), "
    "(char(9) || 'tab'), (char(13) || 'cr')";

class ExportTest : public AppTest {
  protected:
    // A temporary table N of those notes (T), for a journal to take them from.
    void notesTable() {
        sql("CREATE TEMP TABLE N (T TEXT)");
        sql(QStringLiteral("INSERT INTO N VALUES %1").arg(kNotes));
    }
    // Every row of the program's tables with each value's type (quote() tells 5, 5.0 and '5'
    // apart), in code order.
    QStringList dump(app::Program p) {
        const QStringList tables =
            p == app::Program::Bank
                ? QStringList{"T01 (CD, NM, ZAN)", "T02 (CD, NM, KIND)", "S01 (CD, K_DATE, B_CD, K_CD, KINGAKU, BIKO)"}
                : QStringList{"T01 (CD, NM, KIND)", "S01 (CD, P_CD, K_DATE, K_CD, KINGAKU, ZAN, BIKO)"};
        QStringList dump;
        for (const QString& t : tables) {
            const QString row = QStringLiteral("quote") + QString(t).remove(0, 4).replace(", ", ")||'|'||quote(");
            dump << value("SELECT group_concat(r, char(10)) FROM (SELECT " + row + " AS r FROM " + t.left(3) +
                          " ORDER BY CD)")
                        .toString();
        }
        return dump;
    }
    // Exports masters and journal, reads them into a new empty book, and compares every row.
    void roundTrip(app::Program p, Encoding encoding) {
        const ExportOptions options{encoding, true};
        const QString masters = dir() + QStringLiteral("/masters.csv");
        const QString journal = dir() + QStringLiteral("/journal.csv");
        const ExportReport m = writeTable(mastersTable(book(), p), masters, options);
        ASSERT_TRUE(m.ok) << m.lines().join('\n').toStdString();
        const ExportReport j = writeTable(journalTable(book(), p), journal, options);
        ASSERT_TRUE(j.ok) << j.lines().join('\n').toStdString();
        const QStringList before = dump(p);

        session().closeBook();
        const QString second = dir() + QStringLiteral("/second/") + app::productOf(p).databaseFile;
        QString error;
        ASSERT_TRUE(db::createBook(p, second, &error)) << error.toStdString();
        ASSERT_TRUE(session().openBook(second, &error)) << error.toStdString();
        // The journal refers to the masters; either order reads, masters first as a person would.
        ImportReport r = importOwnExport(book(), p, OwnTable::Masters, masters);
        ASSERT_TRUE(r.ok) << r.lines().join('\n').toStdString();
        r = importOwnExport(book(), p, OwnTable::Journal, journal);
        ASSERT_TRUE(r.ok) << r.lines().join('\n').toStdString();
        EXPECT_EQ(r.added, j.rows);
        const QStringList after = dump(p);
        for (int t = 0; t < before.size(); ++t)
            EXPECT_EQ(after.value(t).toStdString(), before[t].toStdString()) << "table " << t;
    }
};

TEST_F(ExportTest, BankBookRoundTripIsIdentical) {
    startBank("(1, 'A銀行, \"本店\"', 12345), (2, NULL, NULL), (3, '', -5)",
              "(1, '給与', 0), (2, '食費', 1), (3, 'なし', NULL), (4, '二', 2)");
    notesTable();
    sql("INSERT INTO S01 (K_DATE, B_CD, K_CD, KINGAKU, BIKO) SELECT '2024/05/' || printf('%02d', rowid), "
        "1 + rowid % 2, 1 + rowid % 4, rowid * 1000, T FROM N");
    sql("INSERT INTO S01 (CD, K_DATE, B_CD, K_CD, KINGAKU, BIKO) VALUES (100, '2024/06/01', 3, 99, 12.5, 'x'), "
        "(101, '2024/06/02', 1, 2, NULL, NULL), (102, '2024/06/03', NULL, NULL, 'abc', NULL)");
    roundTrip(app::Program::Bank, Encoding::ShiftJis);
}

TEST_F(ExportTest, HouseholdBookRoundTripIsIdentical) {
    startPurse("(1, '小遣い', 0), (2, '食費, 雑貨', 1), (3, '\"引用\"', 2)");
    notesTable();
    // The stored balances are kept as they are, right or not.
    sql("INSERT INTO S01 (CD, P_CD, K_DATE, K_CD, KINGAKU, ZAN, BIKO) SELECT rowid * 3, 1 + rowid / 4, "
        "'2024/0' || (1 + rowid / 4) || '/1' || rowid, 1 + rowid % 3, rowid * 100, rowid * 7, T FROM N");
    sql("INSERT INTO S01 (CD, P_CD, K_DATE, K_CD, KINGAKU, ZAN, BIKO) VALUES (50, 3, '2024/03/31', 9, 1.25, NULL, "
        "'x😀')");
    roundTrip(app::Program::Purse, Encoding::Utf8);
}

// A text that a spreadsheet would run gets one ' by its column; numbers never, even negative.
TEST_F(ExportTest, FormulaLikeTextGetsOneQuoteByItsColumnUnlessRaw) {
    startPurse("(1, '=給料', 0), (2, '食費', 1)");
    sql("INSERT INTO S01 (CD, P_CD, K_DATE, K_CD, KINGAKU, ZAN, BIKO) VALUES "
        "(1, 1, '2024/05/01', 2, 500, -500, '=HYPERLINK(\"http://x\",\"y\")'), "
        "(2, 1, '2024/05/02', 1, -7, -507, 'plain -1'), (3, 1, '2024/05/03', 2, 1, -508, '''x')");
    const QString journal = QString::fromUtf8(encodeTable(journalTable(book(), app::Program::Purse), {}, nullptr));
    EXPECT_TRUE(journal.contains(QStringLiteral(",\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\"\r\n")))
        << journal.toStdString();
    EXPECT_TRUE(journal.contains(QStringLiteral(",食費,,500,-500,")) &&
                journal.contains(QStringLiteral(",-7,,-507,plain -1")))
        << journal.toStdString();
    EXPECT_TRUE(journal.contains(QStringLiteral(",''x\r\n")));
    EXPECT_TRUE(journal.contains(QStringLiteral(",'=給料,")));
    const QString masters = QString::fromUtf8(encodeTable(mastersTable(book(), app::Program::Purse), {}, nullptr));
    EXPECT_TRUE(masters.contains(QStringLiteral("科目,1,'=給料,0,"))) << masters.toStdString();

    ExportOptions raw;
    raw.raw = true;
    const QString plain = QString::fromUtf8(encodeTable(journalTable(book(), app::Program::Purse), raw, nullptr));
    EXPECT_TRUE(plain.contains(QStringLiteral(",\"=HYPERLINK(")) && plain.contains(QStringLiteral(",'x\r\n")));
    // A grid's export guards the columns its model calls text, and only those.
    const ExportTable grid = gridTable({"a", "b"}, {{"-1", "-1"}, {"@x", "@x"}}, QSet<int>{1});
    EXPECT_EQ(QString::fromUtf8(encodeTable(grid, {Encoding::Utf8, false}, nullptr)),
              QStringLiteral("a,b\r\n-1,'-1\r\n@x,'@x\r\n"));

    // Read back raw, the quote stays: --raw is for both sides together.
    const QString path = dir() + QStringLiteral("/journal.csv");
    ASSERT_TRUE(writeTable(journalTable(book(), app::Program::Purse), path).ok);
    sql("DELETE FROM S01");
    ASSERT_TRUE(importOwnExport(book(), app::Program::Purse, OwnTable::Journal, path, std::nullopt, true).ok);
    EXPECT_EQ(value("SELECT BIKO FROM S01 WHERE CD=3").toString(), QStringLiteral("''x"));
}

TEST_F(ExportTest, FilesAreOwnerOnlyAndOddValuesAreNamed) {
    startBank("(1, 'A銀行', 0)", "(1, '給与', 0), (2, '食費', 1)");
    sql("INSERT INTO S01 (CD, K_DATE, B_CD, K_CD, KINGAKU, BIKO) VALUES (1, '2024/04/30', 1, 1, 300000, NULL), "
        "(2, '2024/05/01', 1, 2, 12.5, '絵文字😀'), (3, '2024/05/31', 1, 2, 800, NULL), (4, '2024/06/01', 1, 2, 1, "
        "NULL)");

    const ExportTable may =
        journalTable(book(), app::Program::Bank, {QStringLiteral("2024/05"), QStringLiteral("2024/05")});
    ASSERT_TRUE(may.ok);
    ASSERT_EQ(may.dataRows(), 2);
    EXPECT_EQ(may.csv.rows[1], (QStringList{"2", "2024/05/01", "1", "A銀行", "2", "食費", "", "12.5", "絵文字😀"}));
    ASSERT_EQ(may.problems.size(), 1);
    EXPECT_EQ(may.problems[0].row, 2);
    EXPECT_EQ(may.problems[0].column, 8);
    EXPECT_TRUE(may.problems[0].message.contains(QStringLiteral("12.5")));

    // An existing readable file is replaced by one its owner alone reads.
    const QString path = dir() + QStringLiteral("/out.csv");
    ASSERT_TRUE(writeFile(path, "old"));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    const ExportReport r = writeTable(may, path);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_TRUE(r.hasFindings());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(ExportTest, TotalsOfASpanAddUpItsMonthsAndYears) {
    startPurse("(1, '小遣い', 0), (2, '食費', 1)");
    // Rows from November 2022 to February 2024: months, a whole year, and months again.
    sql("WITH RECURSIVE m(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM m WHERE i < 15) "
        "INSERT INTO S01 (CD, P_CD, K_DATE, K_CD, KINGAKU, ZAN) SELECT 2 * i + 1, i + 1, "
        "strftime('%Y/%m/05', '2022-11-01', '+' || i || ' months'), 1, 1000 + i, 0 FROM m UNION ALL "
        "SELECT 2 * i + 2, i + 1, strftime('%Y/%m/20', '2022-11-01', '+' || i || ' months'), 2, 10 * i, 0 FROM m");
    const ExportTable t =
        totalsTable(book(), app::Program::Purse, {QStringLiteral("2022/12"), QStringLiteral("2024/01")});
    ASSERT_TRUE(t.ok) << t.error.toStdString();
    ASSERT_EQ(t.dataRows(), 3);
    // Months 1 to 14 of the rows: 1000 + i and 10 * i each.
    EXPECT_EQ(t.csv.rows[1], (QStringList{"1", "小遣い", "収入", "14", "14105", "1007"}));
    EXPECT_EQ(t.csv.rows[2][4], QStringLiteral("-1050"));
    EXPECT_EQ(t.csv.rows[3][1], QStringLiteral("合計"));
    EXPECT_EQ(t.csv.rows[3][4], QStringLiteral("13055"));
    // A single month is what the totals window shows for it.
    const ExportTable one =
        totalsTable(book(), app::Program::Purse, {QStringLiteral("2023/03"), QStringLiteral("2023/03")});
    const ledger::TotalsTable window = ledger::periodTotals(book(), app::Program::Purse, 0, {0, 2023, 3});
    EXPECT_EQ(one.csv.rows.last()[4], QString::number(window.grandTotal));
}

}  // namespace
