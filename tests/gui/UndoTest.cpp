#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "bank/BankJournal.h"
#include "bank/BankWindows.h"
#include "purse/PurseJournal.h"
#include "support/TestEnv.h"
#include "ui/care/BookUndo.h"
#include "ui/shell/Grid.h"

// Undo and redo as the user reaches them: Ctrl+Z and Ctrl+Shift+Z in the windows.
namespace {

class WindowUndoTest : public AppTest {
  protected:
    void startBank() {
        start(app::Program::Bank);
        // Each bank's balance is that of its rows: A 5000 - 300 - 7, B 1000 - 40.
        sql("INSERT INTO T01 (CD, NM, ZAN) VALUES (1, 'A銀行', 4693), (2, 'B銀行', 960)");
        sql("INSERT INTO T02 (CD, NM, KIND) VALUES (1, '給与', 0), (2, '食費', 1)");
        sql("INSERT INTO S01 (CD, K_DATE, B_CD, K_CD, KINGAKU, BIKO) VALUES (1, '2024/05/01', 1, 1, 5000, 'メモ1'), "
            "(2, '2024/05/02', 1, 2, 300, 'メモ2'), (3, '2024/05/03', 2, 1, 1000, 'メモ3'), "
            "(4, '2024/05/04', 2, 2, 40, 'メモ4'), (5, '2024/05/05', 1, 2, 7, 'メモ5')");
        session().reopenMasters();
        undo = std::make_unique<ui::BookUndo>(session());
        journal = shown(new bank::form_S0101(session()));
    }
    QLineEdit* box(const char* name) { return journal->findChild<QLineEdit*>(QLatin1String(name)); }
    void deleteRange(const QString& from, const QString& to) {
        press(QApplication::focusWidget(), Qt::Key_F2);
        typeEnter(box("txt_cd2_0"), from);
        typeEnter(box("txt_cd2_1"), to);
    }
    QString journalRows() {
        return value("SELECT group_concat(CD || ':' || BIKO, ',') FROM (SELECT CD, BIKO FROM S01 ORDER BY CD)")
            .toString();
    }
    void undoKey(QWidget* w = nullptr) { press(w ? w : QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier); }
    void redoKey(QWidget* w) { press(w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); }

    std::unique_ptr<ui::BookUndo> undo;
    bank::form_S0101* journal = nullptr;
};

// Records 3 to 5 are deleted, taken back and deleted again while bank A (records 1, 2, 5) is listed.
TEST_F(WindowUndoTest, ARangeDeleteComesBackWithCtrlZAndGoesAgainWithCtrlShiftZ) {
    startBank();
    const QString all = journalRows();
    deleteRange(QStringLiteral("3"), QStringLiteral("5"));
    ASSERT_EQ(journalRows(), QStringLiteral("1:メモ1,2:メモ2"));
    press(QApplication::focusWidget(), Qt::Key_F1);
    typeEnter(box("txt_b_cd"), QStringLiteral("1"));
    ASSERT_EQ(box("txt_rec_no")->text(), QStringLiteral("3"));
    auto* grid = child<ui::FlexGrid>(journal, "grd_S01");
    auto* zan = child<QLabel>(journal, "lbl_zan");
    ASSERT_EQ(grid->rows(), 3);
    ASSERT_EQ(zan->text(), QStringLiteral("4700"));
    messages().takeStatuses();

    undoKey(grid);
    EXPECT_EQ(journalRows(), all);
    EXPECT_TRUE(wrongBankBalances().isEmpty());
    EXPECT_EQ(messages().takeStatuses(), QStringList{QStringLiteral("削除を元に戻しました: 3件")});
    EXPECT_EQ(grid->rows(), 4) << "the shown bank's rows follow the undo";
    EXPECT_EQ(zan->text(), QStringLiteral("4693"));
    // 入力 now adds a row instead of writing over record 3, which is back.
    EXPECT_EQ(box("txt_rec_no")->text(), QStringLiteral("6"));

    redoKey(grid);
    EXPECT_EQ(journalRows(), QStringLiteral("1:メモ1,2:メモ2"));
    EXPECT_TRUE(wrongBankBalances().isEmpty());
    EXPECT_EQ(messages().takeStatuses(), QStringList{QStringLiteral("削除をやり直しました: 3件")});
    EXPECT_EQ(grid->rows(), 3);
    EXPECT_EQ(zan->text(), QStringLiteral("4700"));
    EXPECT_TRUE(messages().takeTexts().isEmpty());
}

// The freed number 5 is given to a new row by another write while the user types a note.
TEST_F(WindowUndoTest, CtrlZUndoesTheTypingFirstAndThenStopsAtARowChangedMeanwhile) {
    startBank();
    deleteRange(QStringLiteral("5"), QString());
    ASSERT_EQ(value("SELECT COUNT(*) FROM S01").toInt(), 4);
    QLineEdit* note = box("txt_biko");
    note->setFocus();
    QTest::keyClicks(note, QStringLiteral("abc"));
    ASSERT_TRUE(note->isUndoAvailable());
    undoKey(note);
    EXPECT_EQ(value("SELECT COUNT(*) FROM S01").toInt(), 4) << "the box took the key";
    sql("INSERT INTO S01 (CD, K_DATE, B_CD, K_CD, KINGAKU, BIKO) VALUES (5, '2024/05/20', 2, 1, 1, 'new')");
    // Once the box has nothing of its own to take back, the key reaches the book.
    while (note->isUndoAvailable()) undoKey(note);
    undoKey(note);
    EXPECT_EQ(messages().takeTexts(),
              QStringList{QStringLiteral("元に戻せません。\nその後の変更で記録が変わっています")});
    EXPECT_EQ(value("SELECT BIKO FROM S01 WHERE CD = 5").toString(), QStringLiteral("new"));
    EXPECT_FALSE(undo->stack().canUndo());
    EXPECT_FALSE(undo->stack().canRedo());
}

TEST_F(WindowUndoTest, AMasterRangeDeleteComesBackInTheListAndTheJournalsBalances) {
    startBank();
    sql("INSERT INTO G01 (CD, NM, KIND, SORT) VALUES (1, '固定費', 1, 1)");
    sql("INSERT INTO G02 (CD, K_CD, G_CD) VALUES (7, 2, 1)");
    auto* list = new bank::form_T0201(session());
    ASSERT_TRUE(showActive(list));
    press(list->grid(), Qt::Key_F2);
    typeFields(list, {{"txt_cd2_0", "1"}, {"txt_cd2_1", "2"}});
    ASSERT_EQ(value("SELECT COUNT(*) FROM T02").toInt(), 0);
    // A code given again later must not find itself in the deleted item's group.
    EXPECT_EQ(value("SELECT COUNT(*) FROM G02").toInt(), 0);
    ASSERT_EQ(list->grid()->rows(), 1);
    messages().takeTexts();

    undoKey(list->grid());
    EXPECT_EQ(value("SELECT group_concat(CD || NM || KIND) FROM T02").toString(), QStringLiteral("1給与0,2食費1"));
    EXPECT_EQ(value("SELECT group_concat(CD || ':' || K_CD || '>' || G_CD) FROM G02").toString(),
              QStringLiteral("7:2>1"));
    EXPECT_EQ(list->grid()->rows(), 3) << "the open list shows the book again";
    EXPECT_NE(session().rs_T02.find(2), nullptr) << "the masters as last read follow the undo";
    // Income counts again as income in every bank's balance.
    EXPECT_TRUE(wrongBankBalances().isEmpty());
    EXPECT_EQ(messages().takeStatuses(), QStringList{QStringLiteral("削除を元に戻しました: 2件")});
}

TEST_F(WindowUndoTest, HouseholdWritesAreUndoneWithTheirRunningBalances) {
    startPurse("(1, '給与', 0), (2, '食費', 1)");
    undo = std::make_unique<ui::BookUndo>(session());
    auto* w = shown(new purse::form_S0101(session()));
    for (const auto& [code, amount] : {std::pair{"1", "5000"}, std::pair{"2", "300"}}) {
        typeFields(w, {{"txt_day", "10"}, {"txt_k_cd", code}, {"txt_kingaku", amount}, {"txt_biko", ""}});
        press(QApplication::focusWidget(), Qt::Key_Return);
    }
    ASSERT_EQ(value("SELECT group_concat(ZAN) FROM (SELECT ZAN FROM S01 ORDER BY CD)").toString(),
              QStringLiteral("5000,4700"));
    undoKey(child(w, "txt_day"));
    EXPECT_EQ(value("SELECT group_concat(ZAN) FROM (SELECT ZAN FROM S01 ORDER BY CD)").toString(),
              QStringLiteral("5000"));
    EXPECT_TRUE(wrongPurseBalances().isEmpty());
    EXPECT_EQ(w->findChild<ui::FlexGrid*>(QStringLiteral("grd_S01"))->rows(), 2) << "the page shows the book";
}

}  // namespace
