# Printing: page layout (no printer needed) and the writers that put it on paper or PDF.
add_library(print_core STATIC
  common/core/ledger/PrintLayout.cpp
)
target_link_libraries(print_core PUBLIC common_core)
add_library(print_ui STATIC
  common/ui/PrintWriters.cpp
)
target_link_libraries(print_ui PUBLIC print_core common_ui Qt6::PrintSupport)

kakeibo_add_test(print_layout_tests LIBS print_core SOURCES
  ${CMAKE_SOURCE_DIR}/tests/core/PrintLayoutTest.cpp
)
kakeibo_add_test(print_writer_tests LIBS print_ui SOURCES
  ${CMAKE_SOURCE_DIR}/tests/gui/PrintWriterTest.cpp
)
