// Changes taken back and made again: the rows come back as they were, and every balance with them.
// The bank book's undo is shown through its journal window, with the keys a user presses.

#include <functional>

#include "core/ledger/Masters.h"
#include "core/ledger/Pages.h"
#include "core/ledger/Undo.h"
#include "support/TestEnv.h"

using namespace ledger;

namespace {

class UndoTest : public AppTest {
  protected:
    void SetUp() override {
        startPurse("(1,'給料',0),(2,'食費',1)");
        for (const Entry& e : {Entry{1, 1, "2024/04/01", 1, 1000, "a"}, Entry{2, 1, "2024/04/05", 2, 100, "b, \"c\""},
                               Entry{3, 2, "2024/05/01", 2, 10, ""}, Entry{4, 2, "2024/05/02", 1, 5, "d"}})
            ASSERT_TRUE(writeEntry(book(), e).ok);
    }
    // The change `act` makes to the rows of `table` with these codes.
    BookChange change(const char* table, const QList<qint64>& cds, const std::function<bool()>& act) {
        BookChange c = beginChange(book(), table, cds);
        EXPECT_TRUE(act()) << table;
        finishChange(book(), c);
        return c;
    }
    QString journal() {
        return value(
                   "SELECT group_concat(CD||':'||P_CD||':'||K_DATE||':'||K_CD||':'||KINGAKU||':'||BIKO, '|') "
                   "FROM (SELECT * FROM S01 ORDER BY CD)")
            .toString();
    }
};

TEST_F(UndoTest, HouseholdChangesComeBackWithTheirNumbersNotesAndBalances) {
    const QString before = journal();
    // An update that moved the row to another page goes back to its page.
    BookChange c = change("S01", {1}, [this] { return writeEntry(book(), {1, 2, "2024/05/03", 2, 700, "x"}).ok; });
    ASSERT_EQ(undoChange(book(), app::Program::Purse, c), UndoResult::Done);
    EXPECT_EQ(journal(), before);
    EXPECT_EQ(wrongPurseBalances(), QList<qint64>{});

    // A deleted category comes back, and its rows count as income again.
    c = change("T01", {1}, [this] { return Delete_Master(book(), Master::Category, 1); });
    ASSERT_EQ(undoChange(book(), app::Program::Purse, c), UndoResult::Done);
    EXPECT_EQ(value("SELECT NM||KIND FROM T01 WHERE CD=1").toString(), "給料0");
    EXPECT_EQ(wrongPurseBalances(), QList<qint64>{});

    // A range delete, back and made again.
    c = change("S01", codesBetween(book(), "S01", 2, 4), [this] { return deleteEntries(book(), 2, 4).ok; });
    EXPECT_EQ(c.parts[0].before.size(), 3);
    EXPECT_TRUE(c.parts[0].after.isEmpty());
    ASSERT_EQ(undoChange(book(), app::Program::Purse, c), UndoResult::Done);
    EXPECT_EQ(journal(), before);
    EXPECT_EQ(wrongPurseBalances(), QList<qint64>{});
    ASSERT_EQ(redoChange(book(), app::Program::Purse, c), UndoResult::Done);
    EXPECT_EQ(value("SELECT count(*) FROM S01").toInt(), 1);
    EXPECT_EQ(wrongPurseBalances(), QList<qint64>{});
}

TEST_F(UndoTest, ANumberGivenToAnotherRowMeanwhileStopsTheUndoAndWritesNothing) {
    const BookChange c = change("S01", {5}, [this] {
        return writeEntry(book(), {5, 2, "2024/05/09", 2, 1, "first"}).ok;
    });
    // Deleted and written again with the same number: another row now.
    ASSERT_TRUE(deleteEntries(book(), 5, std::nullopt).ok);
    ASSERT_TRUE(writeEntry(book(), {5, 2, "2024/05/09", 2, 2, "second"}).ok);
    const QString now = journal();
    EXPECT_EQ(undoChange(book(), app::Program::Purse, c), UndoResult::Changed);
    EXPECT_EQ(journal(), now);
    // A balance moved by a later change is no reason to refuse.
    const BookChange d = change("S01", {6}, [this] { return writeEntry(book(), {6, 2, "2024/05/20", 1, 50, ""}).ok; });
    ASSERT_TRUE(writeEntry(book(), {7, 1, "2024/04/02", 1, 1, ""}).ok);
    EXPECT_EQ(undoChange(book(), app::Program::Purse, d), UndoResult::Done);
    EXPECT_EQ(wrongPurseBalances(), QList<qint64>{});
}

// A step that wrote a journal row and the row of another table that goes with it (as a posted
// entry and its rule's next date) is taken back and made again whole, or not at all.
TEST_F(UndoTest, AChangeAcrossTwoTablesComesBackWholeOrNotAtAll) {
    sql("CREATE TABLE X01 (CD INTEGER PRIMARY KEY, S_CD INTEGER, N_DATE TEXT)");
    sql("INSERT INTO X01 VALUES (1, 0, '2024/05/25')");
    const QString before = journal();
    BookChange c = beginChange(book(), "S01", {5});
    addToChange(book(), c, "X01", {1});
    ASSERT_TRUE(writeEntry(book(), {5, 2, "2024/05/25", 2, 300, "rent"}).ok);
    sql("UPDATE X01 SET S_CD = 5, N_DATE = '2024/06/25' WHERE CD = 1");
    finishChange(book(), c);
    EXPECT_EQ(c.what, QStringLiteral("更新"));
    EXPECT_EQ(c.rows(), 1) << "the journal row; its rule's row goes with it";

    ASSERT_EQ(undoChange(book(), app::Program::Purse, c), UndoResult::Done);
    EXPECT_EQ(journal(), before);
    EXPECT_EQ(value("SELECT S_CD || N_DATE FROM X01").toString(), QStringLiteral("02024/05/25"));
    EXPECT_EQ(wrongPurseBalances(), QList<qint64>{});
    ASSERT_EQ(redoChange(book(), app::Program::Purse, c), UndoResult::Done);
    EXPECT_EQ(value("SELECT BIKO FROM S01 WHERE CD = 5").toString(), QStringLiteral("rent"));
    EXPECT_EQ(value("SELECT S_CD || N_DATE FROM X01").toString(), QStringLiteral("52024/06/25"));
    EXPECT_EQ(wrongPurseBalances(), QList<qint64>{});

    // The other table's row changed meanwhile: neither part is taken back.
    sql("UPDATE X01 SET N_DATE = '2024/07/25' WHERE CD = 1");
    const QString now = journal();
    EXPECT_EQ(undoChange(book(), app::Program::Purse, c), UndoResult::Changed);
    EXPECT_EQ(journal(), now);
    EXPECT_EQ(value("SELECT N_DATE FROM X01").toString(), QStringLiteral("2024/07/25"));
}

}  // namespace
