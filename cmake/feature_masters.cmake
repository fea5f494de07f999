# Master maintenance: one list window and one entry dialog for banks, items and categories.
# The master rows' reading and writing needs no window and builds without Widgets.
add_library(masters_core STATIC
  common/core/ledger/Masters.cpp
)
target_link_libraries(masters_core PUBLIC common_core)

add_library(masters STATIC
  common/ui/MasterForms.cpp
  bank/BankMasters.cpp
  purse/PurseMasters.cpp
)
target_include_directories(masters PUBLIC bank purse)
target_link_libraries(masters PUBLIC masters_core common_ui print_ui)

kakeibo_add_test(masters_tests LIBS masters SOURCES
  ${CMAKE_SOURCE_DIR}/tests/gui/MasterListTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/gui/MasterDialogTest.cpp
)
