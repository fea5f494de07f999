#pragma once
// The windows of the bank-book program, as the menu creates them (null while not built).

class QWidget;
namespace ui {
class FormBase;
}

namespace bank {
ui::FormBase* Create_Journal(QWidget* menu);   // form_S0101
ui::FormBase* Create_Totals(QWidget* menu);    // form_S01T0101, in the menu's period mode
ui::FormBase* Create_Graph(QWidget* menu);     // form_Graph, in the menu's period mode
ui::FormBase* Create_BankList(QWidget* menu);  // form_T0101
ui::FormBase* Create_ItemList(QWidget* menu);  // form_T0201
}  // namespace bank
