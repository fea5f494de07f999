# Printing: page layout (no printer needed) and the writers that put it on paper or PDF.
add_library(print_core STATIC
  common/core/ledger/PrintLayout.cpp
)
target_link_libraries(print_core PUBLIC common_core)
add_library(print_ui STATIC
  common/ui/PrintWriters.cpp
)
target_link_libraries(print_ui PUBLIC print_core common_ui Qt6::PrintSupport)
