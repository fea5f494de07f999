#include "bank/BankWindows.h"

#include "ui/recurring/RecurringWindows.h"
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

void setupSystemInfo(QDialog* w) { setupFrom<Ui::BankSystemInfo>(w); }

ui::MenuConfig menuConfig() {
    // Due recurring entries are asked about once the journal shows.
    return ui::programMenu<Ui::BankMenu, Ui::BankSystemInfo, form_S01T0101, form_Graph>(
        app::Program::Bank, ui::askingDue(createJournal),
        {ui::menuWindow<form_T0101>({ui::MenuTarget::Master1}), ui::menuWindow<form_T0201>({ui::MenuTarget::Master2})});
}

ui::TotalsConfig totals() { return ui::totalsConfig(app::Program::Bank, setupFrom<Ui::BankTotals>); }
ui::GraphConfig graph() { return ui::graphConfig(app::Program::Bank, setupFrom<Ui::BankGraph>); }
ui::MasterDesc banks() { return ui::masterDesc<Ui::BankList, Ui::BankDialog>(ledger::Master::Bank); }
ui::MasterDesc items() { return ui::masterDesc<Ui::ItemList, Ui::ItemDialog>(ledger::Master::Item); }

}  // namespace bank
