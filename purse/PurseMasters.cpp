#include "purse/PurseMasters.h"

#include "purse/PurseWindows.h"
#include "ui_CategoryDialog.h"
#include "ui_CategoryList.h"

namespace purse {
namespace {

ui::MasterDesc categoryDesc() {
    ui::MasterDesc d;
    d.master = ledger::Master::Category;
    d.caption = QStringLiteral("科目マスター");
    d.nameHeader = QStringLiteral("科目名");
    d.thirdHeader = QStringLiteral("科目分類");
    d.layoutPrefix = QStringLiteral("T0101");
    d.gridPrefix = QStringLiteral("grd_T01ColWidth");
    d.printList = print::MasterList::Categories;
    d.modeless = true;
    d.swapPrevNext = true;
    d.deleteKeyModifies = true;
    d.missingFirst = QStringLiteral("科目を設定してください");
    d.setupList = [](QDialog* w) { Ui::CategoryList().setupUi(w); };
    d.setupDialog = [](QDialog* w) { Ui::CategoryDialog().setupUi(w); };
    d.createDialog = [](ui::MasterList* list) -> ui::MasterDialog* { return new form_T0102(list); };
    return d;
}

}  // namespace

form_T0101::form_T0101(app::Session& session, QWidget* parent) : ui::MasterList(session, categoryDesc(), parent) {}
form_T0102::form_T0102(ui::MasterList* list) : ui::MasterDialog(list->desc(), list) {}

ui::FormBase* createCategoryList(app::Session& session, QWidget* menu) { return new form_T0101(session, menu); }

}  // namespace purse
