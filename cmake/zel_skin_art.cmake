# zel_add_skin_art(target OUTPUT_DIR dir DATA file.toml ...)
# Draws the PNG images of the skins in the data files into OUTPUT_DIR (with a
# C++ header of each skin's rectangles beside them) whenever a data file or
# the generator changes, as the custom target `target`; resource scripts then
# name the images by file name with OUTPUT_DIR on their include path.
#
# zel_add_skin_lint(name OUTPUT_DIR dir DATA file.toml ...)
# The test `skin_lint.<name>`: every image of the data files in OUTPUT_DIR
# checked against its data (tools/skin_art/skin_lint.py).
set(ZEL_SKIN_ART_DIR ${CMAKE_CURRENT_LIST_DIR}/../tools/skin_art)
set(ZEL_SKIN_ART_SOURCES
  ${ZEL_SKIN_ART_DIR}/make_skins.py
  ${ZEL_SKIN_ART_DIR}/skin_data.py
  ${ZEL_SKIN_ART_DIR}/render.py
  ${ZEL_SKIN_ART_DIR}/theme.py
  ${ZEL_SKIN_ART_DIR}/glyphs.py
  ${ZEL_SKIN_ART_DIR}/hangul.py
  ${ZEL_SKIN_ART_DIR}/pixels.py
  ${ZEL_SKIN_ART_DIR}/raster.py
  ${ZEL_SKIN_ART_DIR}/png_io.py
  ${ZEL_SKIN_ART_DIR}/header.py)

find_package(Python3 REQUIRED COMPONENTS Interpreter)

function(zel_add_skin_art target)
  cmake_parse_arguments(ARG "" "OUTPUT_DIR" "DATA" ${ARGN})
  # The image names come from the data files: read them now, and again when
  # a data file changes.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ARG_DATA})
  execute_process(
    COMMAND ${Python3_EXECUTABLE} -B ${ZEL_SKIN_ART_DIR}/make_skins.py --list ${ARG_DATA}
    OUTPUT_VARIABLE names RESULT_VARIABLE failed ERROR_VARIABLE why)
  if(failed)
    message(FATAL_ERROR "skin data: ${why}")
  endif()
  string(REPLACE "\n" ";" names "${names}")
  set(outputs)
  foreach(name ${names})
    if(name)
      list(APPEND outputs ${ARG_OUTPUT_DIR}/${name})
    endif()
  endforeach()
  set(stamp ${ARG_OUTPUT_DIR}/${target}.stamp)
  add_custom_command(
    OUTPUT ${stamp} ${outputs}
    COMMAND ${Python3_EXECUTABLE} -B ${ZEL_SKIN_ART_DIR}/make_skins.py --out ${ARG_OUTPUT_DIR}
            --headers ${ARG_OUTPUT_DIR} --stamp ${stamp} ${ARG_DATA}
    DEPENDS ${ARG_DATA} ${ZEL_SKIN_ART_SOURCES}
    COMMENT "Drawing the skin images of ${target}"
    VERBATIM)
  add_custom_target(${target} DEPENDS ${stamp} ${outputs})
  set(${target}_IMAGES ${outputs} PARENT_SCOPE)
endfunction()

function(zel_add_skin_lint name)
  cmake_parse_arguments(ARG "" "OUTPUT_DIR" "DATA" ${ARGN})
  add_test(NAME skin_lint.${name}
           COMMAND ${Python3_EXECUTABLE} -B ${ZEL_SKIN_ART_DIR}/skin_lint.py --images ${ARG_OUTPUT_DIR} ${ARG_DATA})
endfunction()
