#include "purse/PurseWindows.h"

#include "ui_CategoryDialog.h"
#include "ui_CategoryList.h"
#include "ui_PurseGraph.h"
#include "ui_PurseMenu.h"
#include "ui_PurseSystemInfo.h"
#include "ui_PurseTotals.h"

namespace purse {

using ui::setupFrom;

void setupSystemInfo(QDialog* w) { Ui::PurseSystemInfo().setupUi(w); }

ui::MenuConfig menuConfig() {
    ui::MenuWindows windows;
    windows.journal = createJournal;
    windows.totals = ui::newWindow<form_S01T0101>;
    windows.graph = ui::newWindow<form_Graph>;
    windows.master1 = ui::newWindow<form_T0101>;
    windows.systemInfo = setupSystemInfo;
    return ui::menuConfig(app::Program::Purse, setupFrom<Ui::PurseMenu>, windows);
}

form_S01T0101::form_S01T0101(app::Session& session, QWidget* parent)
    : ui::TotalsForm(session, ui::totalsConfig(app::Program::Purse, setupFrom<Ui::PurseTotals>), parent) {}

form_Graph::form_Graph(app::Session& session, QWidget* parent)
    : ui::GraphForm(session, ui::graphConfig(app::Program::Purse, setupFrom<Ui::PurseGraph>), parent) {}

form_T0101::form_T0101(app::Session& session, QWidget* parent)
    : ui::MasterList(
          session, ui::masterDesc<Ui::CategoryList, Ui::CategoryDialog, form_T0102>(ledger::Master::Category), parent) {
}
form_T0102::form_T0102(ui::MasterList* list) : ui::MasterDialog(list->desc(), list) {}

}  // namespace purse
