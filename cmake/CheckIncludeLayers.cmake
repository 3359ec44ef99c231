cmake_minimum_required(VERSION 3.25)

# Fails when a source file under SOURCE_DIR includes a header from a folder its
# own folder may not use. Run as: cmake -DSOURCE_DIR=<src> -P CheckIncludeLayers.cmake
#
# The folders from the ground up. A folder may include its own headers and
# those of the folders listed for it; nothing else of the project. A folder's
# Qt-free files are core code and cannot include a widget header anyway (the
# core has no Qt include path), so `widgets` below a subsystem only serves that
# subsystem's dialogs.
set(allowed_text      text)
set(allowed_protocol  text protocol)
set(allowed_widgets   text protocol widgets)
set(allowed_display   text protocol widgets display)
# The settings record holds the tiles' styles.
set(allowed_settings  text protocol display settings)
set(allowed_recording text protocol widgets display settings recording)
set(allowed_admin     text protocol widgets display settings recording admin)
set(allowed_history   text protocol display settings recording history)
# The link has no widgets: a program without a display uses it.
set(allowed_link      text protocol display settings link)
set(allowed_charts    text protocol widgets display settings recording history link charts)
set(allowed_app       text protocol widgets display settings recording admin history link charts app)
set(allowed_cli       text protocol display settings recording admin history link cli)
set(layers text protocol widgets display settings recording admin history link charts app cli)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()
get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
set(wrong "")
foreach(source IN LISTS sources)
  string(REGEX MATCH "^[^/]+" folder "${source}")
  if(NOT folder IN_LIST layers)
    if(NOT folder STREQUAL "${source}" AND NOT folder STREQUAL "resources")
      list(APPEND wrong "${source}: the folder ${folder} has no place in the layers")
    endif()
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"[^/\"]+/")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[^\"]*\"([^/\"]+)/.*$" "\\1" target "${line}")
    if(target IN_LIST layers AND NOT target IN_LIST allowed_${folder})
      list(APPEND wrong "${source}: ${folder} may not include ${target} (${line})")
    endif()
  endforeach()
endforeach()

if(wrong)
  list(JOIN wrong "\n  " text)
  message(FATAL_ERROR "Includes against the layers:\n  ${text}")
endif()
list(LENGTH sources count)
message(STATUS "${count} files include only their own layer and those below")
