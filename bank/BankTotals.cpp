#include "bank/BankTotals.h"

#include "bank/BankWindows.h"

namespace bank {
namespace {

ui::TotalsConfig totalsConfig() {
    ui::TotalsConfig c;
    c.program = app::Program::Bank;
    c.captionHead = QStringLiteral("銀行項目別");
    c.clockWithMode = true;
    c.bankControls = true;
    c.countColumn = true;
    c.codeHeader = QStringLiteral("項目ｺｰﾄﾞ");
    c.nameHeader = QStringLiteral("項目名");
    c.kindHeader = QStringLiteral("項目分類");
    c.nameWidth = 2600;
    c.framesRight = false;
    c.printSide = false;
    return c;
}

ui::GraphConfig graphConfig() {
    ui::GraphConfig c;
    c.program = app::Program::Bank;
    c.captionHead = QStringLiteral("銀行項目別");
    c.bankControls = true;
    return c;
}

}  // namespace

form_S01T0101::form_S01T0101(QWidget* parent) : ui::TotalsForm(totalsConfig(), parent) {}
form_Graph::form_Graph(QWidget* parent) : ui::GraphForm(graphConfig(), parent) {}

ui::FormBase* Create_Totals(QWidget* menu) { return new form_S01T0101(menu); }
ui::FormBase* Create_Graph(QWidget* menu) { return new form_Graph(menu); }

}  // namespace bank
