# SPDX-License-Identifier: GPL-3.0-or-later
# The main window, the splash and the progress window (offscreen).
tembrel_add_test(test_shell_mainwindow SOURCES tst_mainwindow.cpp
  LIBS tembrel_shell tembrel_testsupport LABELS gui)
