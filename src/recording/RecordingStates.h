// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The recording window's states as button states: each handler of the window
// applies the row of the state it leads to, so the whole behaviour of the
// buttons is this one table.

#include <array>

namespace tembrel {

enum class RecordingState {
    Empty,           // opening; Remove
    Recording,       // Record; Resume recording
    RecordingPaused, // Pause recording
    Finishing,       // Stop, until the next tick of the finishing timer
    AutoFinishing,   // the automatic stop (limit reached, playback ended)
    Recorded,        // the finishing step
    Playing,         // Play; Resume playback
    PlaybackPaused,  // Pause playback
};

// What a state does to one control: enable it, disable it, or leave it as it was.
enum class Btn { Off, On, Keep };

// The controls in the order of the table's columns.
enum RecordingControl {
    CtlRecord,
    CtlPauseRec,
    CtlResumeRec,
    CtlStopRecord,
    CtlPlay,
    CtlPause,
    CtlResumePlay,
    CtlRemove,
    CtlSave,
    CtlScope,
    RecordingControlCount
};

using RecordingRow = std::array<Btn, RecordingControlCount>;

const RecordingRow &recordingRow(RecordingState state);

} // namespace tembrel
