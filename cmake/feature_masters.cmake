# Master maintenance: one list window and one entry dialog for banks, items and categories.
add_library(masters STATIC
  common/ui/MasterForms.cpp
  bank/BankMasters.cpp
  purse/PurseMasters.cpp
)
target_include_directories(masters PUBLIC bank purse)
target_link_libraries(masters PUBLIC common_ui print_ui)
