#pragma once
// What both programs' main() do: options, fonts and style, the menu's start-up, the event loop.

#include <functional>

#include "core/AppState.h"
#include "ui/menu/MenuForm.h"

namespace ui {

// Reads the program's own options (--data-dir DIR, --print-dir DIR) and removes them from the arguments.
// Returns false with a usage text for an option it cannot read.
bool parseOptions(int& argc, char** argv, app::Places& places, QString* error);
// The look every window shares (style, Japanese font).
void applyLook();
// Qt's own texts (standard buttons and dialogs) in Japanese, for the whole run.
void loadQtTranslations();
int runProgram(int argc, char** argv, app::Program program, std::function<MenuConfig()> config);

}  // namespace ui
