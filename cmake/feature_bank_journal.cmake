# The bank-book journal window; its logic lives in common_core.
add_library(bank_journal STATIC
  bank/BankJournal.cpp
)
target_include_directories(bank_journal PUBLIC bank)
target_link_libraries(bank_journal PUBLIC common_ui print_ui)

kakeibo_add_test(bank_ledger_tests SOURCES
  ${CMAKE_SOURCE_DIR}/tests/core/BankBookTest.cpp
)
kakeibo_add_test(bank_journal_tests LIBS bank_journal SOURCES
  ${CMAKE_SOURCE_DIR}/tests/gui/BankJournalTest.cpp
)
