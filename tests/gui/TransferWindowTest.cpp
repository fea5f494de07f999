// The transfer window as the bank journal opens it (Ctrl+T), and the journal keeping a pair
// together: a change of one side, a delete, Ctrl+Z, the partner named in the tooltip.

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "bank/BankJournal.h"
#include "bank/BankWindows.h"
#include "core/care/Backup.h"
#include "core/ledger/Transfer.h"
#include "support/TestEnv.h"
#include "ui/care/BookUndo.h"
#include "ui/menu/MenuForm.h"
#include "ui/shell/Grid.h"
#include "ui/transfer/TransferWindow.h"

namespace {

class TransferWindowTest : public AppTest {
  protected:
    void SetUp() override {
        start(app::Program::Bank);
        sql("INSERT INTO T01 (CD, NM, ZAN) VALUES (1, 'A銀行', 100000), (2, 'B銀行', 0)");
        sql("INSERT INTO T02 (CD, NM, KIND) VALUES (1, '給与', 0), (2, '食費', 1)");
        sql("INSERT INTO S01 (CD, K_DATE, B_CD, K_CD, KINGAKU, BIKO) VALUES (1, '2024/05/01', 1, 1, 100000, '給料')");
        session().reopenMasters();
        setNow(QDateTime(QDate(2024, 5, 20), QTime(9, 0)));
    }
    void openJournal() {
        undo = std::make_unique<ui::BookUndo>(session());
        journal = shown(new bank::form_S0101(session()));
    }
    // Ctrl+T in the journal, the boxes typed with Enter after each, and F1.
    ui::TransferWindow* transfer(const QString& amount, const QString& date = QStringLiteral("2024/05/10")) {
        press(QApplication::focusWidget(), Qt::Key_T, Qt::ControlModifier);
        auto* w = journal->findChild<ui::TransferWindow*>();
        EXPECT_TRUE(w && w->isVisible());
        for (int i = 0; w && i < 200 && QApplication::activeWindow() != w; ++i) QTest::qWait(5);
        if (!w || QApplication::activeWindow() != w) return nullptr;
        typeFields(w, {{"dateEdit", date},
                       {"fromCodeEdit", "1"},
                       {"toCodeEdit", "2"},
                       {"amountEdit", amount},
                       {"noteEdit", QStringLiteral("移動")}});
        press(QApplication::focusWidget(), Qt::Key_F1);
        return w;
    }
    QLineEdit* box(const char* name) { return child<QLineEdit>(journal, name); }
    qint64 zan(qint64 bank) { return value("SELECT ZAN FROM T01 WHERE CD = ?", {bank}).toLongLong(); }
    QString pair() {
        return value("SELECT group_concat(CD || ':' || KINGAKU, ' ') FROM (SELECT * FROM S01 WHERE CD > 1 ORDER BY CD)")
            .toString();
    }
    QString links() { return value("SELECT group_concat(OUT_CD || '>' || IN_CD) FROM F01").toString(); }

    std::unique_ptr<ui::BookUndo> undo;
    bank::form_S0101* journal = nullptr;
};

TEST_F(TransferWindowTest, CtrlTWritesThePairAfterRegisteringTheItemsAndTheJournalNamesThePartner) {
    openJournal();
    // いいえ to the items: nothing is written.
    messages().pushAnswer(app::Answer::No);
    auto* w = transfer(QStringLiteral("30000"));
    ASSERT_TRUE(w);
    EXPECT_EQ(messages().takeShown().size(), 1);
    EXPECT_EQ(value("SELECT COUNT(*) FROM T02").toInt(), 2);
    EXPECT_EQ(pair(), QString());

    // はい: the items, then the pair, each an undo step.
    typeFields(w, {{"amountEdit", QStringLiteral("30000")}});
    press(QApplication::focusWidget(), Qt::Key_F1);
    EXPECT_EQ(messages().takeShown().size(), 1) << "the question only";
    EXPECT_EQ(pair(), QStringLiteral("2:30000 3:30000"));
    EXPECT_EQ(links(), QStringLiteral("2>3"));
    EXPECT_EQ(zan(1), 70000);
    EXPECT_EQ(zan(2), 30000);
    // A second transfer asks nothing.
    typeFields(w, {{"amountEdit", QStringLiteral("12")}});
    press(QApplication::focusWidget(), Qt::Key_F1);
    EXPECT_TRUE(messages().takeShown().isEmpty());
    EXPECT_EQ(links(), QStringLiteral("2>3,4>5"));
    press(QApplication::focusWidget(), Qt::Key_F10);
    EXPECT_FALSE(w->isVisible());

    // The journal lists bank A's May: the withdrawal's tooltip and status line name both banks.
    ASSERT_TRUE(showActive(journal));
    typeEnter(box("txt_date"), QStringLiteral("2024/05"));
    typeEnter(box("txt_b_cd"), QStringLiteral("1"));
    auto* grid = child<ui::FlexGrid>(journal, "grd_S01");
    ASSERT_EQ(grid->rows(), 4);
    const QModelIndex withdrawal = grid->gridModel()->index(1, 6);
    EXPECT_EQ(grid->gridModel()->data(withdrawal, Qt::ToolTipRole).toString(), QStringLiteral("振替: A銀行 → B銀行"));
    EXPECT_FALSE(grid->gridModel()->data(grid->gridModel()->index(0, 6), Qt::ToolTipRole).isValid());
    messages().takeStatuses();
    grid->setRow(2);
    EXPECT_TRUE(messages().takeStatuses().contains(QStringLiteral("振替: A銀行 → B銀行")));
    EXPECT_EQ(grid->gridModel()->columnCount(), 7);
}

TEST_F(TransferWindowTest, OneSideChangedOrDeletedCarriesItsPartnerAndCtrlZBringsBothBack) {
    ASSERT_TRUE(ledger::registerTransferItems(book()).ok);
    ASSERT_TRUE(ledger::writeTransfer(book(), {QStringLiteral("2024/05/10"), 1, 2, 30000, {}}).ok);
    session().reopenMasters();
    openJournal();
    // The deposit's amount to 35,000 in the entry area.
    journal->Show_Record(3);
    box("txt_kingaku")->setText(QStringLiteral("35000"));
    press(child<QPushButton>(journal, "cmd_input"), Qt::Key_Return);
    EXPECT_EQ(pair(), QStringLiteral("2:35000 3:35000"));
    EXPECT_EQ(zan(1), 65000);
    EXPECT_EQ(zan(2), 35000);
    // Its item: refused, nothing changes.
    journal->Show_Record(3);
    typeEnter(box("txt_k_cd"), QStringLiteral("1"));
    press(child<QPushButton>(journal, "cmd_input"), Qt::Key_Return);
    EXPECT_EQ(messages().takeTexts(), QStringList{QStringLiteral("更新できません")});
    EXPECT_EQ(value("SELECT K_CD FROM S01 WHERE CD = 3").toInt(), 4);

    // Delete on the withdrawal in the grid: both go, and the status line names the partner.
    journal->Clear_Entry();
    typeEnter(box("txt_date"), QStringLiteral("2024/05"));
    typeEnter(box("txt_b_cd"), QStringLiteral("1"));
    auto* grid = child<ui::FlexGrid>(journal, "grd_S01");
    grid->setRow(2);
    grid->setFocus();
    messages().takeStatuses();
    press(grid, Qt::Key_Delete);
    EXPECT_EQ(pair(), QString());
    EXPECT_EQ(links(), QString());
    EXPECT_TRUE(messages().takeStatuses().join(QLatin1Char('\n')).contains(QStringLiteral("番号 3")));
    EXPECT_EQ(zan(2), 0);
    press(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(pair(), QStringLiteral("2:35000 3:35000"));
    EXPECT_EQ(links(), QStringLiteral("2>3"));
    EXPECT_EQ(zan(1), 65000);
    EXPECT_EQ(zan(2), 35000);
}

TEST_F(TransferWindowTest, AnOlderBookIsUpgradedOnFirstUseAndAReadOnlyOneSaysWhy) {
    asVersion(3);
    openJournal();
    transfer(QStringLiteral("100"));
    EXPECT_TRUE(ledger::holdsTransfers(book()));
    EXPECT_FALSE(db::listBackups(session().databasePath()).isEmpty());
    EXPECT_EQ(links(), QStringLiteral("2>3"));
    journal->close();
    delete journal;
    undo.reset();

    QString error;
    session().closeBook();
    ASSERT_TRUE(session().openBook(session().databasePath(), &error, true)) << error.toStdString();
    openJournal();
    messages().takeTexts();
    transfer(QStringLiteral("100"));
    EXPECT_EQ(messages().takeTexts(), QStringList{book().readOnlyMessage()});
    EXPECT_EQ(links(), QStringLiteral("2>3"));
}

// From the main menu no journal stands behind the window: the first bank pays, and an older book
// is upgraded when the window opens.
TEST_F(TransferWindowTest, CtrlTFromTheMenuUpgradesOpensModallyWithTheFirstBankAndWrites) {
    asVersion(3);
    ui::form_Menu menu(session(), bank::menuConfig());
    QString paying;
    bool modal = false;
    whenModal([&](QWidget* w) {
        auto* form = qobject_cast<ui::TransferWindow*>(w);
        if (!form) return;
        modal = form->isModal();
        paying = child<QLineEdit>(form, "fromCodeEdit")->text();
        child<QLineEdit>(form, "toCodeEdit")->setText(QStringLiteral("2"));
        child<QLineEdit>(form, "amountEdit")->setText(QStringLiteral("30000"));
        form->pressFKey(1);
        form->pressFKey(10);
    });
    ASSERT_TRUE(menu.runShortcut(QKeyCombination(Qt::ControlModifier, Qt::Key_T)));
    EXPECT_TRUE(modal);
    EXPECT_EQ(paying, QStringLiteral("1"));
    EXPECT_EQ(links(), QStringLiteral("2>3"));
    EXPECT_EQ(zan(2), 30000);
}

TEST_F(TransferWindowTest, OnAReadOnlyBookTheMenusTransferIsDisabledWithTheReason) {
    QString error;
    session().closeBook();
    ASSERT_TRUE(session().openBook(session().databasePath(), &error, true)) << error.toStdString();
    session().reopenMasters();
    ui::form_Menu menu(session(), bank::menuConfig());
    QAction* entry = nullptr;
    for (QAction* a : menu.extrasMenu()->actions())
        if (a->text().startsWith(QStringLiteral("振替\t"))) entry = a;
    ASSERT_TRUE(entry);
    EXPECT_FALSE(entry->isEnabled());
    EXPECT_EQ(entry->toolTip(), book().readOnlyMessage());
}

}  // namespace
