// Changes taken back and made again: the rows come back as they were, and every balance with them.

#include "core/ledger/BankBook.h"
#include "core/ledger/Masters.h"
#include "core/ledger/Pages.h"
#include "core/ledger/Undo.h"
#include "support/TestEnv.h"

using namespace ledger;

namespace {

class UndoTest : public AppTest {
  protected:
    void purse() {
        start(app::Program::Purse);
        sql("INSERT INTO T01 (CD,NM,KIND) VALUES (1,'給料',0),(2,'食費',1)");
        for (const Entry& e : {Entry{1, 1, "2024/04/01", 1, 1000, "a"}, Entry{2, 1, "2024/04/05", 2, 100, "b, \"c\""},
                               Entry{3, 2, "2024/05/01", 2, 10, ""}, Entry{4, 2, "2024/05/02", 1, 5, "d"}})
            ASSERT_TRUE(writeEntry(e).ok);
    }
    void bank() {
        start(app::Program::Bank);
        sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'A',0),(2,'B',0)");
        sql("INSERT INTO T02 (CD,NM,KIND) VALUES (1,'給与',0),(2,'家賃',1)");
        int cd = 0;
        for (qint64 b : {1, 2, 1, 2, 1}) {
            JournalEntry e;
            e.cd = ++cd;
            e.date = QStringLiteral("2024/05/%1").arg(cd, 2, 10, QLatin1Char('0'));
            e.bank = b;
            e.item = cd % 2 ? 1 : 2;
            e.amount = 100 * cd;
            e.note = QStringLiteral("n%1").arg(cd);
            ASSERT_TRUE(writeEntry(e).ok);
        }
    }
    QString journal() {
        return value("SELECT group_concat(CD||':'||K_DATE||':'||KINGAKU||':'||BIKO, '|') FROM S01").toString();
    }
};

TEST_F(UndoTest, ARangeDeleteOfTheHouseholdBookComesBackWithItsNumbersAndNotes) {
    purse();
    const QString before = journal();
    BookChange c = beginChange("S01", codesBetween("S01", 2, 4), QStringLiteral("削除"));
    ASSERT_TRUE(deleteEntries(2, 4).ok);
    finishChange(c);
    EXPECT_EQ(c.before.size(), 3);
    EXPECT_TRUE(c.after.isEmpty());
    ASSERT_EQ(undoChange(app::Program::Purse, c), UndoResult::Done);
    EXPECT_EQ(journal(), before);
    EXPECT_EQ(wrongPurseBalances(), QList<qint64>{});
    ASSERT_EQ(redoChange(app::Program::Purse, c), UndoResult::Done);
    EXPECT_EQ(value("SELECT count(*) FROM S01").toInt(), 1);
    EXPECT_EQ(wrongPurseBalances(), QList<qint64>{});
}

TEST_F(UndoTest, AnUpdateMovedToAnotherPageGoesBack) {
    purse();
    BookChange c = beginChange("S01", {1}, QStringLiteral("更新"));
    ASSERT_TRUE(writeEntry({1, 2, "2024/05/03", 2, 700, "x"}).ok);
    finishChange(c);
    ASSERT_EQ(undoChange(app::Program::Purse, c), UndoResult::Done);
    EXPECT_EQ(value("SELECT P_CD||K_DATE||K_CD||KINGAKU||BIKO FROM S01 WHERE CD=1").toString(), "12024/04/0111000a");
    EXPECT_EQ(wrongPurseBalances(), QList<qint64>{});
}

TEST_F(UndoTest, ABankRangeDeleteComesBackAndEveryBankBalanceFollows) {
    bank();
    const QString before = journal();
    BookChange c = beginChange("S01", codesBetween("S01", 2, 4), QStringLiteral("削除"));
    ASSERT_TRUE(deleteRecords(2, 4).ok);
    finishChange(c);
    ASSERT_EQ(undoChange(app::Program::Bank, c), UndoResult::Done);
    EXPECT_EQ(journal(), before);
    EXPECT_EQ(wrongBankBalances(), QList<qint64>{});
    ASSERT_EQ(redoChange(app::Program::Bank, c), UndoResult::Done);
    EXPECT_EQ(value("SELECT count(*) FROM S01").toInt(), 2);
    EXPECT_EQ(wrongBankBalances(), QList<qint64>{});
}

TEST_F(UndoTest, ADeletedCategoryComesBackAndItsRowsCountAsIncomeAgain) {
    purse();
    BookChange c = beginChange("T01", {1}, QStringLiteral("削除"));
    ASSERT_TRUE(Delete_Master(Master::Category, 1));
    finishChange(c);
    ASSERT_EQ(undoChange(app::Program::Purse, c), UndoResult::Done);
    EXPECT_EQ(value("SELECT NM||KIND FROM T01 WHERE CD=1").toString(), "給料0");
    EXPECT_EQ(wrongPurseBalances(), QList<qint64>{});
}

TEST_F(UndoTest, ANumberGivenToAnotherRowMeanwhileStopsTheUndoAndWritesNothing) {
    purse();
    BookChange c = beginChange("S01", {5}, QStringLiteral("追加"));
    ASSERT_TRUE(writeEntry({5, 2, "2024/05/09", 2, 1, "first"}).ok);
    finishChange(c);
    // Deleted and written again with the same number: another row now.
    ASSERT_TRUE(deleteEntries(5, std::nullopt).ok);
    ASSERT_TRUE(writeEntry({5, 2, "2024/05/09", 2, 2, "second"}).ok);
    const QString now = journal();
    EXPECT_EQ(undoChange(app::Program::Purse, c), UndoResult::Changed);
    EXPECT_EQ(journal(), now);
    // A balance moved by a later change is no reason to refuse.
    BookChange d = beginChange("S01", {6}, QStringLiteral("追加"));
    ASSERT_TRUE(writeEntry({6, 2, "2024/05/20", 1, 50, ""}).ok);
    finishChange(d);
    ASSERT_TRUE(writeEntry({7, 1, "2024/04/02", 1, 1, ""}).ok);
    EXPECT_EQ(undoChange(app::Program::Purse, d), UndoResult::Done);
    EXPECT_EQ(wrongPurseBalances(), QList<qint64>{});
}

}  // namespace
