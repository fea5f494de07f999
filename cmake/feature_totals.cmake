# Period totals and graphs of both programs.
add_library(totals STATIC
  bank/BankTotals.cpp
  purse/PurseTotals.cpp
)
target_include_directories(totals PUBLIC bank purse)
target_link_libraries(totals PUBLIC common_ui print_ui Qt6::Charts)
