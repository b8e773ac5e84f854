// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a screen reader says for a cell of the year's grid. The cells show
// marker pictures over invisible marker codes; read aloud, a code means
// nothing ("comma", "dot dot"), so every cell gets a sentence of its own:
// the day, the time row and what the slot holds.

#include "grid/YearModel.h"

#include <QString>

#include <optional>

namespace tembrel {

// A slot: "<weekday> <day> <month> <year>, <time row>, <colour> message"
// (with ", <n> seconds" when `seconds` is given) or "..., empty". A heading
// cell above a day column says the day; a label cell says its time row.
// The words come from the interface's translation and the dates from the
// locale; the cells and the year file keep their marker codes.
QString spokenText(const YearModel &model, int row, int col,
                   std::optional<int> seconds = std::nullopt);

} // namespace tembrel
