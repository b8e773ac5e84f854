// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Strings.h"

#include <QCoreApplication>

#include <algorithm>
#include <iterator>

namespace tembrel {
namespace {

struct Entry {
    int id;
    const char *text;
};

// Kept sorted by id. Texts stay exactly as the program has always shown them,
// double blanks included.
constexpr Entry Table[] = {
    {101, QT_TRANSLATE_NOOP("Strings", "File")},
    {102, QT_TRANSLATE_NOOP("Strings", "Open ...")},
    {103, QT_TRANSLATE_NOOP("Strings", "Hours...")},
    {104, QT_TRANSLATE_NOOP("Strings", "Holidays...")},
    {105, QT_TRANSLATE_NOOP("Strings", "Settings...")},
    {106, QT_TRANSLATE_NOOP("Strings", "Exit")},
    {107, QT_TRANSLATE_NOOP("Strings", "Help")},
    {108, QT_TRANSLATE_NOOP("Strings", "Help file...")},
    {110, QT_TRANSLATE_NOOP("Strings", "Tembrel - Version 2.01")},
    {111, QT_TRANSLATE_NOOP("Strings", "Tembrel is already running. Look at the taskbar.")},
    {112, QT_TRANSLATE_NOOP("Strings", "About ...")},
    {116, QT_TRANSLATE_NOOP("Strings", "Add")},
    {117, QT_TRANSLATE_NOOP("Strings", "Hours")},
    {118, QT_TRANSLATE_NOOP("Strings", "Already exist in the list!")},
    {119, QT_TRANSLATE_NOOP("Strings", "+")},
    {120, QT_TRANSLATE_NOOP("Strings", "-")},
    {121, QT_TRANSLATE_NOOP("Strings", "OK")},
    {122, QT_TRANSLATE_NOOP("Strings", "Version 2.01")},
    {123, QT_TRANSLATE_NOOP("Strings", "Settings")},
    {124, QT_TRANSLATE_NOOP("Strings", "Times New Roman")},
    {125, QT_TRANSLATE_NOOP("Strings", "Palette")},
    {126, QT_TRANSLATE_NOOP("Strings", "Backcolor Main Window")},
    {127, QT_TRANSLATE_NOOP("Strings", "Columns colors (weekend and holidays)")},
    {128, QT_TRANSLATE_NOOP("Strings", "Save")},
    {129, QT_TRANSLATE_NOOP("Strings", "Margins and headings grids")},
    {130, QT_TRANSLATE_NOOP("Strings", "The e-mail address has been copied in the clipboard.")},
    {131, QT_TRANSLATE_NOOP("Strings", "You can now paste it in your software  mail")},
    {132, QT_TRANSLATE_NOOP("Strings", "The URL was copied in the clipboard.")},
    {133, QT_TRANSLATE_NOOP("Strings", "You can now paste it in your browser.")},
    {134, QT_TRANSLATE_NOOP("Strings", "Screen font")},
    {145, QT_TRANSLATE_NOOP("Strings", "Net...")},
    {146, QT_TRANSLATE_NOOP("Strings", "Address:")},
    {147, QT_TRANSLATE_NOOP("Strings", "In progress...")},
    {148, QT_TRANSLATE_NOOP("Strings", "You have to be connected to the Net to reach our site. "
                                       "Do you want to continue?")},
    {149, QT_TRANSLATE_NOOP("Strings", "lower than 2000 !")},
    {150, QT_TRANSLATE_NOOP("Strings", "higher than 2099 !")},
    {151, QT_TRANSLATE_NOOP("Strings", "RECORDING")},
    {152, QT_TRANSLATE_NOOP("Strings", "Close initially the recording window !")},
    {153, QT_TRANSLATE_NOOP("Strings", "Do you want to remove this file ?")},
    {154, QT_TRANSLATE_NOOP("Strings", "Stop")},
    {155, QT_TRANSLATE_NOOP("Strings", "Remove")},
    {156, QT_TRANSLATE_NOOP("Strings", "Time steps")},
    {157, QT_TRANSLATE_NOOP("Strings", "Free text")},
    {158, QT_TRANSLATE_NOOP("Strings", "Time sections")},
    {159, QT_TRANSLATE_NOOP("Strings", "Choose beginning time and  end time.")},
    {160, QT_TRANSLATE_NOOP("Strings", "Want you to remove")},
    {161, QT_TRANSLATE_NOOP("Strings", "Clear")},
    {162, QT_TRANSLATE_NOOP("Strings", "Beginning")},
    {163, QT_TRANSLATE_NOOP("Strings", "End")},
    {164, QT_TRANSLATE_NOOP("Strings", "15 characters maximum")},
    {165, QT_TRANSLATE_NOOP("Strings", "15 minutes")},
    {166, QT_TRANSLATE_NOOP("Strings", "30 minutes")},
    {167, QT_TRANSLATE_NOOP("Strings", "1 hour")},
    {168, QT_TRANSLATE_NOOP("Strings", "Clear the list ?")},
    {169, QT_TRANSLATE_NOOP("Strings", "Record")},
    {170, QT_TRANSLATE_NOOP("Strings", "Pause")},
    {171, QT_TRANSLATE_NOOP("Strings", "Stop")},
    {172, QT_TRANSLATE_NOOP("Strings", "Reading")},
    {173, QT_TRANSLATE_NOOP("Strings", "Resume")},
    {174, QT_TRANSLATE_NOOP("Strings", "Abort")},
    {176, QT_TRANSLATE_NOOP("Strings", "Select a color !")},
    {181, QT_TRANSLATE_NOOP("Strings", "Print")},
    {182, QT_TRANSLATE_NOOP("Strings", "Help")},
    // Added since: what the recording window says when the device or the disk fails.
    {184,
     QT_TRANSLATE_NOOP("Strings", "The message could not be stored in this slot. It is kept here: "
                                  "try Save again.")},
    {185, QT_TRANSLATE_NOOP("Strings",
                            "No sound input can record. Connect a microphone, then press Record "
                            "again.")},
    {186, QT_TRANSLATE_NOOP("Strings",
                            "The message is stored, but the year file could not be written: its "
                            "marker may not show the next time the grid is opened.")},
    {190, QT_TRANSLATE_NOOP("Strings", "The time rows could not be saved in hours.dat. "
                                       "The window stays open so that they are not lost.")},
    {191, QT_TRANSLATE_NOOP("Strings", "This holiday choice could not be saved in JFValid.ini.")},
    {192, QT_TRANSLATE_NOOP("Strings", "No web browser could be opened. The address of our site:")},
    // What the recording window's scope says when its input will not start.
    {205, QT_TRANSLATE_NOOP("Strings", "The scope found no sound input. Connect a microphone.")},
    {206, QT_TRANSLATE_NOOP("Strings",
                            "The sound input would not start for the scope; the recording goes on "
                            "without it.")},
    // What the recording window says when the sound device goes away or stops answering.
    {210, QT_TRANSLATE_NOOP("Strings",
                            "The sound input stopped, so the recording ends here. What was "
                            "recorded until then is kept: listen to it, then save it or record "
                            "again.")},
    {211, QT_TRANSLATE_NOOP("Strings",
                            "The sound input does not answer. Wait a moment, then press Record "
                            "again.")},
    {212, QT_TRANSLATE_NOOP("Strings",
                            "The sound output stopped answering, so the message was not played "
                            "to its end. It is kept: play it again in a moment.")},
    // What the settings and holiday windows say when their file cannot be written.
    {213, QT_TRANSLATE_NOOP("Strings",
                            "The settings could not be saved in param.ini, so they would be lost "
                            "at the next start. The window stays open: close it again to try "
                            "once more.")},
    {214, QT_TRANSLATE_NOOP("Strings",
                            "The settings still could not be saved in param.ini. Close the window "
                            "anyway? The font, colours and path chosen will be lost at the next "
                            "start.")},
    {215,
     QT_TRANSLATE_NOOP("Strings", "The holidays of %1 could not be saved in F%1.ini. They are kept "
                                  "here: try Save again.")},
    {216, QT_TRANSLATE_NOOP("Strings",
                            "The holidays picked for %1 are not saved. Close the window anyway? "
                            "They will be lost.")},
    // What the grid says when a deletion fails.
    {231, QT_TRANSLATE_NOOP("Strings",
                            "The message could not be deleted: its archive cannot be removed. "
                            "It is still in its slot.")},
    {232, QT_TRANSLATE_NOOP("Strings",
                            "The message is deleted, but the year file could not be written: its "
                            "marker may show again the next time the grid is opened.")},
    // What the recording window asks before it throws a recording away.
    {233, QT_TRANSLATE_NOOP("Strings", "This recording has not been saved. Discard it?")},
    // Shown beside the position while a recording hears only silence.
    {234, QT_TRANSLATE_NOOP("Strings",
                            "Nothing is heard: check that the microphone is connected and not "
                            "muted.")},
    // The bar that offers to undo a deletion, and its button.
    {235, QT_TRANSLATE_NOOP("Strings", "Message deleted.")},
    {236, QT_TRANSLATE_NOOP("Strings", "&Undo")},
    {237, QT_TRANSLATE_NOOP("Strings", "E&xport...")},
    {238, QT_TRANSLATE_NOOP("Strings",
                            "The message could not be put back: its slot holds another message, "
                            "or its file is no longer in the trash.")},
    // %1: the file that could not be written, %2: why.
    {239, QT_TRANSLATE_NOOP("Strings", "The message could not be exported to %1.\n\n%2")},
    // What the recording window says when a recording cannot reach the disk,
    // and what it offers when an interrupted one is found.
    {240, QT_TRANSLATE_NOOP("Strings",
                            "The recording could not be written to the disk: it may be full, or "
                            "the folder may not be writable. It is kept: Reading still plays it, "
                            "and Save tries again.")},
    {241, QT_TRANSLATE_NOOP(
              "Strings", "A recording interrupted on %1 at %2 was found. Keep it for this slot?")},
    // What the grid says of a year file it may not read.
    {242, QT_TRANSLATE_NOOP("Strings",
                            "The messages of %1 cannot be opened: the file %2 cannot be read. "
                            "Nothing has been changed.")},
    // What the recording window says of an audio file it imports.
    {250, QT_TRANSLATE_NOOP("Strings", "The file %1 could not be imported: it is not a sound file "
                                       "that can be read.")},
    {251, QT_TRANSLATE_NOOP("Strings", "The file %1 could not be imported: it holds no sound.")},
    {252, QT_TRANSLATE_NOOP("Strings",
                            "The file %1 could not be imported: it is silent, nothing can be heard "
                            "in it.")},
    {253, QT_TRANSLATE_NOOP("Strings", "The file %1 could not be imported: the sound could not be "
                                       "written in the program's folder.")},
    {254, QT_TRANSLATE_NOOP("Strings", "The file %1 lasts longer than a minute: only its first "
                                       "minute was imported.")},
    {255, QT_TRANSLATE_NOOP("Strings", "&Import...")},
};

const Entry *find(int id) {
    const auto it = std::lower_bound(std::begin(Table), std::end(Table), id,
                                     [](const Entry &e, int v) { return e.id < v; });
    return (it != std::end(Table) && it->id == id) ? it : nullptr;
}

} // namespace

QString LoadResString(int id) {
    const Entry *e = find(id);
    return e ? QCoreApplication::translate("Strings", e->text) : QString();
}

bool hasResString(int id) {
    return find(id) != nullptr;
}

} // namespace tembrel
