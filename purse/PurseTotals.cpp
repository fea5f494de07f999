#include "purse/PurseTotals.h"

#include "purse/PurseWindows.h"
#include "ui_PurseGraph.h"
#include "ui_PurseTotals.h"

namespace purse {
namespace {

ui::TotalsConfig totalsConfig() {
    ui::TotalsConfig c;
    c.setupUi = [](QDialog* w) { Ui::PurseTotals().setupUi(w); };
    c.program = app::Program::Purse;
    c.captionHead = QStringLiteral("科目別");
    c.clockWithMode = false;
    c.bankControls = false;
    c.countColumn = false;
    c.codeHeader = QStringLiteral("科目ｺｰﾄﾞ");
    c.nameHeader = QStringLiteral("科目名");
    c.kindHeader = QStringLiteral("科目分類");
    c.nameWidth = 3000;
    c.framesRight = true;
    c.printSide = true;
    return c;
}

ui::GraphConfig graphConfig() {
    ui::GraphConfig c;
    c.setupUi = [](QDialog* w) { Ui::PurseGraph().setupUi(w); };
    c.program = app::Program::Purse;
    c.captionHead = QStringLiteral("科目別");
    c.bankControls = false;
    return c;
}

}  // namespace

form_S01T0101::form_S01T0101(app::Session& session, QWidget* parent)
    : ui::TotalsForm(session, totalsConfig(), parent) {}
form_Graph::form_Graph(app::Session& session, QWidget* parent) : ui::GraphForm(session, graphConfig(), parent) {}

ui::FormBase* createTotals(app::Session& session, QWidget* menu) { return new form_S01T0101(session, menu); }
ui::FormBase* createGraph(app::Session& session, QWidget* menu) { return new form_Graph(session, menu); }

}  // namespace purse
