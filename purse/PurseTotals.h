#pragma once
// The household book's totals and graph windows: all entries by category.

#include "ui/GraphForm.h"
#include "ui/TotalsForm.h"

namespace purse {

class form_S01T0101 : public ui::TotalsForm {
    Q_OBJECT
  public:
    explicit form_S01T0101(app::Session& session, QWidget* parent = nullptr);
};

class form_Graph : public ui::GraphForm {
    Q_OBJECT
  public:
    explicit form_Graph(app::Session& session, QWidget* parent = nullptr);
};

}  // namespace purse
