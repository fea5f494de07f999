#pragma once
// The bank master and the item master of the bank book.

#include "ui/MasterForms.h"

namespace bank {

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
