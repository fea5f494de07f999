#include "purse/PurseMenu.h"

int main(int argc, char** argv) { return ui::Run_Program(argc, argv, app::Program::Purse, purse::Menu_Config); }
