// Transfers between banks: two journal rows and their link, written, changed, deleted and taken
// back together; the views across banks leave them out; the check finds a pair an older program
// broke; the command line and the CSV carry them.

#include <gtest/gtest.h>

#include "core/care/Check.h"
#include "core/care/Upgrade.h"
#include "core/io/TransferCsv.h"
#include "core/ledger/Budget.h"
#include "core/ledger/Totals.h"
#include "core/ledger/Transfer.h"
#include "core/ledger/Undo.h"
#include "support/TestEnv.h"
#include "tools/KakeiboBudget.h"
#include "tools/KakeiboIo.h"

namespace {

class TransferTest : public AppTest {
  protected:
    void SetUp() override {
        start(app::Program::Bank);
        sql("INSERT INTO T01 (CD, NM, ZAN) VALUES (1, 'A銀行', 100000), (2, 'B銀行', 0), (3, 'C銀行', 0)");
        sql("INSERT INTO T02 (CD, NM, KIND) VALUES (1, '給与', 0), (2, '食費', 1)");
        sql("INSERT INTO S01 (CD, K_DATE, B_CD, K_CD, KINGAKU, BIKO) VALUES (1, '2024/05/01', 1, 1, 100000, '給料')");
    }
    // Registers the items (codes 3 and 4) and moves 30,000 from A to B: records 2 and 3.
    ledger::TransferWrite transfer(qint64 from = 1, qint64 to = 2, qint64 amount = 30000) {
        if (ledger::transferItems(book()).state != ledger::ItemsState::Ready) {
            const ledger::ItemsRegistration r = ledger::registerTransferItems(book());
            EXPECT_TRUE(r.ok) << r.error.toStdString();
        }
        return ledger::writeTransfer(book(), {QStringLiteral("2024/05/10"), from, to, amount, QStringLiteral("移動")});
    }
    qint64 zan(qint64 bank) { return value("SELECT ZAN FROM T01 WHERE CD = ?", {bank}).toLongLong(); }
    QString rows() {
        return value(
                   "SELECT group_concat(CD || ':' || B_CD || ':' || K_CD || ':' || KINGAKU || ':' || K_DATE, ' ') "
                   "FROM (SELECT * FROM S01 ORDER BY CD)")
            .toString();
    }
    QString links() {
        return value(
                   "SELECT group_concat(CD || ':' || OUT_CD || '>' || IN_CD, ' ') FROM (SELECT * FROM F01 ORDER BY CD)")
            .toString();
    }
    QList<ledger::Finding> broken() {
        return ledger::checkBook(book(), app::Program::Bank).of(ledger::FindingKind::BrokenLink);
    }
};

TEST_F(TransferTest, TheBankBookAloneGainsTheTablesAndAnOlderBookGetsThemByTheUpgrade) {
    EXPECT_TRUE(db::bookSchema(app::Program::Bank).table(QStringLiteral("F01")));
    EXPECT_FALSE(db::bookSchema(app::Program::Purse).table(QStringLiteral("F01")));
    EXPECT_EQ(db::bookSchema(app::Program::Purse).version(), db::kSchemaVersion);
    // A book of version 3: no transfer, nothing written, until the upgrade.
    asVersion(3);
    EXPECT_FALSE(ledger::holdsTransfers(book()));
    EXPECT_EQ(ledger::notLinkedCondition(book()), QStringLiteral("1 = 1"));
    EXPECT_FALSE(ledger::writeTransfer(book(), {QStringLiteral("2024/05/10"), 1, 2, 100, {}}).ok);
    EXPECT_EQ(value("SELECT COUNT(*) FROM S01").toInt(), 1);
    const care::UpgradeResult up = care::upgradeBook(book(), app::Program::Bank, ledger::kTransferVersion);
    ASSERT_TRUE(up.ok()) << up.error.toStdString();
    EXPECT_EQ(up.to, db::kSchemaVersion);
    EXPECT_FALSE(up.backup.isEmpty());
    ASSERT_TRUE(transfer().ok);
    // A row is a side of one transfer at most.
    EXPECT_FALSE(book().execute(QStringLiteral("INSERT INTO F01 (CD, OUT_CD, IN_CD) VALUES (9, 2, 1)")));
}

TEST_F(TransferTest, TheItemsAreRegisteredOnceAsTheirOwnStepAndCheckedAtEveryWrite) {
    EXPECT_EQ(ledger::transferItems(book()).state, ledger::ItemsState::None);
    EXPECT_FALSE(ledger::writeTransfer(book(), {QStringLiteral("2024/05/10"), 1, 2, 100, {}}).ok);
    const ledger::ItemsRegistration r = ledger::registerTransferItems(book());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.items.out, 3);
    EXPECT_EQ(r.items.in, 4);
    EXPECT_EQ(value("SELECT group_concat(NM || KIND) FROM T02 WHERE CD > 2").toString(),
              QStringLiteral("振替出金1,振替入金0"));
    // Taken back: both items and the stored codes go.
    ASSERT_EQ(ledger::undoChange(book(), app::Program::Bank, r.change), ledger::UndoResult::Done);
    EXPECT_EQ(ledger::transferItems(book()).state, ledger::ItemsState::None);
    EXPECT_EQ(value("SELECT COUNT(*) FROM T02").toInt(), 2);

    ASSERT_TRUE(ledger::registerTransferItems(book()).ok);
    sql("UPDATE T02 SET KIND = 0 WHERE CD = 3");
    EXPECT_EQ(ledger::transferItems(book()).state, ledger::ItemsState::WrongKind);
    EXPECT_FALSE(ledger::writeTransfer(book(), {QStringLiteral("2024/05/10"), 1, 2, 100, {}}).ok);
    sql("DELETE FROM T02 WHERE CD = 3");
    EXPECT_EQ(ledger::transferItems(book()).state, ledger::ItemsState::Gone);
    EXPECT_EQ(value("SELECT COUNT(*) FROM S01").toInt(), 1);
}

TEST_F(TransferTest, ThirtyThousandFromAToBMovesBothBalancesAndCountsOnlyAsTransferAcrossBanks) {
    const ledger::TransferWrite w = transfer();
    ASSERT_TRUE(w.ok) << w.error.toStdString();
    EXPECT_EQ(zan(1), 70000);
    EXPECT_EQ(zan(2), 30000);
    EXPECT_EQ(rows(), QStringLiteral("1:1:1:100000:2024/05/01 2:1:3:30000:2024/05/10 3:2:4:30000:2024/05/10"));
    EXPECT_EQ(links(), QStringLiteral("1:2>3"));
    // Each bank's totals show the items.
    const ledger::Period may{0, 2024, 5};
    const auto a = ledger::readItemSums(book(), app::Program::Bank, 1, may);
    const auto b = ledger::readItemSums(book(), app::Program::Bank, 2, may);
    ASSERT_TRUE(a && b);
    auto names = [](const QList<ledger::ItemSum>& sums) {
        QStringList out;
        for (const auto& s : sums) out << QStringLiteral("%1=%2").arg(s.name).arg(s.amount);
        return out;
    };
    EXPECT_TRUE(names(*a).contains(QStringLiteral("振替出金=30000")));
    EXPECT_EQ(names(*b), QStringList{QStringLiteral("振替入金=30000")});
    // Across banks: income is the salary alone, expense nothing, and one line of 30,000 moved.
    const QString across = QStringLiteral(
        "SELECT COALESCE(SUM(CASE WHEN T02.KIND = 0 THEN KINGAKU END), 0) || '/' || "
        "COALESCE(SUM(CASE WHEN T02.KIND <> 0 THEN KINGAKU END), 0) FROM S01 JOIN T02 ON T02.CD = S01.K_CD WHERE %1");
    EXPECT_EQ(value(across.arg(ledger::notLinkedCondition(book()))).toString(), QStringLiteral("100000/0"));
    EXPECT_EQ(ledger::transferTotal(book(), QStringLiteral("2024/05/01"), QStringLiteral("2024/06/01")), 30000);
    EXPECT_EQ(ledger::transferTotal(book(), QStringLiteral("2024/06/01"), QStringLiteral("2024/07/01")), 0);
    EXPECT_EQ(ledger::transferTexts(book(), {1, 2, 3}).value(3), QStringLiteral("振替: A銀行 → B銀行"));
    EXPECT_FALSE(ledger::transferTexts(book(), {1}).contains(1));
}

TEST_F(TransferTest, BudgetAgainstActualLeavesTheTransferOutOfIncomeAndExpenseAndShowsItAsTransfer) {
    ASSERT_TRUE(transfer().ok);
    const ledger::Period may{0, 2024, 5};
    const ledger::BudgetReport r = ledger::budgetReport(book(), app::Program::Bank, may, QDate(2030, 1, 1));
    ASSERT_TRUE(r.ok);
    QStringList lines;
    for (const ledger::BudgetLine& l : r.lines) lines << QStringLiteral("%1=%2").arg(l.name).arg(l.actual);
    EXPECT_EQ(lines, (QStringList{"給与=100000", "収入計=100000", "支出計=0", "収支=100000", "振替=30000"}));
    // The command prints the same line, amount under 実績 only.
    const QStringList printed = budgetReportLines(book(), app::Program::Bank, may, QDate(2030, 1, 1));
    EXPECT_TRUE(printed.contains(QStringLiteral("\t振替\t\t\t30000\t\t\t\t"))) << printed.join('\n').toStdString();
    // A month without a transfer shows the line at 0.
    const auto june = ledger::budgetReport(book(), app::Program::Bank, {0, 2024, 6}, QDate(2030, 1, 1));
    ASSERT_FALSE(june.lines.isEmpty());
    EXPECT_EQ(june.lines.last().type, ledger::BudgetLine::Type::Transfer);
    EXPECT_EQ(june.lines.last().actual, 0);
}

TEST_F(TransferTest, BadTransfersAreRefusedAndWriteNothing) {
    ASSERT_TRUE(ledger::registerTransferItems(book()).ok);
    const QString before = rows();
    for (const ledger::TransferEntry& e : {ledger::TransferEntry{QStringLiteral("2024/05/10"), 1, 1, 100, {}},
                                           ledger::TransferEntry{QStringLiteral("2024/05/10"), 1, 9, 100, {}},
                                           ledger::TransferEntry{QStringLiteral("2024/05/10"), 1, 2, 0, {}},
                                           ledger::TransferEntry{QStringLiteral("2024/02/30"), 1, 2, 100, {}}}) {
        const ledger::TransferWrite w = ledger::writeTransfer(book(), e);
        EXPECT_FALSE(w.ok) << e.date.toStdString() << e.to << e.amount;
        EXPECT_FALSE(w.error.isEmpty());
    }
    EXPECT_EQ(rows(), before);
    EXPECT_EQ(links(), QString());
    EXPECT_EQ(zan(1), 100000);
}

TEST_F(TransferTest, AChangeOfOneSideChangesItsPartnerAndItsItemOrThePartnersBankIsRefused) {
    ASSERT_TRUE(transfer().ok);
    ledger::JournalEntry e{3, QStringLiteral("2024/05/12"), 2, 4, 35000, QStringLiteral("増額")};
    const ledger::JournalWrite w = ledger::writeJournalEntry(book(), e);
    ASSERT_TRUE(w.change.ok) << w.change.error.toStdString();
    EXPECT_EQ(w.partners, QList<qint64>{2});
    EXPECT_EQ(value("SELECT group_concat(K_DATE || KINGAKU || BIKO) FROM S01 WHERE CD IN (2, 3)").toString(),
              QStringLiteral("2024/05/1235000増額,2024/05/1235000増額"));
    EXPECT_EQ(zan(1), 65000);
    EXPECT_EQ(zan(2), 35000);
    // Its undo brings both back.
    ASSERT_EQ(ledger::undoChange(book(), app::Program::Bank, w.undo), ledger::UndoResult::Done);
    EXPECT_EQ(zan(1), 70000);
    EXPECT_EQ(value("SELECT KINGAKU FROM S01 WHERE CD = 2").toLongLong(), 30000);

    const QString before = rows();
    e.item = 1;
    EXPECT_FALSE(ledger::writeJournalEntry(book(), e).change.ok);
    e.item = 4;
    e.bank = 1;  // the withdrawal's bank
    EXPECT_FALSE(ledger::writeJournalEntry(book(), e).change.ok);
    EXPECT_EQ(rows(), before);
    // Into a third bank it may move: every bank touched is recomputed.
    e.bank = 3;
    ASSERT_TRUE(ledger::writeJournalEntry(book(), e).change.ok);
    EXPECT_EQ(zan(2), 0);
    EXPECT_EQ(zan(3), 35000);
    EXPECT_EQ(zan(1), 65000);
}

TEST_F(TransferTest, DeletingOneSideDeletesBothAndTheUndoBringsBothBackWithTheLink) {
    ASSERT_TRUE(transfer().ok);
    const QString before = rows();
    // A range that holds the withdrawal alone.
    const ledger::JournalWrite w = ledger::deleteJournalRecords(book(), 1, 2);
    ASSERT_TRUE(w.change.ok) << w.change.error.toStdString();
    EXPECT_EQ(w.partners, QList<qint64>{3});
    EXPECT_EQ(rows(), QString());
    EXPECT_EQ(links(), QString());
    EXPECT_EQ(zan(1), 0);
    EXPECT_EQ(zan(2), 0);
    ASSERT_EQ(ledger::undoChange(book(), app::Program::Bank, w.undo), ledger::UndoResult::Done);
    EXPECT_EQ(rows(), before);
    EXPECT_EQ(links(), QStringLiteral("1:2>3"));
    EXPECT_EQ(zan(1), 70000);
    EXPECT_EQ(zan(2), 30000);
    // A row that is no side of a transfer goes alone.
    EXPECT_TRUE(ledger::deleteJournalRecords(book(), 1).partners.isEmpty());
    EXPECT_EQ(links(), QStringLiteral("1:2>3"));
}

TEST_F(TransferTest, TheCheckNamesABrokenLinkAndTheRepairForgetsItKeepingTheRows) {
    ASSERT_TRUE(transfer().ok);
    ASSERT_TRUE(transfer(2, 3, 500).ok);  // records 4 and 5, link 2
    EXPECT_TRUE(broken().isEmpty());
    // As a program older than the transfers would: one side deleted, one amount changed.
    sql("DELETE FROM S01 WHERE CD = 3");
    sql("UPDATE S01 SET KINGAKU = 600 WHERE CD = 5");
    const QList<ledger::Finding> found = broken();
    ASSERT_EQ(found.size(), 2);
    EXPECT_EQ(found[0].records, QList<qint64>{1});
    EXPECT_TRUE(found[0].text.contains(QStringLiteral("入金の記録がありません")));
    EXPECT_EQ(found[1].records, QList<qint64>{2});
    // Two banks the same, and items that are not the stored ones.
    sql("INSERT INTO S01 (CD, K_DATE, B_CD, K_CD, KINGAKU) VALUES (6, '2024/05/10', 1, 3, 1), "
        "(7, '2024/05/10', 1, 2, 1)");
    sql("INSERT INTO F01 (CD, OUT_CD, IN_CD) VALUES (3, 6, 7)");
    EXPECT_EQ(broken().size(), 4);

    const ledger::Repair r = ledger::repairLinks(book());
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.changed, 3);
    EXPECT_TRUE(broken().isEmpty());
    EXPECT_EQ(value("SELECT COUNT(*) FROM S01").toInt(), 6);
    EXPECT_EQ(links(), QString());
}

TEST_F(TransferTest, TheCommandAddsAndListsAndTheLinksTravelAsCsv) {
    ASSERT_TRUE(ledger::registerTransferItems(book()).ok);
    const QString path = session().databasePath();
    session().closeBook();
    const QStringList add{path, "add", "--from", "1", "--to", "2", "--date", "2024/05/10", "--amount", "30000"};
    EXPECT_EQ(runTransfer(add), 0);
    EXPECT_EQ(runTransfer({path, "add", "--from", "1", "--to", "1", "--date", "2024/05/10", "--amount", "5"}), 2);
    EXPECT_EQ(runTransfer({path, "add", "--from", "1", "--to", "2", "--date", "2024/13/10", "--amount", "5"}), 2);
    EXPECT_EQ(runTransfer({path, "list", "--from", "2024/05", "--to", "2024/05"}), 0);
    const QString csv = dir() + QStringLiteral("/links.csv");
    EXPECT_EQ(runExport({path, "--table", "transfer", "--out", csv}), 0);
    // Into a book whose links are gone, the file gives them back; a second time it is refused.
    QString error;
    ASSERT_TRUE(session().openBook(path, &error));
    sql("DELETE FROM F01");
    sql("DELETE FROM F02");
    session().closeBook();
    EXPECT_EQ(runImport({path, csv, "--table", "transfer"}), 0);
    EXPECT_NE(runImport({path, csv, "--table", "transfer"}), 0);
    ASSERT_TRUE(session().openBook(path, &error));
    EXPECT_EQ(links(), QStringLiteral("1:2>3"));
    EXPECT_EQ(ledger::transferItems(book()).state, ledger::ItemsState::Ready);
    EXPECT_TRUE(broken().isEmpty());

    // An older book is refused with the command that upgrades it.
    asVersion(3);
    session().closeBook();
    EXPECT_EQ(runTransfer(add), 2);
}

}  // namespace
