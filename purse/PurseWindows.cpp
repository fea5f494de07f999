#include "purse/PurseWindows.h"

#include "ui/recurring/RecurringWindows.h"
#include "ui_CategoryDialog.h"
#include "ui_CategoryList.h"
#include "ui_PurseGraph.h"
#include "ui_PurseMenu.h"
#include "ui_PurseSystemInfo.h"
#include "ui_PurseTotals.h"

namespace purse {

using ui::setupFrom;

void setupSystemInfo(QDialog* w) { setupFrom<Ui::PurseSystemInfo>(w); }

ui::MenuConfig menuConfig() {
    // Due recurring entries are asked about once the journal shows, onto its page.
    return ui::programMenu<Ui::PurseMenu, Ui::PurseSystemInfo, form_S01T0101, form_Graph>(
        app::Program::Purse,
        ui::askingDue(createJournal, [](ui::FormBase* journal) { return static_cast<form_S0101*>(journal)->page(); }),
        {ui::menuWindow<form_T0101>({ui::MenuTarget::Master1})});
}

ui::TotalsConfig totals() { return ui::totalsConfig(app::Program::Purse, setupFrom<Ui::PurseTotals>); }
ui::GraphConfig graph() { return ui::graphConfig(app::Program::Purse, setupFrom<Ui::PurseGraph>); }
ui::MasterDesc categories() { return ui::masterDesc<Ui::CategoryList, Ui::CategoryDialog>(ledger::Master::Category); }

}  // namespace purse
