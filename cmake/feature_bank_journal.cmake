# The bank-book journal window.
add_library(bank_journal STATIC
  bank/BankJournal.cpp
)
target_include_directories(bank_journal PUBLIC bank)
target_link_libraries(bank_journal PUBLIC common_ui print_ui)
