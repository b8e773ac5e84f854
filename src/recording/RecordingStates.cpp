// SPDX-License-Identifier: GPL-3.0-or-later
#include "recording/RecordingStates.h"

namespace tembrel {
namespace {

constexpr Btn E = Btn::On;
constexpr Btn X = Btn::Off;
constexpr Btn K = Btn::Keep;

// Record, PauseRec, ResumeRec, StopRecord, Play, Pause, ResumePlay, Remove, Save, Scope, Import.
// Save is off in Empty: after Remove nothing is left to store until the next
// finished recording, so a slot can never be marked without its archive.
// A file is imported where a recording could start, and takes its place.
constexpr RecordingRow Rows[] = {
    /* Empty           */ {E, X, X, X, X, X, X, X, X, E, E},
    /* Recording       */ {X, E, X, E, X, X, X, X, K, X, X},
    /* RecordingPaused */ {X, X, E, E, X, X, X, X, K, E, X},
    /* Finishing       */ {X, X, X, X, X, X, X, X, K, K, X},
    /* AutoFinishing   */ {X, X, X, X, E, X, X, E, K, K, X},
    /* Recorded        */ {X, X, X, X, E, X, X, E, E, K, X},
    /* Playing         */ {X, X, X, X, X, E, X, X, K, K, X},
    /* PlaybackPaused  */ {X, X, X, X, E, X, E, E, K, K, X},
};

using S = RecordingState;
constexpr unsigned bit(S s) {
    return 1u << unsigned(s);
}

// A step, the state it leads to, and what allows it: the button of a user's
// step, or the states that a step of the device or the timer may end.
struct Transition {
    RecordingEvent event;
    RecordingState to;
    int button;    // RecordingControl, or -1
    unsigned from; // states, for a step without a button
};

constexpr Transition Transitions[] = {
    {RecordingEvent::Record, S::Recording, CtlRecord, 0},
    {RecordingEvent::PauseRecording, S::RecordingPaused, CtlPauseRec, 0},
    {RecordingEvent::ResumeRecording, S::Recording, CtlResumeRec, 0},
    {RecordingEvent::Stop, S::Finishing, CtlStopRecord, 0},
    {RecordingEvent::AutomaticStop, S::AutoFinishing, -1, bit(S::Recording)},
    {RecordingEvent::Finish, S::Recorded, -1, bit(S::Finishing) | bit(S::AutoFinishing)},
    {RecordingEvent::Play, S::Playing, CtlPlay, 0},
    {RecordingEvent::PausePlayback, S::PlaybackPaused, CtlPause, 0},
    {RecordingEvent::ResumePlayback, S::Playing, CtlResumePlay, 0},
    {RecordingEvent::PlaybackEnd, S::Recorded, -1, bit(S::Playing) | bit(S::PlaybackPaused)},
    {RecordingEvent::Remove, S::Empty, CtlRemove, 0},
    {RecordingEvent::Import, S::Recorded, CtlImport, 0},
    {RecordingEvent::Refused, S::Empty, -1,
     bit(S::Empty) | bit(S::Recording) | bit(S::RecordingPaused)},
    {RecordingEvent::Adopt, S::Recorded, -1, bit(S::Empty)},
};

const Transition &transition(RecordingEvent event) {
    for (const Transition &t : Transitions)
        if (t.event == event)
            return t;
    return Transitions[0];
}

} // namespace

RecordingState stateAfter(RecordingEvent event) {
    return transition(event).to;
}

bool allows(RecordingState state, RecordingEvent event) {
    const Transition &t = transition(event);
    if (t.button >= 0)
        return recordingRow(state)[std::size_t(t.button)] == Btn::On;
    return (t.from & bit(state)) != 0;
}

const RecordingRow &recordingRow(RecordingState state) {
    return Rows[int(state)];
}

} // namespace tembrel
