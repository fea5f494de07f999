#include "bank/BankTotals.h"

#include "bank/BankWindows.h"
#include "ui_BankGraph.h"
#include "ui_BankTotals.h"

namespace bank {
namespace {

ui::TotalsConfig totalsConfig() {
    ui::TotalsConfig c;
    c.setupUi = [](QDialog* w) { Ui::BankTotals().setupUi(w); };
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
    c.setupUi = [](QDialog* w) { Ui::BankGraph().setupUi(w); };
    c.program = app::Program::Bank;
    c.captionHead = QStringLiteral("銀行項目別");
    c.bankControls = true;
    return c;
}

}  // namespace

form_S01T0101::form_S01T0101(app::Session& session, QWidget* parent)
    : ui::TotalsForm(session, totalsConfig(), parent) {}
form_Graph::form_Graph(app::Session& session, QWidget* parent) : ui::GraphForm(session, graphConfig(), parent) {}

ui::FormBase* createTotals(app::Session& session, QWidget* menu) { return new form_S01T0101(session, menu); }
ui::FormBase* createGraph(app::Session& session, QWidget* menu) { return new form_Graph(session, menu); }

}  // namespace bank
