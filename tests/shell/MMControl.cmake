# SPDX-License-Identifier: GPL-3.0-or-later
tembrel_add_test(test_shell_mmcontrol SOURCES tst_mmcontrol.cpp LIBS tembrel_shell tembrel_testsupport)
