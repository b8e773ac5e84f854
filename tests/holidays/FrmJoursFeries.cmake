# SPDX-License-Identifier: GPL-3.0-or-later
tembrel_add_test(test_frmjoursferies SOURCES tst_frmjoursferies.cpp
  LIBS tembrel_holidays tembrel_testsupport LABELS gui)
