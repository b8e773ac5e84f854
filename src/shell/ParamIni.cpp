// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ParamIni.h"

#include "shell/Module1.h"
#include "shell/TextRecords.h"

namespace tembrel {
namespace {

std::optional<quint32> colourField(const QStringList &fields, int i)
{
    if (i >= fields.size())
        return std::nullopt;
    const auto v = fieldToInt(fields[i]);
    if (!v || *v < 0 || *v > 0xFFFFFF)
        return std::nullopt;
    return quint32(*v);
}

} // namespace

std::optional<ParamIniFields> readParamIni(const QString &path)
{
    const auto fields = readFields(path);
    if (!fields)
        return std::nullopt;
    ParamIniFields out;
    if (fields->size() > 0)
        out.fontName = fields->at(0);
    out.weekendColour = colourField(*fields, 1);
    out.mainBackColour = colourField(*fields, 2);
    out.gridColour = colourField(*fields, 3);
    if (fields->size() > 4)
        out.spreadsheetPath = fields->at(4);
    return out;
}

Settings applyParamIni(Settings base, const ParamIniFields &f)
{
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

bool writeParamIni(const QString &path, const Settings &s)
{
    const Record line{s.fontName, qint64(s.weekendColour), qint64(s.mainBackColour),
                      qint64(s.gridColour), SansGuillemets(s.spreadsheetPath).trimmed()};
    return writeRecords(path, {line});
}

} // namespace tembrel
