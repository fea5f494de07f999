#pragma once
// The graph window of both programs (form_Graph): the series of one item, or of the running
// balance, over one month or one year, drawn as a chart.

#include <functional>
#include <optional>

#include "core/AppState.h"
#include "core/ledger/Series.h"
#include "ui/totals/TotalsForm.h"

class QChart;
class QChartView;
class QComboBox;
class QDialog;
class QLineEdit;

namespace ui {

class CodePair;

struct GraphConfig {
    // Builds the window's widgets (the program's Designer layout); the window finds them by name.
    std::function<void(QDialog*)> setupUi;
    app::Program program = app::Program::Bank;
    QString captionHead;       // "銀行項目別" / "科目別"
    bool bankControls = true;  // txt_b_cd, cmb_b_nm: one bank's entries
};
// The program's values (in ProgramWindows.cpp, beside the other windows' ones) with its layout.
GraphConfig graphConfig(app::Program program, std::function<void(QDialog*)> setupUi);

class GraphForm : public PeriodForm {
    Q_OBJECT
  public:
    GraphForm(app::Session& session, GraphConfig config, QWidget* parent = nullptr);

    // The table last handed to the chart (empty while the chart is hidden).
    const ledger::SeriesData& series() const { return m_series; }
    QChartView* chart() const { return m_view; }
    // What the point under the pointer tells (its period and value); empty when none.
    QString hoverText() const { return m_hoverText; }

    // Selects the list entries of the typed codes, reads the period and hands the series to
    // the chart; a period without entries for the selection leaves the chart hidden.
    void Build_Series();

  private:
    void Fill_GraphItemCombo();
    void setChartData(const ledger::SeriesData& data);

    struct BuildKey {
        qint64 bank = 0;
        qint64 item = 0;
    };

    GraphConfig m_config;
    QLineEdit* m_itemCode = nullptr;
    QComboBox* m_itemName = nullptr;
    CodePair* m_itemPair = nullptr;
    QChartView* m_view = nullptr;
    ledger::SeriesData m_series;
    QString m_hoverText;
    std::optional<BuildKey> m_built;
};

}  // namespace ui
