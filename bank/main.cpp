#include "bank/BankMenu.h"

int main(int argc, char** argv) { return ui::Run_Program(argc, argv, app::Program::Bank, bank::Menu_Config); }
