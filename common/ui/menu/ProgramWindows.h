#pragma once
// What each program's own window classes are made of: the shared windows with their values by
// program, and the helpers that hand them the program's Designer layouts and classes.

#include "ui/graph/GraphForm.h"
#include "ui/masters/MasterForms.h"
#include "ui/menu/MenuForm.h"
#include "ui/menu/PasswordForm.h"
#include "ui/menu/SystemInfoForm.h"
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

// A master's windows with the program's Designer layouts of its list and its entry dialog, and
// the dialog's own class.
template <class ListLayout, class DialogLayout, class Dialog>
MasterDesc masterDesc(ledger::Master master) {
    return masterDesc(master, setupFrom<ListLayout>, setupFrom<DialogLayout>,
                      [](MasterList* list) -> MasterDialog* { return new Dialog(list); });
}

}  // namespace ui
