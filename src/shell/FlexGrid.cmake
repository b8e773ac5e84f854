# SPDX-License-Identifier: GPL-3.0-or-later
# The grid control of the year.
target_sources(tembrel_shell PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FlexGrid.h ${CMAKE_CURRENT_LIST_DIR}/FlexGrid.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FlexGridParts.h ${CMAKE_CURRENT_LIST_DIR}/FlexGridParts.cpp)
