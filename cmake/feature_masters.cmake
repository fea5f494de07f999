# Master maintenance: one list window and one entry dialog for banks, items and categories.
add_library(masters STATIC
  common/ui/MasterForms.cpp
  bank/BankMasters.cpp
  purse/PurseMasters.cpp
)
target_include_directories(masters PUBLIC bank purse)
target_link_libraries(masters PUBLIC common_ui print_ui)

kakeibo_add_test(masters_tests LIBS masters SOURCES
  ${CMAKE_SOURCE_DIR}/tests/gui/MasterListTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/gui/MasterDialogTest.cpp
)
