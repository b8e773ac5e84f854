# SPDX-License-Identifier: GPL-3.0-or-later
# Packing and unpacking a one-minute message, beside Info-ZIP zip and unzip.
add_executable(bench_archive ${CMAKE_CURRENT_LIST_DIR}/archive/bench_archive.cpp)
target_link_libraries(bench_archive PRIVATE tembrel_archive)
