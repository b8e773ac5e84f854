// SPDX-License-Identifier: GPL-3.0-or-later
#include "recording/RecordingStates.h"

namespace tembrel {
namespace {

constexpr Btn E = Btn::On;
constexpr Btn X = Btn::Off;
constexpr Btn K = Btn::Keep;

// Record, PauseRec, ResumeRec, StopRecord, Play, Pause, ResumePlay, Remove, Save, Scope.
// Save is off in Empty: after Remove nothing is left to store until the next
// finished recording, so a slot can never be marked without its archive.
constexpr RecordingRow Rows[] = {
    /* Empty           */ {E, X, X, X, X, X, X, X, X, E},
    /* Recording       */ {X, E, X, E, X, X, X, X, K, X},
    /* RecordingPaused */ {X, X, E, E, X, X, X, X, K, E},
    /* Finishing       */ {X, X, X, X, X, X, X, X, K, K},
    /* AutoFinishing   */ {X, X, X, X, E, X, X, E, K, K},
    /* Recorded        */ {X, X, X, X, E, X, X, E, E, K},
    /* Playing         */ {X, X, X, X, X, E, X, X, K, K},
    /* PlaybackPaused  */ {X, X, X, X, E, X, E, E, K, K},
};

} // namespace

const RecordingRow &recordingRow(RecordingState state) {
    return Rows[int(state)];
}

} // namespace tembrel
