#include "Windows.h"

namespace bank {
ui::FormBase* Create_BankList(QWidget*) { return nullptr; }
ui::FormBase* Create_ItemList(QWidget*) { return nullptr; }
}  // namespace bank
