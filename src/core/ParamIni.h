// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// param.ini: one line of five fields, the quoted grid font name, the weekend
// and holiday colour, the main window colour, the heading colour (plain
// 0x00BBGGRR integers) and a quoted spreadsheet path.

#include "core/Colours.h"

#include <QString>

#include <optional>

namespace tembrel {

struct Settings {
    QString fontName = QStringLiteral("Times New Roman");
    quint32 weekendColour = ColourLightGrey;
    quint32 mainBackColour = ColourBlue;
    quint32 gridColour = ColourLightGrey;
    QString spreadsheetPath;

    bool operator==(const Settings &) const = default;
};

// What a read of param.ini found: each field that could be read, in file
// order; a field that is missing, is not a number (colours), or holds control
// characters (texts; the font name must not be empty either) stays nullopt, so
// the caller applies what it can and keeps its own values for the rest.
struct ParamIniFields {
    std::optional<QString> fontName;
    std::optional<quint32> weekendColour;
    std::optional<quint32> mainBackColour;
    std::optional<quint32> gridColour;
    std::optional<QString> spreadsheetPath;
};

// nullopt when the file does not exist or cannot be read.
std::optional<ParamIniFields> readParamIni(const QString &path);

// The defaults with every field that was read applied over them.
Settings applyParamIni(Settings base, const ParamIniFields &fields);

// Writes the whole file safely (temporary file and rename). The path loses
// its double quotes and outer blanks.
bool writeParamIni(const QString &path, const Settings &settings);

} // namespace tembrel
