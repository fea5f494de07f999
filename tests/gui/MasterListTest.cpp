// The master list windows driven by keys: entry through the dialog, delete by code and range,
// the master check on 終了, the purse differences, the stored layout.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "bank/BankWindows.h"
#include "core/db/Recordset.h"
#include "purse/PurseWindows.h"
#include "support/TestEnv.h"
#include "ui/menu/MenuForm.h"
#include "ui/shell/Grid.h"
#include "ui/shell/Msg.h"

namespace {

QStringList gridRows(ui::FlexGrid* g) {
    QStringList out;
    for (int r = 1; r < g->rows(); ++r) out << g->text(0, r) + "|" + g->text(1, r) + "|" + g->text(2, r);
    return out;
}

class MasterListTest : public AppTest {
  protected:
    template <class W>
    W* openShown() {
        return shown(new W(session()));
    }
    void banks(std::initializer_list<int> codes) {
        for (int c : codes) sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (?,?,?)", {c, QString("銀行%1").arg(c), c * 100});
    }
    qint64 count(const QString& table) { return value("SELECT COUNT(*) FROM " + table).toLongLong(); }
    // The list's own code box (the entry dialog, a child of the list, has one of that name too).
    QLineEdit* codeBox(ui::MasterList* list) { return child<QLineEdit>(child(list, "frm_select_cd"), "txt_cd"); }
    // Types the codes into the delete frame as the user does: F2, code, Enter, code, Enter.
    void deleteByKeys(ui::MasterList* list, const QString& from, const QString& to) {
        press(list->grid(), Qt::Key_F2);
        typeEnter(child(list, "txt_cd2_0"), from);
        typeEnter(child(list, "txt_cd2_1"), to);
    }
};

TEST_F(MasterListTest, FirstBankIsProposedAsCodeOneAndJoinsTheEmptyGrid) {
    start(app::Program::Bank);
    auto* list = openShown<bank::form_T0101>();
    EXPECT_EQ(list->grid()->rows(), 1);
    whenModal([](QWidget* dlg) {
        EXPECT_EQ(dlg->objectName(), "form_T0102");
        EXPECT_EQ(child<QLineEdit>(dlg, "txt_cd")->text(), "1");
        EXPECT_EQ(child<QLabel>(dlg, "lbl_zan")->text(), "0");
        typeText(child<QLineEdit>(dlg, "txt_nm"), "みずほ銀行");
        press(dlg, Qt::Key_F1);
        EXPECT_EQ(child<QLineEdit>(dlg, "txt_cd")->text(), "2");  // cleared for the next bank
        press(dlg, Qt::Key_F10);
    });
    press(list->grid(), Qt::Key_F1);
    EXPECT_EQ(value("SELECT NM || '/' || ZAN FROM T01 WHERE CD=1").toString(), "みずほ銀行/0");
    EXPECT_EQ(gridRows(list->grid()), QStringList{"1|みずほ銀行|0"});
    EXPECT_TRUE(child<QPushButton>(list, "cmd_F1")->isEnabled());
}

// A code that is there opens the dialog on it; a missing one says so and opens nothing.
TEST_F(MasterListTest, ModifyByCodeUpdatesTheRowInPlaceAndKeepsOddNamesExactly) {
    start(app::Program::Bank);
    banks({1, 2, 3});
    auto* list = openShown<bank::form_T0101>();
    const QString apostrophe = "O'Reilly's \"Bank\"";
    const QString longName = QString("三井住友信託銀行").repeated(13).left(100);
    whenModal([&](QWidget* dlg) {
        EXPECT_EQ(child<QLineEdit>(dlg, "txt_nm")->text(), "銀行2");
        typeText(child<QLineEdit>(dlg, "txt_nm"), apostrophe);
        press(dlg, Qt::Key_F1);
        // A new bank with the long name, then the same code again: updated, not doubled.
        typeText(child<QLineEdit>(dlg, "txt_nm"), longName);
        press(dlg, Qt::Key_F1);
        typeEnter(child<QLineEdit>(dlg, "txt_cd"), "4");
        press(dlg, Qt::Key_F1);
        press(dlg, Qt::Key_F10);
    });
    press(list->grid(), Qt::Key_F3);
    typeEnter(codeBox(list), "2");
    EXPECT_EQ(count("T01"), 4);
    EXPECT_EQ(value("SELECT NM FROM T01 WHERE CD=2").toString(), apostrophe);
    EXPECT_EQ(value("SELECT NM FROM T01 WHERE CD=4").toString(), longName);
    EXPECT_EQ(gridRows(list->grid()),
              (QStringList{"1|銀行1|100", "2|" + apostrophe + "|200", "3|銀行3|300", "4|" + longName + "|0"}));
    EXPECT_FALSE(child(list, "frm_select_cd")->isVisible());

    press(list->grid(), Qt::Key_F3);
    typeEnter(codeBox(list), "7");
    EXPECT_EQ(messages().takeTexts(), QStringList{"レコードがありません"});
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// What is no code is refused with the frame left open; Cancel deletes nothing but reloads the
// grid; a second code not in the grid deletes the first code alone.
TEST_F(MasterListTest, DeleteByCodeRangeOrKeyAsksFirstAndRefusesWhatIsNoCode) {
    start(app::Program::Bank);
    banks({1, 2, 3, 4, 5});
    auto* list = openShown<bank::form_T0101>();
    QWidget* frame = child(list, "frm_select_cd2");
    deleteByKeys(list, "8", "");
    EXPECT_EQ(messages().takeTexts(), QStringList{"レコードがありません"});
    for (const char* second : {"2x", "4294967297"}) {  // the latter is no code, not code 1
        deleteByKeys(list, "1", second);
        const QStringList texts = messages().takeTexts();
        ASSERT_EQ(texts.size(), 1);
        EXPECT_TRUE(texts[0].contains("整数")) << texts[0].toStdString();
    }
    EXPECT_EQ(count("T01"), 5);
    EXPECT_TRUE(frame->isVisible());

    banks({6});  // stored behind the open list's back
    messages().pushAnswer(ui::Answer::Cancel);
    deleteByKeys(list, "1", "");
    EXPECT_EQ(messages().takeTexts(), QStringList{"1:銀行1を削除します。\r\nよろしいですか？"});
    EXPECT_EQ(count("T01"), 6);
    EXPECT_EQ(gridRows(list->grid()).value(5), "6|銀行6|600");
    EXPECT_FALSE(frame->isVisible());

    deleteByKeys(list, "1", "9");
    EXPECT_EQ(messages().takeTexts(), QStringList{"1:銀行1を削除します。\r\nよろしいですか？"});
    EXPECT_EQ(value("SELECT GROUP_CONCAT(CD) FROM T01").toString(), "2,3,4,5,6");
    EXPECT_FALSE(frame->isVisible());
    deleteByKeys(list, "2", "4");
    EXPECT_EQ(messages().takeTexts(), QStringList{"2:銀行2から4:銀行4までを削除します。\r\nよろしいですか？"});
    EXPECT_EQ(gridRows(list->grid()), (QStringList{"5|銀行5|500", "6|銀行6|600"}));

    // The Delete key asks for the current row; after the reload the cursor stands on the new last
    // row, and on an empty list there is no record to ask for.
    list->grid()->setRow(2);
    press(list->grid(), Qt::Key_Delete);
    EXPECT_EQ(messages().takeTexts(), QStringList{"6:銀行6を削除します。\r\nよろしいですか？"});
    EXPECT_EQ(count("T01"), 1);
    messages().pushAnswer(ui::Answer::Cancel);
    press(list->grid(), Qt::Key_Delete);
    press(list->grid(), Qt::Key_Delete);
    EXPECT_EQ(messages().takeTexts(), QStringList(2, "5:銀行5を削除します。\r\nよろしいですか？"));  // Cancel, then OK
    press(list->grid(), Qt::Key_Delete);
    EXPECT_EQ(messages().takeTexts(), QStringList{"レコードがありません"});
}

// Either way the layout is stored: both bank lists share the window's place, not the column widths.
TEST_F(MasterListTest, ClosingWithEndChecksTheMastersInOrderButTheCloseBoxDoesNot) {
    start(app::Program::Bank);
    ui::MenuConfig config;
    config.setupUi = bank::menuConfig().setupUi;
    config.master1 = "銀行マスター";
    ui::form_Menu menu(session(), config);
    auto* journal = child<QPushButton>(&menu, "cmd_S0101");

    auto* list = openShown<bank::form_T0101>();
    list->setGeometry(40, 50, 600, 400);
    list->grid()->setColumnWidth(1, 250);
    banks({1});
    list->close();  // the close box: no check
    EXPECT_TRUE(messages().takeTexts().isEmpty());
    EXPECT_FALSE(session().flg_T01);

    list = openShown<bank::form_T0101>();
    sql("DELETE FROM T01");
    press(list->grid(), Qt::Key_F10);
    EXPECT_EQ(messages().takeTexts(), (QStringList{"銀行を設定してください", "項目を設定してください"}));
    EXPECT_FALSE(journal->isEnabled());

    banks({1});
    sql("INSERT INTO T02 (CD,NM,KIND) VALUES (1,'給与',0)");
    auto* items = openShown<bank::form_T0201>();
    EXPECT_EQ(items->geometry(), QRect(40, 50, 600, 400));
    EXPECT_EQ(items->grid()->columnWidth(1), ui::toPixels(5000));
    items->grid()->setColumnWidth(1, 180);
    press(items->grid(), Qt::Key_F10);
    EXPECT_TRUE(messages().takeTexts().isEmpty());
    EXPECT_TRUE(session().flg_T01 && session().flg_T02);
    EXPECT_TRUE(journal->isEnabled());
    EXPECT_EQ(openShown<bank::form_T0101>()->grid()->columnWidth(1), 250);
}

TEST_F(MasterListTest, PurseEntryDialogIsModelessAndWritesIntoTheOpenList) {
    start(app::Program::Purse);
    auto* list = openShown<purse::form_T0101>();
    press(list->grid(), Qt::Key_F1);
    ui::MasterDialog* dlg = list->dialog();
    ASSERT_TRUE(dlg->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(child<QPushButton>(list, "cmd_F1")->isEnabled());
    typeText(child<QLineEdit>(dlg, "txt_nm"), "食費");
    press(dlg, Qt::Key_F3);
    press(dlg, Qt::Key_F1);
    EXPECT_EQ(gridRows(list->grid()), QStringList{"1|食費|支出"});
    EXPECT_EQ(value("SELECT KIND FROM T01 WHERE CD=1").toInt(), 1);

    // The Delete key deletes nothing here: it opens the modify frame, and a code typed there
    // while the dialog is open loads it into the dialog.
    press(dlg, Qt::Key_F9);
    list->grid()->setRow(1);
    press(list->grid(), Qt::Key_Delete);
    EXPECT_TRUE(child(list, "frm_select_cd")->isVisible());
    EXPECT_EQ(codeBox(list)->text(), "");
    EXPECT_TRUE(messages().takeTexts().isEmpty());
    EXPECT_EQ(child<QLineEdit>(dlg, "txt_nm")->text(), "");
    typeEnter(codeBox(list), "1");
    EXPECT_EQ(child<QLineEdit>(dlg, "txt_nm")->text(), "食費");
    EXPECT_EQ(count("T01"), 1);

    sql("DELETE FROM T01");
    press(list->grid(), Qt::Key_F10);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(messages().takeTexts(), QStringList{"科目を設定してください"});
}

}  // namespace
