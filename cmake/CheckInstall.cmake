# Installs the build into ROOT (DESTDIR, prefix /usr) and checks what a desktop needs is there.
cmake_minimum_required(VERSION 3.25)
# cmake -DBUILD_DIR=... -DROOT=... -DSOURCE_DIR=... -P CheckInstall.cmake
file(REMOVE_RECURSE ${ROOT})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${ROOT} ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${out}")
endif()

set(usr ${ROOT}/usr)
set(expected
  bin/tavopiano
  lib/tavopiano/libtavofluid.so
  lib/tavopiano/libtavomidi.so
  share/tavopiano/dat/Opern.dat
  share/applications/tavopiano.desktop
  share/metainfo/tavopiano.metainfo.xml)
foreach(s 16 32 48 64 128 256)
  list(APPEND expected share/icons/hicolor/${s}x${s}/apps/tavopiano.png)
endforeach()
set(missing)
foreach(f IN LISTS expected)
  if(NOT EXISTS ${usr}/${f} OR IS_DIRECTORY ${usr}/${f})
    list(APPEND missing ${f})
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "missing from the installed tree: ${missing}")
endif()
if(EXISTS ${BUILD_DIR}/bin/template/ExpData.dat AND NOT EXISTS ${usr}/share/tavopiano/template/ExpData.dat)
  message(FATAL_ERROR "the exchange template was built but not installed")
endif()

# Nothing but the program and its data: no tests, tools or build paths.
file(GLOB_RECURSE installed RELATIVE ${usr} ${usr}/*)
foreach(f IN LISTS installed)
  if(NOT f MATCHES "^(bin/tavopiano|lib/tavopiano/libtavo(fluid|midi)\\.so|share/(tavopiano/(dat|template)/|applications/|metainfo/|icons/hicolor/))")
    message(FATAL_ERROR "unexpected file installed: ${f}")
  endif()
endforeach()
file(STRINGS ${usr}/bin/tavopiano build_paths REGEX "${BUILD_DIR}/bin")
if(build_paths)
  message(FATAL_ERROR "the installed program still points into the build folder")
endif()

# Each icon is a PNG of the size its folder names: width and height sit at bytes 16..23.
foreach(s 16 32 48 64 128 256)
  file(READ ${usr}/share/icons/hicolor/${s}x${s}/apps/tavopiano.png head LIMIT 24 HEX)
  math(EXPR hex "${s}" OUTPUT_FORMAT HEXADECIMAL)
  string(SUBSTRING "${hex}" 2 -1 hex)
  string(LENGTH "${hex}" len)
  while(len LESS 8)
    string(PREPEND hex 0)
    string(LENGTH "${hex}" len)
  endwhile()
  if(NOT head MATCHES "^89504e47" OR NOT head MATCHES "${hex}${hex}$")
    message(FATAL_ERROR "icon ${s}x${s} is not a ${s}x${s} PNG (${head})")
  endif()
endforeach()

file(STRINGS ${usr}/share/applications/tavopiano.desktop desktop ENCODING UTF-8)
foreach(line "Name=Tavo电脑钢琴" "Exec=tavopiano" "Icon=tavopiano" "Categories=AudioVideo;Audio;Music;Education;")
  if(NOT line IN_LIST desktop)
    message(FATAL_ERROR "the desktop entry lacks \"${line}\"")
  endif()
endforeach()

find_program(DESKTOP_VALIDATE desktop-file-validate)
if(DESKTOP_VALIDATE)
  execute_process(COMMAND ${DESKTOP_VALIDATE} ${usr}/share/applications/tavopiano.desktop
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "desktop-file-validate:\n${out}")
  endif()
else()
  message(STATUS "desktop-file-validate not installed: desktop entry not validated")
endif()
find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
  execute_process(COMMAND ${APPSTREAMCLI} validate --no-net ${usr}/share/metainfo/tavopiano.metainfo.xml
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "appstreamcli validate:\n${out}")
  endif()
else()
  message(STATUS "appstreamcli not installed: metainfo not validated")
endif()
file(REMOVE_RECURSE ${ROOT})
