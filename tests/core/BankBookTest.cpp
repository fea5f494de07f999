#include "core/db/Recordset.h"
#include "core/ledger/BankBook.h"
#include "support/TestEnv.h"

using namespace ledger;

namespace {

class BankBookTest : public AppTest {
  protected:
    void SetUp() override {
        start(app::Program::Bank);
        sql("INSERT INTO T01 (CD, NM, ZAN) VALUES (1, 'A銀行', 5000), (2, 'B銀行', 5000), (3, 'C銀行', 5000)");
        sql("INSERT INTO T02 (CD, NM, KIND) VALUES (1, '給与', 0), (2, '食費', 1), (3, '雑費', NULL)");
    }
    qint64 zan(qint64 bank) { return value("SELECT ZAN FROM T01 WHERE CD = ?", {bank}).toLongLong(); }
    qint64 count() { return value("SELECT COUNT(*) FROM S01").toLongLong(); }
    static JournalEntry journalEntry(qint64 cd, qint64 bank, qint64 item, qint64 amount, const QString& note = {}) {
        JournalEntry e;
        e.cd = cd;
        e.date = QStringLiteral("2024/05/17");
        e.bank = bank;
        e.item = item;
        e.amount = amount;
        e.note = note;
        return e;
    }
};

TEST_F(BankBookTest, ANewNumberAddsARowAndTheBankFollows) {
    Change c = writeEntry(journalEntry(1, 1, 1, 1000));
    ASSERT_TRUE(c.ok) << c.error.toStdString();
    EXPECT_TRUE(c.inserted);
    EXPECT_EQ(c.zan, 1000);
    c = writeEntry(journalEntry(2, 1, 2, 300, QStringLiteral("O'Brien's")));
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.zan, 700);
    EXPECT_EQ(zan(1), 700);
    EXPECT_EQ(value("SELECT BIKO FROM S01 WHERE CD = 2").toString(), QStringLiteral("O'Brien's"));
}

TEST_F(BankBookTest, AnExistingNumberIsReplacedAndBothBanksFollowAMove) {
    ASSERT_TRUE(writeEntry(journalEntry(1, 1, 1, 1000)).ok);
    ASSERT_TRUE(writeEntry(journalEntry(2, 1, 2, 300)).ok);
    const Change c = writeEntry(journalEntry(1, 2, 1, 4000));
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
    Change c = writeEntry(journalEntry(7, 1, 3, 10));
    ASSERT_TRUE(c.ok) << c.error.toStdString();
    EXPECT_EQ(zan(1), 1000 - 300 - 10);
    ASSERT_TRUE(deleteRecords(4).ok);
    EXPECT_EQ(zan(2), -300);
    // Mending the row's item gives it its own sign.
    ASSERT_TRUE(writeEntry(journalEntry(3, 2, 1, 300)).ok);
    EXPECT_EQ(zan(2), 300);
}

TEST_F(BankBookTest, AMonthOfOneBankInDateOrderWithMissingItemsAsExpense) {
    addBankEntry(1, "2001/02/28", 1, 1, 1000, QStringLiteral("給料"));
    addBankEntry(2, "2001/02/05", 1, 2, 300);
    addBankEntry(3, "2001/2/5", 1, 2, 1);
    addBankEntry(4, "2001/03/01", 1, 2, 1);
    addBankEntry(5, "2001/01/31", 1, 2, 1);
    addBankEntry(6, "2001/02/10", 2, 2, 1);
    addBankEntry(7, "2001/02/05", 1, 99, 40);
    sql("INSERT INTO S01 (CD, K_DATE, B_CD, K_CD, KINGAKU, BIKO) VALUES (8, '2001/02/28', 1, 2, NULL, NULL)");

    const BankMonth m = readBankMonth(1, QStringLiteral("2001/02"));
    ASSERT_TRUE(m.ok) << m.error.toStdString();
    QList<qint64> cds;
    for (const BankMonthRow& r : m.rows) cds << r.cd;
    EXPECT_EQ(cds, (QList<qint64>{2, 7, 1, 8}));

    const BankMonthRow& income = m.rows[2];
    EXPECT_TRUE(income.income);
    EXPECT_EQ(income.itemName, QStringLiteral("給与"));
    EXPECT_EQ(income.amount, 1000);
    const BankMonthRow& missing = m.rows[1];
    EXPECT_FALSE(missing.itemKnown);
    EXPECT_FALSE(missing.income);
    EXPECT_TRUE(missing.itemName.isEmpty());
    EXPECT_EQ(missing.amount, 40);
    EXPECT_FALSE(m.rows[3].amount.has_value());

    EXPECT_TRUE(readBankMonth(1, QStringLiteral("2001/00")).rows.isEmpty());
    EXPECT_TRUE(readBankMonth(3, QStringLiteral("2001/02")).rows.isEmpty());
}

TEST_F(BankBookTest, RecordsAreFoundByNumberWithoutReadingTheJournal) {
    EXPECT_EQ(findRecord(0).status, Lookup::EmptyJournal);
    EXPECT_EQ(findRecord(5).status, Lookup::EmptyJournal);
    addBankEntry(3, "2024/01/03", 1, 1, 1000, QStringLiteral("memo"));
    sql("INSERT INTO S01 (CD, K_DATE, B_CD, K_CD, KINGAKU, BIKO) VALUES (7, '2023/12/31', 2, 2, 300, NULL)");
    RecordLookup l = findRecord(0);
    ASSERT_EQ(l.status, Lookup::Found);
    EXPECT_EQ(l.record.cd, 7);  // the highest number, not the latest date
    EXPECT_TRUE(l.record.note.isNull());
    l = findRecord(3);
    ASSERT_EQ(l.status, Lookup::Found);
    EXPECT_EQ(l.record.date, QStringLiteral("2024/01/03"));
    EXPECT_EQ(l.record.amount.toLongLong(), 1000);
    EXPECT_EQ(findRecord(4).status, Lookup::NotFound);
    EXPECT_EQ(moveTarget(Move::Previous, 1), 1);
}

}  // namespace
