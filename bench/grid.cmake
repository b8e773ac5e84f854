# SPDX-License-Identifier: GPL-3.0-or-later
# Opening and saving the largest realistic year: 97 time rows x 367 columns.
add_executable(bench_grid ${CMAKE_CURRENT_LIST_DIR}/grid/bench_grid.cpp)
target_link_libraries(bench_grid PRIVATE tembrel_grid)
