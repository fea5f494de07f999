#pragma once
// The category master of the household book.

#include "ui/MasterForms.h"

namespace purse {

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
