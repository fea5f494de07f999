#include "core/db/Recordset.h"
#include "core/ledger/BankBook.h"
#include "support/TestEnv.h"

using namespace ledger;

namespace {

class BankBookTest : public AppTest {
  protected:
    void SetUp() override {
        startBank("(1, 'A銀行', 5000), (2, 'B銀行', 5000), (3, 'C銀行', 5000)",
                  "(1, '給与', 0), (2, '食費', 1), (3, '雑費', NULL)");
    }
    qint64 zan(qint64 bank) { return value("SELECT ZAN FROM T01 WHERE CD = ?", {bank}).toLongLong(); }
    qint64 count() { return value("SELECT COUNT(*) FROM S01").toLongLong(); }
    static JournalEntry journalEntry(qint64 cd, qint64 bank, qint64 item, qint64 amount) {
        return {cd, QStringLiteral("2024/05/17"), bank, item, amount, QString()};
    }
};

// The typed balance of the masters is replaced by the sum of the bank's rows.
TEST_F(BankBookTest, ANewNumberAddsARowAnExistingOneIsReplacedAndBothBanksFollowAMove) {
    Change c = writeEntry(book(), journalEntry(1, 1, 1, 1000));
    ASSERT_TRUE(c.ok) << c.error.toStdString();
    EXPECT_TRUE(c.inserted);
    EXPECT_EQ(c.zan, 1000);
    c = writeEntry(book(), journalEntry(2, 1, 2, 300));
    EXPECT_EQ(c.zan, 700);
    c = writeEntry(book(), journalEntry(1, 2, 1, 4000));
    ASSERT_TRUE(c.ok);
    EXPECT_FALSE(c.inserted);
    EXPECT_EQ(c.banks, (QList<qint64>{1, 2}));
    EXPECT_EQ(count(), 2);
    EXPECT_EQ(zan(1), -300);
    EXPECT_EQ(zan(2), 4000);
}

TEST_F(BankBookTest, ARowWithAMissingItemOrKindCountsAsAnExpenseAndBlocksNoWrite) {
    addBankEntry(1, "2024/01/01", 1, 1, 1000);
    addBankEntry(2, "2024/01/02", 1, 99, 300);
    addBankEntry(3, "2024/01/03", 2, 98, 300);
    addBankEntry(4, "2024/01/04", 2, 1, 300);

    // The orphan row of bank 1 subtracts, as the journal lists it under 支出; so does an item of no kind.
    Change c = writeEntry(book(), journalEntry(7, 1, 3, 10));
    ASSERT_TRUE(c.ok) << c.error.toStdString();
    EXPECT_EQ(zan(1), 1000 - 300 - 10);
    ASSERT_TRUE(deleteRecords(book(), 4).ok);
    EXPECT_EQ(zan(2), -300);
    // Mending the row's item gives it its own sign.
    ASSERT_TRUE(writeEntry(book(), journalEntry(3, 2, 1, 300)).ok);
    EXPECT_EQ(zan(2), 300);
}

TEST_F(BankBookTest, AMonthOfOneBankInDateOrderWithMissingItemsAsExpense) {
    addBankEntry(1, "2001/02/28", 1, 1, 1000, QStringLiteral("給料"));
    addBankEntry(2, "2001/02/05", 1, 2, 300);
    addBankEntry(7, "2001/02/05", 1, 99, 40);
    sql("INSERT INTO S01 (CD, K_DATE, B_CD, K_CD, KINGAKU, BIKO) VALUES (8, '2001/02/28', 1, 2, NULL, NULL)");

    const BankMonth m = readBankMonth(book(), 1, QStringLiteral("2001/02"));
    ASSERT_TRUE(m.ok) << m.error.toStdString();
    QList<qint64> cds;
    for (const BankMonthRow& r : m.rows) cds << r.cd;
    EXPECT_EQ(cds, (QList<qint64>{2, 7, 1, 8}));

    // Names, amounts and the side of each row are GridModelsTest's, read through the same call.
    EXPECT_TRUE(m.rows[2].income);
    EXPECT_FALSE(m.rows[1].itemKnown || m.rows[1].income);
    EXPECT_FALSE(m.rows[3].amount.has_value());

    // Which dates fall in the month is monthRange's (ConvertTest); other banks are GridModelsTest's.
    EXPECT_TRUE(readBankMonth(book(), 1, QStringLiteral("2001/00")).rows.isEmpty());
    EXPECT_TRUE(readBankMonth(book(), 3, QStringLiteral("2001/02")).rows.isEmpty());
}

TEST_F(BankBookTest, RecordsAreFoundByNumberWithoutReadingTheJournal) {
    EXPECT_EQ(findRecord(book(), 0).status, Lookup::EmptyJournal);
    EXPECT_EQ(findRecord(book(), 5).status, Lookup::EmptyJournal);
    addBankEntry(3, "2024/01/03", 1, 1, 1000, QStringLiteral("memo"));
    sql("INSERT INTO S01 (CD, K_DATE, B_CD, K_CD, KINGAKU, BIKO) VALUES (7, '2023/12/31', 2, 2, 300, NULL)");
    RecordLookup l = findRecord(book(), 0);
    ASSERT_EQ(l.status, Lookup::Found);
    EXPECT_EQ(l.record.cd, 7);  // the highest number, not the latest date
    EXPECT_TRUE(l.record.note.isNull());
    l = findRecord(book(), 3);
    ASSERT_EQ(l.status, Lookup::Found);
    EXPECT_EQ(l.record.date, QStringLiteral("2024/01/03"));
    EXPECT_EQ(l.record.amount.toLongLong(), 1000);
    EXPECT_EQ(findRecord(book(), 4).status, Lookup::NotFound);
    EXPECT_EQ(moveTarget(book(), Move::Previous, 1), 1);
}

}  // namespace
