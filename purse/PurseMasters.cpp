#include "Windows.h"

namespace purse {
ui::FormBase* Create_CategoryList(QWidget*) { return nullptr; }
}  // namespace purse
