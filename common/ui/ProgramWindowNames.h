// The windows both programs name alike, declared into the namespace of the program that includes
// this (bank, purse) after ui/menu/ProgramWindows.h; each program defines the functions in its
// own *Windows.cpp. No include guard: each program's namespace takes the declarations once, and
// a test that drives both programs sees both sets.

// The menu: its layout, captions and the windows it opens.
ui::MenuConfig menuConfig();
// Lays out the system information window as this program shows it.
void setupSystemInfo(QDialog* w);
ui::FormBase* createJournal(app::Session& session, QWidget* menu);  // form_S0101

// This program's values and Designer layouts of the totals and the graph.
ui::TotalsConfig totals();
ui::GraphConfig graph();

using form_Menu = ui::form_Menu;
using form_U0101 = ui::form_U0101;  // system information
using form_U0102 = ui::form_U0102;  // password
// The totals by item (category), and an item (category) or the balance as a graph, in the
// session's period mode.
using form_S01T0101 = ui::ProgramWindow<ui::TotalsForm, totals>;
using form_Graph = ui::ProgramWindow<ui::GraphForm, graph>;
