#pragma once
// The windows of the household program. The shared windows (common/ui) do the work; each class
// here gives one of them this program's Designer layout and the window's name.

#include "purse/PurseJournal.h"
#include "ui/menu/ProgramWindows.h"

namespace purse {

using form_Menu = ui::form_Menu;
using form_U0101 = ui::form_U0101;  // system information
using form_U0102 = ui::form_U0102;  // password

// The menu: its layout, captions and the windows it opens.
ui::MenuConfig menuConfig();
// Lays out the system information window as this program shows it.
void setupSystemInfo(QDialog* w);
ui::FormBase* createJournal(app::Session& session, QWidget* menu);  // form_S0101

class form_S01T0101 : public ui::TotalsForm {  // all entries by category, in the session's period mode
    Q_OBJECT
  public:
    explicit form_S01T0101(app::Session& session, QWidget* parent = nullptr);
};

class form_Graph : public ui::GraphForm {  // a category or the balance, in the session's period mode
    Q_OBJECT
  public:
    explicit form_Graph(app::Session& session, QWidget* parent = nullptr);
};

class form_T0101 : public ui::MasterList {  // category master list
    Q_OBJECT
  public:
    explicit form_T0101(app::Session& session, QWidget* parent = nullptr);
};

class form_T0102 : public ui::MasterDialog {  // category entry dialog
    Q_OBJECT
  public:
    explicit form_T0102(ui::MasterList* list);
};

}  // namespace purse
