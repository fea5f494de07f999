#pragma once
// The bank book's totals and graph windows: one bank's entries by item.

#include "ui/GraphForm.h"
#include "ui/TotalsForm.h"

namespace bank {

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

}  // namespace bank
