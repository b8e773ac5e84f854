# SPDX-License-Identifier: GPL-3.0-or-later
tembrel_add_test(test_shell_flexgrid SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_flexgrid.cpp
  LIBS tembrel_shell tembrel_testsupport LABELS gui)
