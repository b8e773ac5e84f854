# SPDX-License-Identifier: GPL-3.0-or-later
# Build helpers shared by every folder.

# tembrel_library(<name> SOURCES ... [FOLDER <folder>] [QT <components>]
#                 [QT_PRIVATE <components>] [PUBLIC <targets>] [PRIVATE <targets>])
# A static library tembrel_<name> made of src/<folder> (the name by default).
# Its headers are included as "<folder>/Header.h", from an include root that
# holds that one folder: a library sees another folder's headers only when it
# links that folder's library, so an edge nobody declared does not compile.
# Link PUBLIC only what the library's own headers include.
function(tembrel_library name)
  cmake_parse_arguments(L "" "FOLDER" "SOURCES;QT;QT_PRIVATE;PUBLIC;PRIVATE" ${ARGN})
  if(NOT L_FOLDER)
    set(L_FOLDER ${name})
  endif()
  add_library(tembrel_${name} STATIC ${L_SOURCES})
  tembrel_include_root(${L_FOLDER} root)
  target_include_directories(tembrel_${name} PUBLIC ${root})
  foreach(component IN LISTS L_QT)
    target_link_libraries(tembrel_${name} PUBLIC Qt6::${component})
  endforeach()
  foreach(component IN LISTS L_QT_PRIVATE)
    target_link_libraries(tembrel_${name} PRIVATE Qt6::${component})
  endforeach()
  target_link_libraries(tembrel_${name} PUBLIC ${L_PUBLIC} PRIVATE ${L_PRIVATE})
  target_compile_options(tembrel_${name} PRIVATE -Wall -Wextra)
endfunction()

# tembrel_include_root(<folder> <variable>)
# A folder of the build holding only a link named <folder> to src/<folder>.
function(tembrel_include_root folder variable)
  set(root ${CMAKE_BINARY_DIR}/include/${folder})
  if(NOT EXISTS ${root}/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  set(${variable} ${root} PARENT_SCOPE)
endfunction()

# tembrel_add_test(<name> SOURCES ... LIBS ... [LABELS ...] [ENV ...] [TIMEOUT s] [ARGS ...]
#                  [WRAP command...])
# A Qt Test executable under CTest, with a fixed locale and time zone and the
# offscreen platform, so that results do not depend on the machine. ARGS go
# to the executable (Qt Test function names run only those functions); WRAP
# runs it through a command (see tembrel_add_test_run).
function(tembrel_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS;ENV;ARGS;WRAP" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Test)
  target_compile_definitions(${name} PRIVATE
    TEMBREL_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data"
    TEMBREL_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    TEMBREL_BINARY_DIR="${CMAKE_BINARY_DIR}")
  tembrel_add_test_run(${name} TARGET ${name} LABELS ${T_LABELS} ENV ${T_ENV}
    TIMEOUT ${T_TIMEOUT} ARGS ${T_ARGS} WRAP ${T_WRAP})
endfunction()

# tembrel_add_test_run(<name> TARGET <test executable> [WRAP command...] [ARGS ...]
#                      [LABELS ...] [ENV ...] [TIMEOUT s])
# One more CTest entry for a test executable, run through WRAP when given
# (for example scripts/with-audio.sh, for a private sound server of its own).
function(tembrel_add_test_run name)
  cmake_parse_arguments(T "" "TIMEOUT;TARGET" "WRAP;ARGS;LABELS;ENV" ${ARGN})
  add_test(NAME ${name} COMMAND ${T_WRAP} $<TARGET_FILE:${T_TARGET}> ${T_ARGS})
  if(NOT T_LABELS)
    set(T_LABELS unit)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES
    LABELS "${T_LABELS}"
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;LANG=C.UTF-8;TZ=UTC;QT_SCALE_FACTOR=1;${T_ENV}")
endfunction()

# tembrel_add_fuzzer(<name> SOURCES ... [LIBS ...] SEEDS <folders under tests/data>)
# In a build configured with -DTEMBREL_FUZZ=ON (clang, which builds the
# window-free libraries only, instrumented too): a libFuzzer target with
# AddressSanitizer and UndefinedBehaviorSanitizer. In every other build: the
# same entry point replaying each seed file once under CTest
# (test_seeds_<name>), so a seed that trips the target's checks fails there.
function(tembrel_add_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS;SEEDS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  if(TEMBREL_FUZZ)
    target_compile_options(${name} PRIVATE -g -fsanitize=fuzzer,address,undefined
      -fno-sanitize-recover=all)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    return()
  endif()
  target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support/FuzzReplay.cpp)
  list(TRANSFORM F_SEEDS PREPEND ${CMAKE_SOURCE_DIR}/tests/data/)
  string(REPLACE "fuzz_" "" short ${name})
  tembrel_add_test_run(test_seeds_${short} TARGET ${name} ARGS ${F_SEEDS} TIMEOUT 120)
endfunction()

# Files that ship next to the executable. The help document is the program's
# own and is always refreshed; JFValid.ini (the user's choice of holidays) and
# hours.dat (the time rows, from 08:00 to 18:00 every half hour until the user
# composes others) are the user's, so the build copies them only where none
# is there yet.
function(tembrel_install_data target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
      ${CMAKE_SOURCE_DIR}/resources/Tembrel.rtf $<TARGET_FILE_DIR:${target}>/Tembrel.rtf
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
      ${CMAKE_SOURCE_DIR}/resources/Tembrel.fr.rtf $<TARGET_FILE_DIR:${target}>/Tembrel.fr.rtf
    COMMAND ${CMAKE_COMMAND}
      -DSRC=${CMAKE_SOURCE_DIR}/resources/JFValid.ini
      -DDST=$<TARGET_FILE_DIR:${target}>/JFValid.ini
      -P ${CMAKE_SOURCE_DIR}/cmake/CopyIfAbsent.cmake
    COMMAND ${CMAKE_COMMAND}
      -DSRC=${CMAKE_SOURCE_DIR}/resources/hours.dat
      -DDST=$<TARGET_FILE_DIR:${target}>/hours.dat
      -P ${CMAKE_SOURCE_DIR}/cmake/CopyIfAbsent.cmake
    VERBATIM)
endfunction()
