// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tembrel {

// The program's string table (ids 101 to 183, and the few added after them):
// every message, menu and most captions are looked up here by id when they are
// shown. The texts go through Qt's translation layer, so a translation file can
// replace them.
QString LoadResString(int id);

// True when the table holds a text for this id.
bool hasResString(int id);

// The program's title, used for every message box.
inline constexpr const char *ProgramTitle = "Tembrel";

} // namespace tembrel

namespace tembrel {
// The maker's addresses, shown by the about window and opened by "Net...".
inline constexpr const char *WebPageAddress = "https://www.ostrand.fr/tembrel/";
inline constexpr const char *MailAddress = "tembrel@ostrand.fr";
} // namespace tembrel
