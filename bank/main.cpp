#include "bank/BankWindows.h"
#include "ui/menu/AppMain.h"

int main(int argc, char** argv) { return ui::runProgram(argc, argv, app::Program::Bank, bank::menuConfig); }
