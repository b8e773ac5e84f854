# SPDX-License-Identifier: GPL-3.0-or-later
# PULSE_SERVER names a socket that does not exist: the rows on Qt Multimedia
# meet no audio server at all.
tembrel_add_test(test_shell_mmcontrol SOURCES tst_mmcontrol.cpp
  LIBS tembrel_shell tembrel_testsupport TIMEOUT 30
  ENV "PULSE_SERVER=unix:/nonexistent/tembrel-no-server/native")
# On a real PulseAudio server; scripts/test.sh runs these inside scripts/with-audio.sh.
tembrel_add_test(test_shell_mmcontrol_audio SOURCES tst_mmcontrol_audio.cpp
  LIBS tembrel_shell tembrel_testsupport LABELS audio TIMEOUT 120)
