# SPDX-License-Identifier: GPL-3.0-or-later
add_executable(bench_timerows ${CMAKE_CURRENT_LIST_DIR}/timerows/bench_timerows.cpp)
target_link_libraries(bench_timerows PRIVATE tembrel_timerows)
