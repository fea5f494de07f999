#pragma once
// The search window's grid.

#include "core/AppState.h"
#include "core/io/Search.h"
#include "core/models/GridModel.h"

namespace models {

// The rows found: 日付, 銀行 (ページ), 項目 (科目), 金額 (income positive, expense negative), 備考.
class SearchHitsModel : public RowsModel<io::SearchHit> {
    Q_OBJECT
  public:
    SearchHitsModel(app::Program program, QObject* parent = nullptr)
        : RowsModel(5, parent), m_bank(program == app::Program::Bank) {}

  protected:
    QString cell(const io::SearchHit& h, int column) const override;
    bool rightAligned(int, int column) const override { return column == 3 || (!m_bank && column == 1); }

  public:
    ColumnKind columnKind(int column) const override {
        if (column == 0) return ColumnKind::Date;
        return rightAligned(0, column) ? ColumnKind::Number : ColumnKind::Text;
    }

  private:
    bool m_bank;
};

}  // namespace models
