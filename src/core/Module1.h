// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Small routines that several windows share.

#include <QString>

namespace tembrel {

// Days of a month: the dates (year, month, d) for d = 1..31 are formed with
// the day overflowing into the next month, and counting stops at the first
// d > 1 that lands on the 1st of a month.
qint16 NbJoursMois(int year, int month);

// The text without any double-quote character.
QString SansGuillemets(const QString &text);

} // namespace tembrel
