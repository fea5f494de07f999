#pragma once
// The household program's windows as its menu opens them.

#include "AppMain.h"
#include "MenuForm.h"
#include "PasswordForm.h"
#include "SystemInfoForm.h"

namespace purse {

using form_Menu = ui::form_Menu;
using form_U0101 = ui::form_U0101;
using form_U0102 = ui::form_U0102;

ui::MenuConfig Menu_Config();

}  // namespace purse
