# Period totals and graphs of both programs.
add_library(totals STATIC
  common/ui/TotalsForm.cpp
  common/ui/GraphForm.cpp
  bank/BankTotals.cpp
  purse/PurseTotals.cpp
)
target_include_directories(totals PUBLIC bank purse)
target_link_libraries(totals PUBLIC common_ui print_ui Qt6::Charts)

kakeibo_add_test(totals_core_tests SOURCES
  ${CMAKE_SOURCE_DIR}/tests/core/TotalsTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/core/SeriesTest.cpp
)
kakeibo_add_test(totals_gui_tests LIBS totals SOURCES
  ${CMAKE_SOURCE_DIR}/tests/gui/TotalsWindowTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/gui/GraphWindowTest.cpp
)
