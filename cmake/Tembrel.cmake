# SPDX-License-Identifier: GPL-3.0-or-later
# Build helpers shared by every folder.

# tembrel_library(<folder> SOURCES ... [QT <components>] [DEPS <targets>])
# A static library named tembrel_<folder>; its headers are included as
# "<folder>/Header.h" from src/.
function(tembrel_library folder)
  cmake_parse_arguments(L "" "" "SOURCES;QT;DEPS" ${ARGN})
  add_library(tembrel_${folder} STATIC ${L_SOURCES})
  target_include_directories(tembrel_${folder} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  foreach(component IN LISTS L_QT)
    target_link_libraries(tembrel_${folder} PUBLIC Qt6::${component})
  endforeach()
  if(L_DEPS)
    target_link_libraries(tembrel_${folder} PUBLIC ${L_DEPS})
  endif()
  target_compile_options(tembrel_${folder} PRIVATE -Wall -Wextra)
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

# tembrel_add_fuzzer(<name> SOURCES ... [LIBS ...])
# A libFuzzer target with AddressSanitizer and UndefinedBehaviorSanitizer
# (clang only, in a build configured with -DTEMBREL_FUZZ=ON). The readers it
# feeds are compiled into it from src/ with the same instrumentation, since the
# program's libraries hold windows that a fuzz build does not make.
function(tembrel_add_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_compile_options(${name} PRIVATE -g -fsanitize=fuzzer,address,undefined
    -fno-sanitize-recover=all)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
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
