#pragma once
// The windows of the bank-book program. The shared windows (common/ui) do the work; each name
// here is one of them with this program's values and Designer layout.

#include "bank/BankJournal.h"
#include "ui/menu/ProgramWindows.h"

namespace bank {

// The menu: its layout, captions and the windows it opens.
ui::MenuConfig menuConfig();
// Lays out the system information window as this program shows it.
void setupSystemInfo(QDialog* w);
ui::FormBase* createJournal(app::Session& session, QWidget* menu);  // form_S0101

// This program's values and Designer layouts of the windows below.
ui::TotalsConfig totals();
ui::GraphConfig graph();
ui::MasterDesc banks();
ui::MasterDesc items();

using form_Menu = ui::form_Menu;
using form_U0101 = ui::form_U0101;  // system information
using form_U0102 = ui::form_U0102;  // password
// One bank's totals by item, and one bank's item or balance as a graph, in the session's period mode.
using form_S01T0101 = ui::ProgramWindow<ui::TotalsForm, totals>;
using form_Graph = ui::ProgramWindow<ui::GraphForm, graph>;
using form_T0101 = ui::ProgramWindow<ui::MasterList, banks>;  // bank master list
using form_T0102 = ui::MasterDialog;                          // bank entry dialog
using form_T0201 = ui::ProgramWindow<ui::MasterList, items>;  // item master list
using form_T0202 = ui::MasterDialog;                          // item entry dialog

}  // namespace bank
