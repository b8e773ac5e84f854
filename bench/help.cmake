# SPDX-License-Identifier: GPL-3.0-or-later
add_executable(bench_rtfreader ${CMAKE_CURRENT_LIST_DIR}/help/bench_rtfreader.cpp)
target_link_libraries(bench_rtfreader PRIVATE tembrel_help)
target_compile_definitions(bench_rtfreader PRIVATE TEMBREL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
