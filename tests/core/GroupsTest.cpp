// Groups of categories: what a group may hold, one change per write, the check, and the tool.

#include <QFile>

#include "core/care/Check.h"
#include "core/ledger/Budget.h"
#include "core/ledger/Groups.h"
#include "core/ledger/Masters.h"
#include "support/TestEnv.h"
#include "tools/KakeiboBudget.h"
#include "tools/KakeiboIo.h"

namespace {

using ledger::FindingKind;

class GroupsTest : public AppTest {
  protected:
    void SetUp() override {
        start(app::Program::Purse);
        sql("INSERT INTO T01 (CD,NM,KIND) VALUES (1,'給与',0),(2,'家賃',1),(3,'食費',1),(4,'雑費',1)");
    }
    ledger::GroupWrite save(qint64 cd, const QString& name, QList<qint64> members, qint64 kind = 1) {
        return ledger::saveGroup(book(), app::Program::Purse, {cd, name, kind, std::nullopt, members});
    }
    qint64 added(const QString& name, QList<qint64> members) {
        const ledger::GroupWrite w = save(0, name, members);
        EXPECT_TRUE(w.ok) << w.error.toStdString();
        return w.cd;
    }
    // "category>group" of every assignment, in category order.
    QString assigned() {
        return value("SELECT group_concat(K_CD || '>' || G_CD) FROM (SELECT * FROM G02 ORDER BY K_CD)").toString();
    }
    QString whole() {
        return value(
                   "SELECT (SELECT group_concat(CD || NM || KIND || SORT) FROM G01) || '/' || "
                   "(SELECT group_concat(K_CD || '>' || G_CD) FROM (SELECT * FROM G02 ORDER BY K_CD)) || '/' || "
                   "(SELECT group_concat(G_CD || YM || KINGAKU) FROM B02)")
            .toString();
    }
};

TEST_F(GroupsTest, AGroupHoldsCategoriesOfItsKindEachInOneGroupOnly) {
    const qint64 fixed = added("固定費", {2, 3});
    const qint64 loose = added("変動費", {3, 4});
    EXPECT_EQ(assigned(), QStringLiteral("2>%1,3>%2,4>%2").arg(fixed).arg(loose)) << "食費 moved";
    EXPECT_EQ(value("SELECT SORT FROM G01 WHERE CD = ?", {loose}).toInt(), 2) << "a new group goes last";

    // Changing a group sets exactly its members: one left out becomes 未分類.
    ASSERT_TRUE(save(fixed, "固定費", {}).ok);
    EXPECT_EQ(assigned(), QStringLiteral("3>%1,4>%1").arg(loose));

    const QString before = whole();
    EXPECT_FALSE(save(0, "収入", {1}).ok) << "an income category in an expense group";
    EXPECT_FALSE(save(0, "変動費", {}).ok) << "a name taken";
    EXPECT_FALSE(save(0, "  ", {}).ok);
    EXPECT_FALSE(save(0, "x", {99}).ok) << "a missing category";
    EXPECT_FALSE(save(42, "x", {}).ok) << "a missing group";
    EXPECT_FALSE(save(0, "x", {}, 2).ok) << "a kind neither income nor expense";
    EXPECT_FALSE(ledger::assignToGroup(book(), app::Program::Purse, 1, loose).ok);
    EXPECT_EQ(whole(), before) << "a refusal writes nothing";

    // A changed save is one step back, members included.
    const ledger::GroupWrite w = save(loose, "変動費", {2});
    ASSERT_TRUE(w.ok);
    ASSERT_EQ(ledger::undoChange(book(), app::Program::Purse, w.change), ledger::UndoResult::Done);
    EXPECT_EQ(whole(), before);

    asVersion(4);
    EXPECT_FALSE(save(0, "新", {}).ok);
    EXPECT_FALSE(ledger::hasGroups(book()));
    EXPECT_TRUE(ledger::readGroups(book()).value().isEmpty());
}

TEST_F(GroupsTest, DeletingAGroupLeavesItsCategoriesUngroupedAndUndoBringsAllBack) {
    const qint64 fixed = added("固定費", {2});
    const qint64 loose = added("変動費", {3, 4});
    ASSERT_TRUE(ledger::writeGroupBudget(book(), loose, "", 30000).ok);
    ASSERT_TRUE(ledger::writeGroupBudget(book(), fixed, "2024", 100000).ok);
    const QString before = whole();

    const ledger::GroupWrite w = ledger::deleteGroup(book(), loose);
    ASSERT_TRUE(w.ok) << w.error.toStdString();
    EXPECT_EQ(assigned(), QStringLiteral("2>%1").arg(fixed));
    EXPECT_EQ(value("SELECT COUNT(*) FROM B02 WHERE G_CD = ?", {loose}).toInt(), 0);
    EXPECT_EQ(w.change.parts.size(), 3);
    ASSERT_EQ(ledger::undoChange(book(), app::Program::Purse, w.change), ledger::UndoResult::Done);
    EXPECT_EQ(whole(), before);
    ASSERT_EQ(ledger::redoChange(book(), app::Program::Purse, w.change), ledger::UndoResult::Done);
    EXPECT_EQ(value("SELECT COUNT(*) FROM G01").toInt(), 1);
}

TEST_F(GroupsTest, GroupBudgetsKeepTheRulesOfCategoryBudgetsAndNeedTheirGroup) {
    const qint64 fixed = added("固定費", {2});
    EXPECT_FALSE(ledger::writeGroupBudget(book(), 77, "", 1000).ok);
    ASSERT_TRUE(ledger::writeGroupBudget(book(), fixed, "", 1000).ok);
    const ledger::BudgetWrite mixed = ledger::writeGroupBudget(book(), fixed, "2024", 12000);
    EXPECT_FALSE(mixed.ok);
    EXPECT_TRUE(mixed.error.contains(QStringLiteral("このグループには月の予算"))) << mixed.error.toStdString();
    ASSERT_TRUE(ledger::writeGroupBudget(book(), fixed, "2024/03", 5000).ok);
    const auto plan = ledger::readGroupBudgetPlan(book(), 2024);
    ASSERT_TRUE(plan && plan->size() == 1);
    EXPECT_EQ(plan->first().month(3), 5000);
    EXPECT_EQ(plan->first().year(), 11 * 1000 + 5000);
    EXPECT_EQ(value("SELECT COUNT(*) FROM B01").toInt(), 0) << "a category's budgets are apart";
}

TEST_F(GroupsTest, AnAssignmentTheViewsCannotUseIsShownUngroupedAndNamedByTheCheck) {
    const qint64 fixed = added("固定費", {2, 3});
    ASSERT_TRUE(ledger::writeGroupBudget(book(), fixed, "", 1000).ok);
    EXPECT_TRUE(ledger::checkBook(book(), app::Program::Purse).findings.isEmpty());

    sql("UPDATE T01 SET KIND = 0 WHERE CD = 3");  // its kind changed after it was put in the group
    const ledger::GroupMap map = ledger::readGroupMap(book(), app::Program::Purse);
    ASSERT_TRUE(map.ok);
    EXPECT_EQ(map.of(2), fixed);
    EXPECT_FALSE(map.of(3)) << "under 未分類";
    EXPECT_EQ(assigned(), QStringLiteral("2>%1,3>%1").arg(fixed)) << "it stays assigned";

    sql("INSERT INTO G02 (CD, K_CD, G_CD) VALUES (50, 99, ?), (51, 4, 98)", {fixed});
    sql("INSERT INTO B02 (CD, G_CD, YM, KINGAKU) VALUES (60, 97, '', 5)");
    sql("INSERT INTO G01 (CD, NM, KIND, SORT) VALUES (5, '固定費', 3, 9)");
    const ledger::CheckResult r = ledger::checkBook(book(), app::Program::Purse);
    QStringList said;
    for (const ledger::Finding& f : r.findings) said << f.table + QLatin1Char(':') + f.describe(5);
    const QString all = said.join(QLatin1Char('\n'));
    EXPECT_EQ(r.of(FindingKind::BadGroup).size(), 3) << all.toStdString();  // the kind, KIND 3, the name twice
    EXPECT_EQ(r.of(FindingKind::Orphan).size(), 3) << all.toStdString();    // category 99, group 98, budget 97
    EXPECT_TRUE(all.contains(QStringLiteral("区分がグループと違う科目"))) << all.toStdString();
}

TEST_F(GroupsTest, ANewBooksStandardMastersComeWithTheThreeGroups) {
    sql("DELETE FROM T01");
    ASSERT_TRUE(ledger::registerStandardMasters(book(), app::Program::Purse));
    const ledger::GroupMap map = ledger::readGroupMap(book(), app::Program::Purse);
    ASSERT_EQ(map.groups.size(), 3);
    EXPECT_EQ(map.groups[0].name, QStringLiteral("固定費"));
    EXPECT_EQ(map.groups[2].name, QStringLiteral("特別費"));
    // Every expense category is in one of them; income ones are in none.
    EXPECT_EQ(value("SELECT COUNT(*) FROM T01 WHERE KIND = 1 AND CD NOT IN (SELECT K_CD FROM G02)").toInt(), 0);
    EXPECT_EQ(value("SELECT COUNT(*) FROM G02 JOIN T01 ON T01.CD = G02.K_CD WHERE T01.KIND = 0").toInt(), 0);
}

TEST_F(GroupsTest, TheToolWritesGroupsAndCarriesThemWithTheirBudgetsToAnotherBook) {
    session().closeBook();
    const QString path = session().databasePath();
    EXPECT_EQ(runGroup({path, "add", "+固定費", "--kind", "expense"}), 0);
    EXPECT_EQ(runGroup({path, "add", "収入源", "--kind", "income", "--sort", "0"}), 0);
    EXPECT_EQ(runGroup({path, "add", "x", "--kind", "both"}), 2);
    EXPECT_EQ(runGroup({path, "assign", "家賃=+固定費"}), 0);
    EXPECT_EQ(runGroup({path, "assign", "食費=+固定費"}), 0);
    EXPECT_EQ(runGroup({path, "assign", "給与=収入源"}), 0);
    EXPECT_EQ(runGroup({path, "assign", "給与=+固定費"}), 2) << "the other kind";
    EXPECT_EQ(runGroup({path, "assign", "無い=+固定費"}), 2);
    EXPECT_EQ(runGroup({path, "remove", "食費"}), 0);
    EXPECT_EQ(runGroup({path, "list"}), 0);
    EXPECT_EQ(runBudget({path, "set", "+固定費=100000", "--group"}), 0);
    EXPECT_EQ(runBudget({path, "set", "無い=1", "--group"}), 2);

    const QString groups = dir() + "/groups.csv", budgets = dir() + "/group-budget.csv";
    ASSERT_EQ(runExport({path, "--table", "groups", "--out", groups}), 0);
    ASSERT_EQ(runExport({path, "--table", "group-budget", "--out", budgets}), 0);
    QString error;
    ASSERT_TRUE(session().openBook(path, &error));
    const QString before = whole();
    EXPECT_TRUE(before.contains(QStringLiteral("+固定費"))) << "a formula-like name comes back as it was";
    sql("DELETE FROM B02");
    sql("DELETE FROM G02");
    sql("DELETE FROM G01");
    session().closeBook();

    EXPECT_EQ(runImport({path, budgets, "--table", "group-budget"}), 1) << "its groups are not there yet";
    EXPECT_EQ(runImport({path, groups, "--table", "groups"}), 0);
    EXPECT_EQ(runImport({path, groups, "--table", "groups"}), 1) << "only into a book without groups";
    EXPECT_EQ(runImport({path, budgets, "--table", "group-budget"}), 0);
    ASSERT_TRUE(session().openBook(path, &error));
    EXPECT_EQ(whole(), before);

    EXPECT_EQ(runGroup({path, "delete", "+固定費"}), 2) << "the book is in use";
    session().closeBook();
    EXPECT_EQ(runGroup({path, "delete", "+固定費"}), 0);
    EXPECT_EQ(runGroup({path, "delete", "+固定費"}), 2);
}

}  // namespace
