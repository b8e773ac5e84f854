// SPDX-License-Identifier: GPL-3.0-or-later
#include "timerows/HoursFile.h"

#include "core/Shared.h"
#include "core/TextRecords.h"

#include <QFile>

namespace tembrel {
namespace {

QString cleanLabel(const QString &field) {
    QString label;
    label.reserve(field.size());
    for (QChar c : field) {
        const char16_t u = c.unicode();
        // Control characters come only from damaged files; a label keeps the
        // rest, and never a quote, which the file could not hold.
        if (u < 0x20 || u == 0x7F || u == u'"')
            continue;
        // A byte that Windows-1252 leaves unassigned is shown as the '?' it
        // will be written back as.
        label.append(u == 0xFFFD ? QChar(u'?') : c);
    }
    return label;
}

} // namespace

QString hoursFilePath() {
    return appFile(QStringLiteral("hours.dat"));
}

QStringList parseHours(const QByteArray &content) {
    QStringList labels;
    const qsizetype n = content.size();
    qsizetype start = 0;
    while (start < n) {
        qsizetype end = start;
        while (end < n && content[end] != '\n' && content[end] != '\r')
            ++end;
        // Each line is read on its own, so a quote left open cannot swallow
        // the lines after it.
        if (end > start) {
            const QStringList fields = parseFields(content.mid(start, end - start));
            for (const QString &field : fields) {
                const QString label = cleanLabel(field);
                if (!label.trimmed().isEmpty())
                    labels.append(label);
            }
        }
        start = end + 1;
    }
    return labels;
}

QStringList readHours(const QString &path) {
    const FileBytes file = readFileBounded(path, MaxHoursBytes);
    return file.bytes ? parseHours(*file.bytes) : QStringList();
}

QByteArray formatHours(const QStringList &labels) {
    QList<Record> records;
    records.reserve(labels.size());
    for (const QString &label : labels)
        records.append(Record{cleanLabel(label)});
    return formatRecords(records);
}

bool writeHours(const QString &path, const QStringList &labels) {
    return writeFileSafely(path, formatHours(labels));
}

} // namespace tembrel
