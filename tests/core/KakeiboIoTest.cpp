#include <QLockFile>

#include "core/db/Book.h"
#include "core/io/Csv.h"
#include "support/TestEnv.h"
#include "tools/KakeiboIo.h"

namespace {

// The subcommands open the book themselves: the session gives it back first.
class KakeiboIoTest : public AppTest {
  protected:
    void SetUp() override {
        startBank("(1, 'A銀行', 0)", "(1, '給与', 0), (2, '食費', 1)");
        session().closeBook();
        m_book = session().databasePath();
    }
    QString write(const QString& name, const QByteArray& bytes) {
        EXPECT_TRUE(writeFile(dir() + QLatin1Char('/') + name, bytes));
        return dir() + QLatin1Char('/') + name;
    }
    qint64 rows() {
        QString error;
        EXPECT_TRUE(session().openBook(m_book, &error));
        const qint64 n = value("SELECT COUNT(*) FROM S01").toLongLong();
        session().closeBook();
        return n;
    }
    // The journal as "date|code|amount|note", in record number order.
    QString booked() {
        QString error;
        EXPECT_TRUE(session().openBook(m_book, &error));
        const QString rows = value(
                                 "SELECT group_concat(x, ';') FROM (SELECT K_DATE || '|' || K_CD || '|' || KINGAKU "
                                 "|| '|' || BIKO AS x FROM S01 ORDER BY CD)")
                                 .toString();
        session().closeBook();
        return rows;
    }
    QString m_book;
};

TEST_F(KakeiboIoTest, ImportReusesItsProfileAndExportGoesBackOnlyIntoAnEmptyJournal) {
    const QString csv = write("may.csv", io::encodeShiftJis(QStringLiteral("日付,摘要,入金,出金\n"
                                                                           "R6.5.1,スーパー,,\"1,200\"\n"
                                                                           "R6.5.25,給与,\"250,000\",\n")));
    const QStringList mapping{"--encoding", "sjis", "--skip",    "1", "--date-col", "1", "--text-col", "2",
                              "--in-col",   "3",    "--out-col", "4", "--item-in",  "1", "--item-out", "2"};
    EXPECT_EQ(runImport(QStringList{m_book, csv, "--bank", "1", "--profile", "A明細", "--dry-run"} + mapping), 0);
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(runImport({m_book, csv, "--bank", "1", "--profile", "A明細"}), 0);
    EXPECT_EQ(rows(), 2);
    // Again: duplicates only, nothing added, still a success.
    EXPECT_EQ(runImport({m_book, csv, "--bank", "1", "--profile", "A明細"}), 0);
    EXPECT_EQ(rows(), 2);

    const QString bad = write("bad.csv", QStringLiteral("2024/06/01,x,,100\n2024/06/02,y,,1O0\n").toUtf8());
    EXPECT_EQ(runImport({m_book, bad, "--bank", "1", "--profile", "A明細", "--skip", "0", "--encoding", "utf8"}), 1);
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(runImport({m_book, csv, "--page", "1", "--profile", "A明細"}), 2);  // a bank book
    EXPECT_EQ(runImport({m_book, csv, "--bank", "1", "--profile", "ないもの"}), 2);
    EXPECT_EQ(runImport({m_book, dir() + "/missing.csv", "--bank", "1", "--profile", "A明細"}), 2);

    EXPECT_EQ(runImport({m_book, write("s.csv", "2024/05/01,-300,note\n"), "--bank", "1", "--amount-col", "2",
                         "--text-col", "3", "--item-in", "1", "--item-out", "2"}),
              0);
    const QString out = dir() + "/journal.csv";
    EXPECT_EQ(runExport({m_book, "--table", "journal", "--out", out, "--encoding", "sjis"}), 0);
    EXPECT_EQ(runExport({m_book, "--table", "masters", "--out", dir() + "/m.csv"}), 0);
    EXPECT_EQ(runExport({m_book, "--table", "journal", "--from", "2024/13"}), 2);
    EXPECT_EQ(runSearch({m_book, "note"}), 0);
    // The own export goes only into an empty journal (exit 1); a masters file is no journal (exit 2).
    EXPECT_EQ(runImport({m_book, out, "--table", "journal"}), 1);
    EXPECT_EQ(runImport({m_book, dir() + "/m.csv", "--table", "journal"}), 2);

    // While a program holds the book, nothing opens it.
    QLockFile holder(m_book + ".lock");
    ASSERT_TRUE(holder.tryLock(0));
    EXPECT_EQ(runExport({m_book, "--table", "journal"}), 2);
    EXPECT_EQ(runSearch({m_book, "note"}), 2);
    holder.unlock();
    EXPECT_EQ(runSearch({"--help"}), 0);
    EXPECT_EQ(runSearch({m_book}), 2);
}

// A card statement: a card holder's line, two purchases, a refund and a total line.
const char* const kCard =
    "ご利用日,ご利用店名,ご利用者,支払区分,ご利用金額,お支払金額,備考\r\n"
    ",山田 太郎 様,,,,,\r\n"
    "2024/05/03,ｱﾏｿﾞﾝ,本人,1回,\"1,980\",\"1,980\",\r\n"
    "2024/05/03,ｱﾏｿﾞﾝ,本人,1回,\"1,980\",\"1,980\",\r\n"
    "2024/05/08,ｱﾏｿﾞﾝ 返品,本人,1回,-500,-500,\r\n"
    ",合計,,,\"3,460\",,\r\n";

TEST_F(KakeiboIoTest, NegateBooksCardPurchasesAsExpenseAndTheRefundAsIncome) {
    const QString csv = write("card.csv", io::encodeShiftJis(QString::fromUtf8(kCard)));
    const QStringList columns{"--skip",    "1", "--amount-col", "5", "--text-col", "2,3",
                              "--item-in", "1", "--item-out",   "2"};
    EXPECT_EQ(runImport(QStringList{m_book, csv, "--bank", "1", "--negate"} + columns), 0);
    EXPECT_EQ(booked(), QStringLiteral("2024/05/03|2|1980|ｱﾏｿﾞﾝ 本人;2024/05/03|2|1980|ｱﾏｿﾞﾝ 本人;"
                                       "2024/05/08|1|500|ｱﾏｿﾞﾝ 返品 本人"));
    EXPECT_EQ(runImport({"--list-profiles"}), 0);
}

TEST_F(KakeiboIoTest, SkipConditionsLeaveOutAHouseholdAppsTransfersAndUncountedRows) {
    const QString csv =
        write("mf.csv", io::encodeShiftJis(QStringLiteral("計算対象,日付,内容,金額（円）,保有金融機関,振替\r\n"
                                                          "1,2024/05/20,ｺﾝﾋﾞﾆ,-580,A銀行,0\r\n"
                                                          "1,2024/05/26,カード引き落とし,-30000,A銀行,1\r\n"
                                                          "0,2024/05/27,立替,-2000,現金,0\r\n"
                                                          "1,2024/05/28 10:00,給与,250000,A銀行,0\r\n")));
    EXPECT_EQ(runImport({m_book,         csv, "--bank",     "1", "--skip",    "1",      "--date-col", "2",
                         "--amount-col", "4", "--text-col", "3", "--skip-if", "振替=1", "--skip-if",  "計算対象=0",
                         "--item-in",    "1", "--item-out", "2"}),
              0);
    EXPECT_EQ(booked(), QStringLiteral("2024/05/20|2|580|ｺﾝﾋﾞﾆ;2024/05/28|1|250000|給与"));
    // A condition's column must be in the header.
    EXPECT_EQ(runImport({m_book, csv, "--bank", "1", "--skip", "1", "--date-col", "2", "--amount-col", "4", "--skip-if",
                         "メモ=1", "--item-in", "1", "--item-out", "2"}),
              2);
}

class KakeiboIoPurseTest : public KakeiboIoTest {
  protected:
    void SetUp() override {
        startPurse("(1, '小遣い', 0), (2, '買い物', 1)");
        session().closeBook();
        m_book = session().databasePath();
    }
};

TEST_F(KakeiboIoPurseTest, TheCardProfileBooksPurchasesAsExpenseOnTheHouseholdPage) {
    const QString csv = write("card.csv", io::encodeShiftJis(QString::fromUtf8(kCard)));
    EXPECT_EQ(runImport({m_book, csv, "--page", "1", "--profile", "card", "--category-in", "1", "--category-out", "2"}),
              0);
    EXPECT_EQ(booked(), QStringLiteral("2024/05/03|2|1980|ｱﾏｿﾞﾝ;2024/05/03|2|1980|ｱﾏｿﾞﾝ;2024/05/08|1|500|ｱﾏｿﾞﾝ 返品"));
}

}  // namespace
