#pragma once
// The windows of the bank-book program. The shared windows (common/ui) do the work; each class
// here gives one of them this program's Designer layout and the window's name.

#include "bank/BankJournal.h"
#include "ui/menu/ProgramWindows.h"

namespace bank {

using form_Menu = ui::form_Menu;
using form_U0101 = ui::form_U0101;  // system information
using form_U0102 = ui::form_U0102;  // password

// The menu: its layout, captions and the windows it opens.
ui::MenuConfig menuConfig();
// Lays out the system information window as this program shows it.
void setupSystemInfo(QDialog* w);
ui::FormBase* createJournal(app::Session& session, QWidget* menu);  // form_S0101

class form_S01T0101 : public ui::TotalsForm {  // one bank's totals by item, in the session's period mode
    Q_OBJECT
  public:
    explicit form_S01T0101(app::Session& session, QWidget* parent = nullptr);
};

class form_Graph : public ui::GraphForm {  // one bank's item or balance, in the session's period mode
    Q_OBJECT
  public:
    explicit form_Graph(app::Session& session, QWidget* parent = nullptr);
};

class form_T0101 : public ui::MasterList {  // bank master list
    Q_OBJECT
  public:
    explicit form_T0101(app::Session& session, QWidget* parent = nullptr);
};

class form_T0102 : public ui::MasterDialog {  // bank entry dialog
    Q_OBJECT
  public:
    explicit form_T0102(ui::MasterList* list);
};

class form_T0201 : public ui::MasterList {  // item master list
    Q_OBJECT
  public:
    explicit form_T0201(app::Session& session, QWidget* parent = nullptr);
};

class form_T0202 : public ui::MasterDialog {  // item entry dialog
    Q_OBJECT
  public:
    explicit form_T0202(ui::MasterList* list);
};

}  // namespace bank
