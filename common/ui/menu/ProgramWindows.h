#pragma once
// What each program's own windows are made of: the shared windows with their values by
// program, and the helpers that hand them the program's Designer layouts and classes.

#include "ui/budget/BudgetWindows.h"
#include "ui/graph/GraphForm.h"
#include "ui/masters/MasterForms.h"
#include "ui/menu/MenuForm.h"
#include "ui/menu/PasswordForm.h"
#include "ui/menu/SystemInfoForm.h"
#include "ui/recurring/RecurringWindows.h"
#include "ui/totals/TotalsForm.h"

namespace ui {

// A Designer layout (the class uic writes from a forms/*.ui file) as a window's set-up function.
template <class Layout>
void setupFrom(QDialog* w) {
    Layout().setupUi(w);
}

// A window class made from the session and its parent, as the menu creates it.
template <class Window>
FormBase* newWindow(app::Session& session, QWidget* menu) {
    return new Window(session, menu);
}

// The menu's entry for a window class: the targets that open it.
template <class Window>
MenuWindow menuWindow(std::vector<MenuTarget> targets) {
    return {std::move(targets), newWindow<Window>};
}

// The system information window with the program's Designer layout.
template <class Layout>
FormBase* newSystemInfo(app::Session& session, QWidget* menu) {
    return new form_U0101(session, setupFrom<Layout>, menu);
}

// A program's menu with its Designer layout: it opens the windows both programs have, the
// journal, the totals and the graph (each for a month and for a year) and system information,
// and after them the program's own (its masters).
template <class MenuLayout, class SystemInfoLayout, class Totals, class Graph>
MenuConfig programMenu(app::Program program, WindowCreator journal, MenuWindows own) {
    MenuWindows windows = {
        {{MenuTarget::Journal}, std::move(journal)},
        menuWindow<Totals>({MenuTarget::MonthTotals, MenuTarget::YearTotals}),
        menuWindow<Graph>({MenuTarget::MonthGraph, MenuTarget::YearGraph}),
        {{MenuTarget::SystemInfo}, newSystemInfo<SystemInfoLayout>},
    };
    windows.insert(windows.end(), own.begin(), own.end());
    return menuConfig(program, setupFrom<MenuLayout>, std::move(windows));
}

// One of a program's windows under the name the design gives it (bank::form_S01T0101,
// purse::form_T0101, ...): the shared window `Base` with what `describe` returns, the program's
// values and Designer layout, which the program's folder defines beside its Designer files.
// Made from the session and its parent, as the menu creates it.
template <class Base, auto describe>
class ProgramWindow : public Base {
  public:
    explicit ProgramWindow(app::Session& session, QWidget* parent = nullptr) : Base(session, describe(), parent) {}
};

// A master's windows with the program's Designer layouts of its list and its entry dialog.
template <class ListLayout, class DialogLayout>
MasterDesc masterDesc(ledger::Master master) {
    return masterDesc(master, setupFrom<ListLayout>, setupFrom<DialogLayout>, {});
}

}  // namespace ui
