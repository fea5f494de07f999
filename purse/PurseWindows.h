#pragma once
// The windows of the household program. The shared windows (common/ui) do the work; each name
// here is one of them with this program's values and Designer layout.

#include "purse/PurseJournal.h"
#include "ui/menu/ProgramWindows.h"

namespace purse {

#include "ui/ProgramWindowNames.h"

// This program's values and Designer layouts of its master's windows. The totals are all
// entries by category, the graph a category or the balance.
ui::MasterDesc categories();

using form_T0101 = ui::ProgramWindow<ui::MasterList, categories>;  // category master list
using form_T0102 = ui::MasterDialog;                               // category entry dialog

}  // namespace purse
