// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The recording's states: the state each step leads to, and the buttons of
// each state. The session enters the state of every step it takes and the
// window applies that state's row, so the whole behaviour of the buttons is
// these two tables.

#include <array>

namespace tembrel {

enum class RecordingState {
    Empty,           // opening; Remove
    Recording,       // Record; Resume recording
    RecordingPaused, // Pause recording
    Finishing,       // Stop, until the next tick of the finishing timer
    AutoFinishing,   // the automatic stop (limit reached, playback ended)
    Recorded,        // the finishing step; Import
    Playing,         // Play; Resume playback
    PlaybackPaused,  // Pause playback
};

// The steps of a recording.
enum class RecordingEvent {
    Record,
    PauseRecording,
    ResumeRecording,
    Stop,
    AutomaticStop, // the limit of a recording reached
    Finish,        // the finishing step
    Play,
    PausePlayback,
    ResumePlayback,
    PlaybackEnd, // the end of the message, or a device that failed to play
    Remove,
    Refused, // no input, or one that would not start
    Adopt,   // a recording an interrupted run left, taken back at opening
    Import,  // an audio file converted and packed as the recording
};

RecordingState stateAfter(RecordingEvent event);

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
    CtlImport,
    RecordingControlCount
};

using RecordingRow = std::array<Btn, RecordingControlCount>;

const RecordingRow &recordingRow(RecordingState state);

// Whether a state allows a step: a step of the user only while its button is
// enabled, a step of the device or the timer only from the states it ends.
bool allows(RecordingState state, RecordingEvent event);

} // namespace tembrel
