#pragma once
// The windows of the bank-book program. The shared windows (common/ui) do the work; each name
// here is one of them with this program's values and Designer layout.

#include "bank/BankJournal.h"
#include "ui/menu/ProgramWindows.h"

namespace bank {

#include "ui/ProgramWindowNames.h"

// This program's values and Designer layouts of its masters' windows. The totals are one bank's
// by item, the graph one bank's item or balance.
ui::MasterDesc banks();
ui::MasterDesc items();

using form_T0101 = ui::ProgramWindow<ui::MasterList, banks>;  // bank master list
using form_T0102 = ui::MasterDialog;                          // bank entry dialog
using form_T0201 = ui::ProgramWindow<ui::MasterList, items>;  // item master list
using form_T0202 = ui::MasterDialog;                          // item entry dialog

}  // namespace bank
