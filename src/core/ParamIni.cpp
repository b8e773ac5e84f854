// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ParamIni.h"

#include "core/Module1.h"
#include "core/TextRecords.h"

namespace tembrel {
namespace {

std::optional<quint32> colourField(const QStringList &fields, int i) {
    if (i >= fields.size())
        return std::nullopt;
    const auto v = fieldToInt(fields[i]);
    if (!v || *v < 0 || *v > 0xFFFFFF)
        return std::nullopt;
    return quint32(*v);
}

// A text field that holds control characters comes from a damaged file, not
// from the settings window: it is not a font name or a path, so it is not applied.
std::optional<QString> textField(const QStringList &fields, int i, bool mayBeEmpty) {
    if (i >= fields.size())
        return std::nullopt;
    const QString &t = fields[i];
    if (!mayBeEmpty && t.trimmed().isEmpty())
        return std::nullopt;
    for (QChar c : t)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == QChar::ReplacementCharacter)
            return std::nullopt;
    return t;
}

} // namespace

// One line of five fields: a font name and a path of a few hundred bytes.
constexpr qint64 MaxParamIniBytes = 64 * 1024;

std::optional<ParamIniFields> readParamIni(const QString &path) {
    const auto fields = readFields(path, MaxParamIniBytes);
    if (!fields)
        return std::nullopt;
    ParamIniFields out;
    out.fontName = textField(*fields, 0, false);
    out.weekendColour = colourField(*fields, 1);
    out.mainBackColour = colourField(*fields, 2);
    out.gridColour = colourField(*fields, 3);
    out.spreadsheetPath = textField(*fields, 4, true);
    return out;
}

Settings applyParamIni(Settings base, const ParamIniFields &f) {
    if (f.mainBackColour)
        base.mainBackColour = *f.mainBackColour;
    if (f.gridColour)
        base.gridColour = *f.gridColour;
    if (f.fontName)
        base.fontName = *f.fontName;
    if (f.spreadsheetPath)
        base.spreadsheetPath = *f.spreadsheetPath;
    if (f.weekendColour)
        base.weekendColour = *f.weekendColour;
    return base;
}

bool writeParamIni(const QString &path, const Settings &s) {
    const Record line{s.fontName, qint64(s.weekendColour), qint64(s.mainBackColour),
                      qint64(s.gridColour), SansGuillemets(s.spreadsheetPath).trimmed()};
    return writeRecords(path, {line});
}

} // namespace tembrel
