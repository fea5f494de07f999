#pragma once
// The budget windows of both programs: 予算設定 (BudgetWindow), the plan of a year with a cell per
// category and month, each cell written as it is committed; and 予算実績 (BudgetReportWindow),
// budget against actual for a month or a year. Their controls are few and made here.

#include <optional>

#include "core/ledger/Budget.h"
#include "core/models/BudgetModels.h"
#include "ui/shell/FormBase.h"

class QFrame;
class QLineEdit;
class QRadioButton;

namespace ui {

class FlexGrid;
class PeriodControls;

class BudgetWindow : public FormBase {
    Q_OBJECT
  public:
    explicit BudgetWindow(app::Session& session, QWidget* parent = nullptr);

    FlexGrid* grid() const { return m_grid; }
    models::BudgetPlanModel* plan() const { return m_plan; }
    int year() const { return m_plan->year(); }
    void showYear(int year);
    // Writes what was typed into a cell (an amount) or removes the cell's row (Delete).
    void commitCell(int row, int column, const QString& text);
    void removeCell(int row, int column);
    virtual void Print_Budget();

  protected:
    void showBookAgain() override { reload(); }

  private:
    void reload();
    void write(int row, int column, std::optional<qint64> amount);
    FlexGrid* m_grid = nullptr;
    models::BudgetPlanModel* m_plan = nullptr;
    QLineEdit* m_year = nullptr;
};

class BudgetReportWindow : public FormBase {
    Q_OBJECT
  public:
    explicit BudgetReportWindow(app::Session& session, QWidget* parent = nullptr);

    FlexGrid* grid() const { return m_grid; }
    models::BudgetReportModel* report() const { return m_report; }
    QLineEdit* yearBox() const;
    QLineEdit* monthBox() const;
    int mode() const { return m_mode; }
    // 0: the month of the boxes, 1: their year.
    void setMode(int mode);
    void recompute();
    QString caption() const;
    virtual void Print_Report();

  protected:
    void showBookAgain() override { recompute(); }

  private:
    void printRun();
    int m_mode = 0;
    PeriodControls* m_period = nullptr;
    FlexGrid* m_grid = nullptr;
    models::BudgetReportModel* m_report = nullptr;
    QFrame* m_side = nullptr;
    QRadioButton* m_front = nullptr;
};

}  // namespace ui
