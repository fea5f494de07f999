# The household journal window and its pages and running balances.
add_library(purse_journal STATIC
  purse/PurseJournal.cpp
)
target_include_directories(purse_journal PUBLIC purse)
target_link_libraries(purse_journal PUBLIC common_ui print_ui)

kakeibo_add_test(purse_pages_tests SOURCES
  ${CMAKE_SOURCE_DIR}/tests/core/PagesTest.cpp
)
kakeibo_add_test(purse_journal_tests LIBS purse_journal SOURCES
  ${CMAKE_SOURCE_DIR}/tests/gui/PurseJournalTest.cpp
)
