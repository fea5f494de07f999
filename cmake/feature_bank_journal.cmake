# The bank-book journal: its logic without a window (bank_ledger) and its window (bank_journal).
add_library(bank_ledger STATIC
  common/core/ledger/BankBook.cpp
)
target_link_libraries(bank_ledger PUBLIC common_core)

add_library(bank_journal STATIC
  bank/BankJournal.cpp
)
target_include_directories(bank_journal PUBLIC bank)
target_link_libraries(bank_journal PUBLIC bank_ledger common_ui print_ui)

kakeibo_add_test(bank_ledger_tests LIBS bank_ledger SOURCES
  ${CMAKE_SOURCE_DIR}/tests/core/BankBookTest.cpp
)
kakeibo_add_test(bank_journal_tests LIBS bank_journal SOURCES
  ${CMAKE_SOURCE_DIR}/tests/gui/BankJournalTest.cpp
)
