#include "bank/BankWindows.h"

#include "ui_BankDialog.h"
#include "ui_BankGraph.h"
#include "ui_BankList.h"
#include "ui_BankMenu.h"
#include "ui_BankSystemInfo.h"
#include "ui_BankTotals.h"
#include "ui_ItemDialog.h"
#include "ui_ItemList.h"

namespace bank {

using ui::setupFrom;

void setupSystemInfo(QDialog* w) { Ui::BankSystemInfo().setupUi(w); }

ui::MenuConfig menuConfig() {
    ui::MenuWindows windows;
    windows.journal = createJournal;
    windows.totals = ui::newWindow<form_S01T0101>;
    windows.graph = ui::newWindow<form_Graph>;
    windows.master1 = ui::newWindow<form_T0101>;
    windows.master2 = ui::newWindow<form_T0201>;
    windows.systemInfo = setupSystemInfo;
    return ui::menuConfig(app::Program::Bank, setupFrom<Ui::BankMenu>, windows);
}

form_S01T0101::form_S01T0101(app::Session& session, QWidget* parent)
    : ui::TotalsForm(session, ui::totalsConfig(app::Program::Bank, setupFrom<Ui::BankTotals>), parent) {}

form_Graph::form_Graph(app::Session& session, QWidget* parent)
    : ui::GraphForm(session, ui::graphConfig(app::Program::Bank, setupFrom<Ui::BankGraph>), parent) {}

form_T0101::form_T0101(app::Session& session, QWidget* parent)
    : ui::MasterList(session, ui::masterDesc<Ui::BankList, Ui::BankDialog, form_T0102>(ledger::Master::Bank), parent) {}
form_T0102::form_T0102(ui::MasterList* list) : ui::MasterDialog(list->desc(), list) {}

form_T0201::form_T0201(app::Session& session, QWidget* parent)
    : ui::MasterList(session, ui::masterDesc<Ui::ItemList, Ui::ItemDialog, form_T0202>(ledger::Master::Item), parent) {}
form_T0202::form_T0202(ui::MasterList* list) : ui::MasterDialog(list->desc(), list) {}

}  // namespace bank
