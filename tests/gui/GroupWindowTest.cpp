// グループの設定 driven by keys: a group added with ticked categories, changed (a category leaving
// for 未分類, one moving from another group), deleted after the question and brought back with
// Ctrl+Z; the menu's Ctrl+Shift+G on an older book, the master lists' right-click entry, and a
// read-only book.

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>

#include "bank/BankWindows.h"
#include "core/db/Schema.h"
#include "purse/PurseWindows.h"
#include "support/TestEnv.h"
#include "ui/groups/GroupWindows.h"
#include "ui/menu/MenuForm.h"
#include "ui/shell/Grid.h"

namespace {

const QString kDeleteQuestion = QStringLiteral(
    "2:変動費を削除します。\r\nグループの科目は未分類になり、グループの予算も削除されます。\r\nよろしいですか？");

class GroupWindowTest : public AppTest {
  protected:
    // Income 給与, spending 食費, 日用品 and 住居; 住居 in 固定費 (second in order), the other two
    // in 変動費 (first), each group with budgets.
    void purseWithGroups() {
        startPurse("(1,'給与',0),(2,'食費',1),(3,'日用品',1),(4,'住居',1)");
        sql("INSERT INTO G01 (CD,NM,KIND,SORT) VALUES (1,'固定費',1,2),(2,'変動費',1,1)");
        sql("INSERT INTO G02 (CD,K_CD,G_CD) VALUES (1,4,1),(2,2,2),(3,3,2)");
        sql("INSERT INTO B02 (CD,G_CD,YM,KINGAKU) VALUES (1,2,'',50000),(2,2,'2024/12',60000),(3,1,'',80000)");
    }
    // The codes in a group, in code order ("" for none).
    QString members(qint64 group) {
        return value("SELECT COALESCE(GROUP_CONCAT(K_CD), '') FROM (SELECT K_CD FROM G02 WHERE G_CD = ? ORDER BY K_CD)",
                     {group})
            .toString();
    }
    qint64 count(const QString& table) { return value("SELECT COUNT(*) FROM " + table).toLongLong(); }
    // The dialog's list as the user sees it: each line with its tick.
    static QStringList listed(QListWidget* list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << (list->item(i)->checkState() == Qt::Checked ? "[x] " : "[ ] ") + list->item(i)->text();
        return out;
    }
    // Space on a line of the list, as the user ticks or unticks it.
    static void tick(QListWidget* list, int row) {
        list->setFocus();
        list->setCurrentRow(row);
        press(list, Qt::Key_Space);
    }
    // The right-click list's entry of the group window.
    static int groupEntry(ui::form_Menu& menu) {
        const QList<QAction*> actions = menu.extrasMenu()->actions();
        for (int i = 0; i < actions.size(); ++i)
            if (actions[i]->text().startsWith(QStringLiteral("グループの設定\t"))) return i;
        return -1;
    }
    static QAction* groupAction(ui::MasterList* list) {
        for (QAction* a : list->grid()->actions())
            if (a->text() == QStringLiteral("グループの設定")) return a;
        return nullptr;
    }
    void reopenReadOnly() {
        const QString path = book().path();
        session().closeBook();
        QString error;
        ASSERT_TRUE(session().openBook(path, &error, true)) << error.toStdString();
        session().reopenMasters();
    }
};

// ---- Add, change, delete ---------------------------------------------------------------------

TEST_F(GroupWindowTest, ANewGroupHoldsTheCategoriesTickedInTheListOfItsKind) {
    startPurse("(1,'給与',0),(2,'食費',1),(3,'日用品',1),(4,'住居',1)");
    auto* w = shown(new ui::GroupListForm(session()));
    EXPECT_EQ(w->grid()->rows(), 1) << "no group yet";
    whenModal([](QWidget* dlg) {
        auto* list = child<QListWidget>(dlg, "lst_members");
        EXPECT_EQ(child<QLabel>(dlg, "lbl_cd")->text(), QStringLiteral("新規"));
        EXPECT_EQ(child<QLineEdit>(dlg, "txt_sort")->text(), "1");
        EXPECT_EQ(listed(list), (QStringList{"[ ] 2 食費", "[ ] 3 日用品", "[ ] 4 住居"})) << "支出 first";
        typeEnter(child(dlg, "txt_nm"), QStringLiteral("生活費"));
        EXPECT_EQ(QApplication::focusWidget(), child(dlg, "cmb_bunrui")) << "Enter moves on";
        tick(list, 0);
        tick(list, 1);
        press(dlg, Qt::Key_F2);  // 収入: the list shows the other kind
        EXPECT_EQ(listed(list), QStringList{"[ ] 1 給与"});
        press(dlg, Qt::Key_F3);
        EXPECT_EQ(listed(list), (QStringList{"[x] 2 食費", "[x] 3 日用品", "[ ] 4 住居"})) << "the ticks are kept";
        press(dlg, Qt::Key_F1);
    });
    press(w->grid(), Qt::Key_F1);
    EXPECT_FALSE(w->dialog()) << "F1 writes and closes";
    EXPECT_EQ(value("SELECT NM || '/' || KIND || '/' || SORT FROM G01").toString(), QStringLiteral("生活費/1/1"));
    EXPECT_EQ(members(1), "2,3");
    EXPECT_EQ(gridRow(w->grid(), 1), (QStringList{"1", "生活費", "支出", "1", "2", "食費、日用品"}));
}

TEST_F(GroupWindowTest, AnEmptyNameIsRefusedAndNothingIsWritten) {
    startPurse("(2,'食費',1)");
    auto* w = shown(new ui::GroupListForm(session()));
    whenModal([](QWidget* dlg) {
        press(dlg, Qt::Key_F1);
        EXPECT_EQ(QApplication::focusWidget(), child(dlg, "txt_nm"));
        press(dlg, Qt::Key_F10);
    });
    press(w->grid(), Qt::Key_F1);
    EXPECT_EQ(messages().takeTexts(), QStringList{"グループ名を入力してください"});
    EXPECT_EQ(count("G01"), 0);
}

TEST_F(GroupWindowTest, ChangingAGroupUntickedLeavesAndTickedMovesFromItsGroupInOneUndoStep) {
    purseWithGroups();
    ui::BookUndo undo(session());
    auto* w = shown(new ui::GroupListForm(session()));
    // In their order: 変動費 (SORT 1) before 固定費.
    EXPECT_EQ(gridRow(w->grid(), 1), (QStringList{"2", "変動費", "支出", "1", "2", "食費、日用品"}));
    EXPECT_EQ(gridRow(w->grid(), 2), (QStringList{"1", "固定費", "支出", "2", "1", "住居"}));
    w->grid()->setRow(1);
    whenModal([](QWidget* dlg) {
        EXPECT_EQ(child<QLineEdit>(dlg, "txt_nm")->text(), QStringLiteral("変動費"));
        auto* list = child<QListWidget>(dlg, "lst_members");
        EXPECT_EQ(listed(list), (QStringList{"[x] 2 食費", "[x] 3 日用品", "[ ] 4 住居　（固定費）"}));
        tick(list, 1);
        tick(list, 2);
        press(dlg, Qt::Key_F1);
    });
    press(w->grid(), Qt::Key_F3);
    EXPECT_EQ(members(2), "2,4");
    EXPECT_EQ(members(1), "") << "住居 moved";
    EXPECT_EQ(value("SELECT COUNT(*) FROM G02 WHERE K_CD = 3").toInt(), 0) << "日用品 is 未分類";
    EXPECT_EQ(gridRow(w->grid(), 2).mid(4), (QStringList{"0", ""}));
    EXPECT_EQ(w->selectedGroup(), 2);

    press(w->grid(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(members(2), "2,3");
    EXPECT_EQ(members(1), "4");
    EXPECT_EQ(gridRow(w->grid(), 1).last(), QStringLiteral("食費、日用品")) << "the list shows the book again";
}

TEST_F(GroupWindowTest, DeletingAfterTheQuestionUnassignsAndCtrlZInTheMenuBringsGroupMembersAndBudgetsBack) {
    purseWithGroups();
    ui::form_Menu menu(session(), purse::menuConfig());
    ASSERT_TRUE(menu.runShortcut(QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_G)));
    auto* w = qobject_cast<ui::GroupListForm*>(menu.openExtraWindow(groupEntry(menu)));
    ASSERT_TRUE(w);
    w->grid()->setRow(1);
    // キャンセル keeps it.
    messages().pushAnswer(app::Answer::Cancel);
    press(w->grid(), Qt::Key_Delete);
    EXPECT_EQ(messages().takeTexts(), QStringList{kDeleteQuestion});
    EXPECT_EQ(count("G01"), 2);
    // OK deletes the group, its assignments and its budgets, and nothing of the other group.
    press(w->grid(), Qt::Key_F2);
    EXPECT_EQ(messages().takeTexts(), QStringList{kDeleteQuestion});
    EXPECT_EQ(value("SELECT COUNT(*) FROM G01 WHERE CD = 2").toInt(), 0);
    EXPECT_EQ(members(2), "");
    EXPECT_EQ(value("SELECT COUNT(*) FROM B02 WHERE G_CD = 2").toInt(), 0);
    EXPECT_EQ(members(1), "4");
    EXPECT_EQ(count("B02"), 1);
    EXPECT_EQ(w->grid()->rows(), 2);

    press(w->grid(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(value("SELECT NM || '/' || KIND || '/' || SORT FROM G01 WHERE CD = 2").toString(),
              QStringLiteral("変動費/1/1"));
    EXPECT_EQ(members(2), "2,3");
    EXPECT_EQ(value("SELECT GROUP_CONCAT(YM || '=' || KINGAKU) FROM (SELECT * FROM B02 WHERE G_CD = 2 ORDER BY YM)")
                  .toString(),
              QStringLiteral("=50000,2024/12=60000"));
    EXPECT_EQ(gridRow(w->grid(), 1).mid(0, 2), (QStringList{"2", "変動費"}));
}

// ---- Where it opens from ---------------------------------------------------------------------

TEST_F(GroupWindowTest, CtrlShiftGOnAVersionFourBookUpgradesItAndOpensTheWindow) {
    startPurse("(2,'食費',1)");
    asVersion(4);
    ui::form_Menu menu(session(), purse::menuConfig());
    const int entry = groupEntry(menu);
    ASSERT_GE(entry, 0);
    EXPECT_TRUE(menu.extrasMenu()->actions()[entry]->isEnabled());
    ASSERT_TRUE(menu.runShortcut(QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_G)));
    EXPECT_EQ(value("PRAGMA user_version").toInt(), db::kSchemaVersion);
    auto* w = qobject_cast<ui::GroupListForm*>(menu.openExtraWindow(entry));
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->grid()->rows(), 1);
}

TEST_F(GroupWindowTest, TheCategoryListsRightClickMenuOpensTheWindowAndKeepsItsCsvEntry) {
    purseWithGroups();
    auto* list = shown(new purse::form_T0101(session()));
    QStringList entries;
    for (QAction* a : list->grid()->actions()) entries << a->text().section(QLatin1Char('\t'), 0, 0);
    EXPECT_EQ(entries, (QStringList{"CSV出力...", "グループの設定"}));
    QString opened;
    int rows = 0;
    whenModal([&](QWidget* w) {
        opened = w->objectName();
        if (auto* form = qobject_cast<ui::GroupListForm*>(w)) rows = form->grid()->rows();
        press(w, Qt::Key_F10);
    });
    groupAction(list)->trigger();
    EXPECT_EQ(opened, "GroupListForm");
    EXPECT_EQ(rows, 3);
}

TEST_F(GroupWindowTest, TheBankBooksItemListHasTheEntryAndItsBankListNone) {
    startBank("(1,'本店',0)", "(1,'給与',0),(2,'家賃',1)");
    auto* banks = shown(new bank::form_T0101(session()));
    EXPECT_FALSE(groupAction(banks));
    auto* items = shown(new bank::form_T0201(session()));
    QString header;
    whenModal([&](QWidget* w) {
        if (auto* form = qobject_cast<ui::GroupListForm*>(w))
            header = form->groups()->headerText(models::GroupListModel::kMembersColumn);
        press(w, Qt::Key_F10);
    });
    ASSERT_TRUE(groupAction(items));
    groupAction(items)->trigger();
    EXPECT_EQ(header, QStringLiteral("項目"));
}

TEST_F(GroupWindowTest, AReadOnlyBookGreysTheMenuEntryAndTheWindowRefusesEveryWrite) {
    purseWithGroups();
    reopenReadOnly();
    ui::form_Menu menu(session(), purse::menuConfig());
    QAction* entry = menu.extrasMenu()->actions().value(groupEntry(menu));
    ASSERT_TRUE(entry);
    EXPECT_FALSE(entry->isEnabled());
    EXPECT_EQ(entry->toolTip(), book().readOnlyMessage());

    auto* list = shown(new purse::form_T0101(session()));
    int rows = 0;
    whenModal([&](QWidget* w) {
        auto* form = static_cast<ui::GroupListForm*>(w);
        rows = form->grid()->rows();
        form->grid()->setRow(1);
        for (int key : {1, 3, 2}) form->pressFKey(key);
        form->pressFKey(10);
    });
    groupAction(list)->trigger();
    EXPECT_EQ(rows, 3) << "the groups are shown";
    const QString why = book().readOnlyMessage();
    EXPECT_EQ(messages().takeTexts(), (QStringList{why, why, why}));
    EXPECT_EQ(count("G01"), 2);
    EXPECT_EQ(count("G02"), 3);
}

}  // namespace
