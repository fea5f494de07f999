#pragma once
// The windows of the bank-book program, as the menu creates them .

class QWidget;
namespace app {
class Session;
}
namespace ui {
class FormBase;
}

namespace bank {
ui::FormBase* createJournal(app::Session& session, QWidget* menu);   // form_S0101
ui::FormBase* createTotals(app::Session& session, QWidget* menu);    // form_S01T0101, in the menu's period mode
ui::FormBase* createGraph(app::Session& session, QWidget* menu);     // form_Graph, in the menu's period mode
ui::FormBase* createBankList(app::Session& session, QWidget* menu);  // form_T0101
ui::FormBase* createItemList(app::Session& session, QWidget* menu);  // form_T0201
}  // namespace bank
