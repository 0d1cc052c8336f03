# zel_add_component_library(name SOURCES ...)
# A component library: a DLL that links zel_core and carries the per-library
# registration statics and the export zel_get_component.
set(ZEL_COMPONENT_ENTRY ${CMAKE_CURRENT_LIST_DIR}/../core/component_entry.cpp)

function(zel_add_component_library name)
  cmake_parse_arguments(ARG "" "OUTPUT_DIR" "SOURCES;LIBS" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES} ${ZEL_COMPONENT_ENTRY})
  target_link_libraries(${name} PRIVATE zel_core ${ARG_LIBS})
  if(ARG_OUTPUT_DIR)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ARG_OUTPUT_DIR})
  endif()
endfunction()
