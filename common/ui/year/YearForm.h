#pragma once
// The year at a glance (年間収支表) of both programs, and the pie of where the money went. Both are
// reached from the totals windows (Ctrl+G the year table, Ctrl+P the pie); the pie also from the
// year table.

#include <memory>
#include <optional>

#include "core/ledger/YearTable.h"
#include "ui/shell/FormBase.h"

namespace models {
class YearModel;
class PieModel;
}  // namespace models
namespace Ui {
class Year;
class Pie;
}  // namespace Ui

class QChartView;

namespace ui {

class FlexGrid;

// The settings key of the start month: [year] startMonth, 1..12 (1 when absent or wrong).
int storedStartMonth();

class YearForm : public FormBase {
    Q_OBJECT
  public:
    // The span's year and, in the bank book, the bank shown first (nullopt: every bank).
    YearForm(app::Session& session, int year, std::optional<qint64> bank, QWidget* parent = nullptr);
    ~YearForm() override;

    const ledger::YearTable& table() const;
    FlexGrid* grid() const;
    ledger::YearSpan span() const { return m_span; }
    std::optional<qint64> bank() const { return m_bank; }
    // Reads the table for the boxes' year, start month and bank.
    void recompute();
    // Opens the search window over the rows of the grid cell's line and month (all the span's
    // months on 年計 and 月平均); nothing on subtotal lines.
    void searchCell(int row, int column);

  protected:
    void showBookAgain() override { recompute(); }

  private:
    void stepYear(int n);
    void printTable();

    std::unique_ptr<Ui::Year> ui;
    models::YearModel* m_model = nullptr;
    ledger::YearSpan m_span;
    std::optional<qint64> m_bank;
};

// What a pie is drawn of: a span and, in the bank book, a bank (nullopt: every bank); a month
// column (0..11) or the whole span (-1); income or expense; by category (item) or by group.
struct PieChoice {
    ledger::YearSpan span;
    std::optional<qint64> bank;
    int column = -1;
    bool income = false;
    bool byGroup = false;
};

class PieForm : public FormBase {
    Q_OBJECT
  public:
    PieForm(app::Session& session, PieChoice choice, QWidget* parent = nullptr);
    ~PieForm() override;

    const QList<ledger::PieSlice>& slices() const;
    QChartView* chart() const;
    // What the slice under the pointer tells (name, amount, per cent); empty when none.
    QString hoverText() const { return m_hover; }
    // Reads the table and draws the pie for the choice in the boxes.
    void recompute();

  protected:
    void showBookAgain() override { recompute(); }

  private:
    void drawPie();
    void printPie();

    std::unique_ptr<Ui::Pie> ui;
    models::PieModel* m_model = nullptr;
    PieChoice m_choice;
    QString m_hover;
};

// The windows as the totals windows and the year table open them: modeless, one of each kind per
// parent, brought to the front and given the new choice when already open.
YearForm* openYearTable(FormBase* from, int year, std::optional<qint64> bank);
PieForm* openPie(FormBase* from, const PieChoice& choice);

// The windows as the main menu makes them (it shows them itself): the year counted from the
// stored start month that today lies in, every bank; the pie of this month's expense.
FormBase* newYearTable(app::Session& session, QWidget* menu);
FormBase* newPie(app::Session& session, QWidget* menu);

}  // namespace ui
