#include <gtest/gtest.h>

#include <QFile>

#include "core/db/Book.h"
#include "core/db/Database.h"
#include "core/db/Recordset.h"
#include "core/ledger/Balances.h"
#include "support/TestEnv.h"
#include "tools/SampleBook.h"

using namespace db;

class RecordsetTest : public AppTest {
  protected:
    void SetUp() override { start(app::Program::Bank); }
};

TEST_F(RecordsetTest, OpenRsTellsRowsNoRowsAndErrorsApart) {
    Rs rs;
    EXPECT_EQ(Open_Rs(rs, QStringLiteral("SELECT * FROM T01")), kEmpty);
    EXPECT_EQ(rs, nullptr);
    EXPECT_EQ(Open_Rs(rs, QStringLiteral("SELECT * FROM NO_SUCH_TABLE")), kError);
    sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (2,'b',NULL)");
    sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'a',100)");
    ASSERT_EQ(Open_T01(rs), kRows);
    EXPECT_EQ(rs->recordCount(), 2);
    EXPECT_EQ(rs->field(QStringLiteral("CD")).toInt(), 1);
    EXPECT_EQ(rs->field(QStringLiteral("nm")).toString(), QStringLiteral("a"));
    rs->moveNext();
    EXPECT_FALSE(rs->field(QStringLiteral("ZAN")).isValid()) << "Null reads as Null";
    rs->moveNext();
    EXPECT_TRUE(rs->endOfRows());
    EXPECT_FALSE(rs->field(QStringLiteral("CD")).isValid());
    Close_Rs(rs);
    Close_Rs(rs);  // closing twice is harmless
    EXPECT_EQ(rs, nullptr);
}

TEST_F(RecordsetTest, MaxAndMinOfEmptyFilledAndMissingTables) {
    EXPECT_EQ(Get_Max(QStringLiteral("S01"), QStringLiteral("CD")), 0);
    EXPECT_EQ(Get_Min(QStringLiteral("S01"), QStringLiteral("CD")), 0);
    sql("INSERT INTO S01 (CD,K_DATE,B_CD,K_CD,KINGAKU) VALUES (7,'2001/02/05',1,1,10)");
    sql("INSERT INTO S01 (CD,K_DATE,B_CD,K_CD,KINGAKU) VALUES (3,'2001/02/05',1,1,10)");
    EXPECT_EQ(Get_Max(QStringLiteral("S01"), QStringLiteral("CD")), 7);
    EXPECT_EQ(Get_Min(QStringLiteral("S01"), QStringLiteral("CD")), 3);
    EXPECT_EQ(Get_Max(QStringLiteral("NOPE"), QStringLiteral("CD")), -1);
    EXPECT_EQ(Get_Max(QStringLiteral("S01; DROP TABLE S01"), QStringLiteral("CD")), -1);
    EXPECT_EQ(Get_Max(QStringLiteral("S01"), QStringLiteral("CD")), 7);
}

TEST_F(RecordsetTest, SeekFindsAfterAMiss) {
    sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'a',0), (5,'e',0)");
    EXPECT_EQ(session().Seek_T01(5), nullptr) << "nothing read yet";
    session().reopenMasters();
    EXPECT_TRUE(session().flg_T01);
    EXPECT_FALSE(session().flg_T02);
    EXPECT_EQ(session().Seek_T01(3), nullptr);
    ASSERT_NE(session().Seek_T01(5), nullptr);
    EXPECT_EQ(session().Seek_T01(5)->nm, QStringLiteral("e"));
    // The masters are a copy: a change shows after they are read again.
    sql("UPDATE T01 SET NM='f' WHERE CD=5");
    EXPECT_EQ(session().Seek_T01(5)->nm, QStringLiteral("e"));
    session().reopenMasters();
    EXPECT_EQ(session().Seek_T01(5)->nm, QStringLiteral("f"));
}

TEST_F(RecordsetTest, TypedTextWithQuotesIsStoredAsTyped) {
    const QString name = QStringLiteral("O'Reilly's \"bank\"; DROP TABLE T01; --");
    QString error;
    ASSERT_TRUE(execute(QStringLiteral("INSERT INTO T01 (CD,NM,ZAN) values (?,?,?)"), {1, name, 0}, &error));
    EXPECT_EQ(value("SELECT NM FROM T01 WHERE CD=1").toString(), name);
    Rs rs;
    ASSERT_EQ(Open_Rs(rs, QStringLiteral("SELECT * FROM T01 WHERE NM=?"), {name}), kRows);
}

TEST_F(RecordsetTest, TransactionLandsWholeOrNotAtAll) {
    {
        Transaction tx;
        ASSERT_TRUE(tx.ok());
        sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'a',0)");
    }  // not committed
    EXPECT_EQ(value("SELECT count(*) FROM T01").toInt(), 0);
    {
        Transaction outer;
        sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'a',0)");
        {
            Transaction inner;
            sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (2,'b',0)");
        }  // the inner part failed: the whole must not land
        EXPECT_FALSE(outer.commit());
    }
    EXPECT_EQ(value("SELECT count(*) FROM T01").toInt(), 0);
    {
        Transaction tx;
        sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'a',0)");
        EXPECT_TRUE(tx.commit());
    }
    EXPECT_EQ(value("SELECT count(*) FROM T01").toInt(), 1);
}

TEST_F(RecordsetTest, BankBalanceIsTheSignedSumWithAMissingItemAsAnExpense) {
    sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'a',12345), (2,'b',999)");
    sql("INSERT INTO T02 (CD,NM,KIND) VALUES (1,'in',0), (2,'out',1)");
    sql("INSERT INTO S01 (CD,K_DATE,B_CD,K_CD,KINGAKU) VALUES (1,'2001/02/05',1,1,1000), (2,'2001/02/06',1,2,300)");
    auto r = ledger::Recalc_BankZan(1);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.zan, 700);
    EXPECT_EQ(value("SELECT ZAN FROM T01 WHERE CD=1").toLongLong(), 700);
    r = ledger::Recalc_BankZan(2);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(value("SELECT ZAN FROM T01 WHERE CD=2").toLongLong(), 0) << "no rows: 0, whatever was typed";
    // Sums beyond 32 bits do not wrap.
    sql("INSERT INTO S01 (CD,K_DATE,B_CD,K_CD,KINGAKU) VALUES (3,'2001/02/07',1,1,3000000000)");
    EXPECT_EQ(ledger::Recalc_BankZan(1).zan, 3000000700LL);
    sql("INSERT INTO S01 (CD,K_DATE,B_CD,K_CD,KINGAKU) VALUES (9,'2001/02/07',1,7,5)");
    r = ledger::Recalc_BankZan(1);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(value("SELECT ZAN FROM T01 WHERE CD=1").toLongLong(), 3000000695LL);
}

TEST_F(RecordsetTest, MissingOrForeignFilesAreRefusedAndLeftAlone) {
    closeDatabase();
    QString error;
    const QString missing = dir() + QStringLiteral("/absent.mdb");
    EXPECT_FALSE(openDatabase(missing, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("absent.mdb")));
    EXPECT_FALSE(QFile::exists(missing)) << "never created";

    const QString text = dir() + QStringLiteral("/notes.mdb");
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("just some text, not a database\n");
    f.close();
    EXPECT_FALSE(openDatabase(text, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("notes.mdb")));
    QFile g(text);
    ASSERT_TRUE(g.open(QIODevice::ReadOnly));
    EXPECT_EQ(g.readAll(), QByteArray("just some text, not a database\n"));
    EXPECT_FALSE(createBook(app::Program::Bank, text, &error)) << "a book is never replaced";
}

TEST(SampleData, PurseRunningBalancesFollowTheChainAndBankBalancesTheJournal) {
    QTemporaryDir dir;
    QString error;
    for (auto p : {app::Program::Purse, app::Program::Bank}) {
        const QString path = dir.filePath(app::productOf(p).databaseFile);
        ASSERT_TRUE(createBook(p, path, &error)) << error.toStdString();
        ASSERT_TRUE(openDatabase(path, &error));
        ASSERT_TRUE(sample::fillSample(p, 2000, &error)) << error.toStdString();
        if (p == app::Program::Purse) {
            EXPECT_GT(Get_Max(QStringLiteral("S01"), QStringLiteral("P_CD")), 100);
            // ZAN of each row = ZAN of the row before it (page order, then K_DATE, CD) ± its amount.
            const QVariant bad = scalar(QStringLiteral(
                "WITH o AS (SELECT S01.ZAN, CASE WHEN T01.KIND=0 THEN KINGAKU ELSE -KINGAKU END AS d, "
                "LAG(S01.ZAN, 1, 0) OVER (ORDER BY P_CD, K_DATE, S01.CD) AS prev FROM S01 JOIN T01 ON T01.CD=K_CD) "
                "SELECT count(*) FROM o WHERE ZAN <> prev + d"));
            EXPECT_EQ(bad.toInt(), 0);
        } else {
            const QVariant bad = scalar(QStringLiteral(
                "SELECT count(*) FROM T01 WHERE ZAN <> (SELECT COALESCE(SUM(CASE WHEN T02.KIND=0 THEN KINGAKU "
                "ELSE -KINGAKU END),0) FROM S01 JOIN T02 ON T02.CD=K_CD WHERE B_CD=T01.CD)"));
            EXPECT_EQ(bad.toInt(), 0);
        }
        closeDatabase();
    }
}
