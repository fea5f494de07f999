#include "bank/BankMasters.h"

#include "bank/BankWindows.h"
#include "ui_BankDialog.h"
#include "ui_BankList.h"
#include "ui_ItemDialog.h"
#include "ui_ItemList.h"

namespace bank {
namespace {

ui::MasterDesc bankDesc() {
    ui::MasterDesc d;
    d.master = ledger::Master::Bank;
    d.caption = QStringLiteral("銀行マスター");
    d.nameHeader = QStringLiteral("銀行名");
    d.thirdHeader = QStringLiteral("残高");
    d.layoutPrefix = QStringLiteral("T0101");
    d.gridPrefix = QStringLiteral("grd_T01ColWidth");
    d.printList = print::MasterList::Banks;
    d.missingFirst = QStringLiteral("銀行を設定してください");
    d.missingSecond = QStringLiteral("項目を設定してください");
    d.setupList = [](QDialog* w) { Ui::BankList().setupUi(w); };
    d.setupDialog = [](QDialog* w) { Ui::BankDialog().setupUi(w); };
    d.createDialog = [](ui::MasterList* list) -> ui::MasterDialog* { return new form_T0102(list); };
    return d;
}

ui::MasterDesc itemDesc() {
    ui::MasterDesc d = bankDesc();
    d.master = ledger::Master::Item;
    d.caption = QStringLiteral("項目マスター");
    d.nameHeader = QStringLiteral("科目名");
    d.thirdHeader = QStringLiteral("科目分類");
    // Both lists of the bank book share one stored window place and size.
    d.layoutPrefix = QStringLiteral("T0101");
    d.gridPrefix = QStringLiteral("grd_T02ColWidth");
    d.printList = print::MasterList::Items;
    d.setupList = [](QDialog* w) { Ui::ItemList().setupUi(w); };
    d.setupDialog = [](QDialog* w) { Ui::ItemDialog().setupUi(w); };
    d.createDialog = [](ui::MasterList* list) -> ui::MasterDialog* { return new form_T0202(list); };
    return d;
}

}  // namespace

form_T0101::form_T0101(app::Session& session, QWidget* parent) : ui::MasterList(session, bankDesc(), parent) {}
form_T0102::form_T0102(ui::MasterList* list) : ui::MasterDialog(list->desc(), list) {}
form_T0201::form_T0201(app::Session& session, QWidget* parent) : ui::MasterList(session, itemDesc(), parent) {}
form_T0202::form_T0202(ui::MasterList* list) : ui::MasterDialog(list->desc(), list) {}

ui::FormBase* createBankList(app::Session& session, QWidget* menu) { return new form_T0101(session, menu); }
ui::FormBase* createItemList(app::Session& session, QWidget* menu) { return new form_T0201(session, menu); }

}  // namespace bank
