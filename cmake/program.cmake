# kakeibo_add_program(name BOOK file SOURCES file...), called from the program's folder: its
# windows library <name>_windows (namespace <name>, Designer files in forms/), the program
# <name> built from main.cpp, and beside it the help file data/<name>.hlp and an empty book
# `file`, so that the build tree works as a portable copy.
function(kakeibo_add_program name)
  cmake_parse_arguments(P "" "BOOK" "SOURCES" ${ARGN})
  add_library(${name}_windows STATIC ${P_SOURCES})
  target_include_directories(${name}_windows PUBLIC ${PROJECT_SOURCE_DIR})
  set_property(TARGET ${name}_windows PROPERTY AUTOUIC_SEARCH_PATHS ${CMAKE_CURRENT_SOURCE_DIR}/forms)
  target_link_libraries(${name}_windows PUBLIC common_ui)

  add_executable(${name} main.cpp)
  target_link_libraries(${name} PRIVATE ${name}_windows)

  configure_file(${PROJECT_SOURCE_DIR}/data/${name}.hlp ${KAKEIBO_RUNTIME_DIR}/${name}.hlp COPYONLY)
  # Never overwrites: the user's own book may lie there.
  add_custom_target(${name}_database ALL
    COMMAND dbinit ${name} ${KAKEIBO_RUNTIME_DIR} --if-absent
    DEPENDS dbinit
    COMMENT "Making sure ${P_BOOK} exists")
endfunction()
