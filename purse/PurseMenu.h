#pragma once
// The household program's windows as its menu opens them.

#include "ui/AppMain.h"
#include "ui/MenuForm.h"
#include "ui/PasswordForm.h"
#include "ui/SystemInfoForm.h"

namespace purse {

using form_Menu = ui::form_Menu;
using form_U0101 = ui::form_U0101;
using form_U0102 = ui::form_U0102;

ui::MenuConfig menuConfig();
// Lays out the system information window as this program shows it.
void setupSystemInfo(QDialog* w);

}  // namespace purse
