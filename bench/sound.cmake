# SPDX-License-Identifier: GPL-3.0-or-later
# Figures of the sound device control: wave reading and writing, opening a
# one-minute message, and (inside scripts/with-audio.sh) starting a playback.
add_executable(bench_sound ${CMAKE_CURRENT_LIST_DIR}/sound/bench_sound.cpp)
target_link_libraries(bench_sound PRIVATE tembrel_shell)
