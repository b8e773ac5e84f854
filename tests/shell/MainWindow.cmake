# SPDX-License-Identifier: GPL-3.0-or-later
# The main window, the splash and the progress window (offscreen).
tembrel_add_test(test_shell_mainwindow SOURCES tst_mainwindow.cpp
  LIBS tembrel_shell tembrel_testsupport LABELS gui)

# The real program in a real X server (Xvfb + openbox): start-up, screenshots,
# title, the refused second start, Ctrl+Q. Bounded by its own timeout inside
# with-xvfb.sh and by CTest's.
add_test(NAME e2e_mainwindow
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/with-xvfb.sh
    ${CMAKE_CURRENT_SOURCE_DIR}/e2e_mainwindow.sh $<TARGET_FILE:Tembrel> ${CMAKE_BINARY_DIR}/screenshots)
set_tests_properties(e2e_mainwindow PROPERTIES
  LABELS e2e
  TIMEOUT 150
  ENVIRONMENT "XVFB_TIMEOUT=120")
