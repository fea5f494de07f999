#include "core/db/Book.h"
#include "core/db/Recordset.h"
#include "core/ledger/Balances.h"
#include "support/TestEnv.h"

using namespace db;

class RecordsetTest : public AppTest {
  protected:
    void SetUp() override { start(app::Program::Bank); }
};

TEST_F(RecordsetTest, OpenRsTellsRowsNoRowsAndErrorsApart) {
    Rs rs;
    EXPECT_EQ(Open_Rs(book(), rs, QStringLiteral("SELECT * FROM T01")), kEmpty);
    EXPECT_EQ(rs, nullptr);
    EXPECT_EQ(Open_Rs(book(), rs, QStringLiteral("SELECT * FROM NO_SUCH_TABLE")), kError);
    sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (2,'b',NULL), (1,'a',100)");
    ASSERT_EQ(Open_T01(book(), rs), kRows);
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
    EXPECT_EQ(Get_Max(book(), QStringLiteral("S01"), QStringLiteral("CD")), 0);
    EXPECT_EQ(Get_Min(book(), QStringLiteral("S01"), QStringLiteral("CD")), 0);
    sql("INSERT INTO S01 (CD,K_DATE,B_CD,K_CD,KINGAKU) VALUES (7,'2001/02/05',1,1,10), (3,'2001/02/05',1,1,10)");
    EXPECT_EQ(Get_Max(book(), QStringLiteral("S01"), QStringLiteral("CD")), 7);
    EXPECT_EQ(Get_Min(book(), QStringLiteral("S01"), QStringLiteral("CD")), 3);
    EXPECT_EQ(Get_Max(book(), QStringLiteral("NOPE"), QStringLiteral("CD")), -1);
    EXPECT_EQ(Get_Max(book(), QStringLiteral("S01; DROP TABLE S01"), QStringLiteral("CD")), -1);
    EXPECT_EQ(Get_Max(book(), QStringLiteral("S01"), QStringLiteral("CD")), 7);
}

TEST_F(RecordsetTest, SeekFindsAfterAMiss) {
    sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'a',0), (5,'e',0)");
    EXPECT_EQ(session().Seek_T01(5), nullptr) << "nothing read yet";
    session().reopenMasters();
    EXPECT_EQ(session().Seek_T01(3), nullptr);
    ASSERT_NE(session().Seek_T01(5), nullptr);
    EXPECT_EQ(session().Seek_T01(5)->nm, QStringLiteral("e"));
    // The masters are a copy: a change shows after they are read again.
    sql("UPDATE T01 SET NM='f' WHERE CD=5");
    EXPECT_EQ(session().Seek_T01(5)->nm, QStringLiteral("e"));
    session().reopenMasters();
    EXPECT_EQ(session().Seek_T01(5)->nm, QStringLiteral("f"));
}

TEST_F(RecordsetTest, TransactionLandsWholeOrNotAtAll) {
    {
        Transaction tx(book());
        ASSERT_TRUE(tx.ok());
        sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'a',0)");
    }  // not committed
    EXPECT_EQ(value("SELECT count(*) FROM T01").toInt(), 0);
    {
        Transaction outer(book());
        sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'a',0)");
        {
            Transaction inner(book());
            sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (2,'b',0)");
        }  // the inner part failed: the whole must not land
        EXPECT_FALSE(outer.commit());
    }
    EXPECT_EQ(value("SELECT count(*) FROM T01").toInt(), 0);
    {
        Transaction tx(book());
        sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'a',0)");
        EXPECT_TRUE(tx.commit());
    }
    EXPECT_EQ(value("SELECT count(*) FROM T01").toInt(), 1);
}

// A row whose item is missing subtracts (BankJournalTest's F8 and BankBookTest show it).
TEST_F(RecordsetTest, BankBalanceIsTheSignedSumOfItsOwnRowsBeyondThirtyTwoBits) {
    sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'a',12345), (2,'b',999)");
    sql("INSERT INTO T02 (CD,NM,KIND) VALUES (1,'in',0), (2,'out',1)");
    sql("INSERT INTO S01 (CD,K_DATE,B_CD,K_CD,KINGAKU) VALUES (1,'2001/02/05',1,1,1000), (2,'2001/02/06',1,2,300),"
        "(3,'2001/02/07',1,1,3000000000)");
    const auto r = ledger::Recalc_BankZan(book(), 1);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.zan, 3000000700LL);
    EXPECT_EQ(value("SELECT ZAN FROM T01 WHERE CD=1").toLongLong(), 3000000700LL);
    EXPECT_TRUE(ledger::Recalc_BankZan(book(), 2).ok);
    EXPECT_EQ(value("SELECT ZAN FROM T01 WHERE CD=2").toLongLong(), 0) << "no rows: 0, whatever was typed";
}
