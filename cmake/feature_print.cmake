# Printing: page layout (no printer needed) and the writers that put it on paper or PDF.
add_library(print_ui STATIC
  common/ui/PrintWriters.cpp
)
target_link_libraries(print_ui PUBLIC common_ui Qt6::PrintSupport)

kakeibo_add_test(print_layout_tests SOURCES
  ${CMAKE_SOURCE_DIR}/tests/core/PrintLayoutTest.cpp
)
kakeibo_add_test(print_writer_tests LIBS print_ui SOURCES
  ${CMAKE_SOURCE_DIR}/tests/gui/PrintWriterTest.cpp
)
