// SPDX-License-Identifier: GPL-3.0-or-later
#include "grid/YearModel.h"

#include "core/Shared.h"
#include "grid/YearGrid.h"

#include <QLocale>

#include <array>

namespace tembrel {

YearModel::YearModel(QObject *parent)
    : QObject(parent) {
    qRegisterMetaType<tembrel::Slot>();
}

YearModel::~YearModel() {
    // The listing thread posts to the model when it ends.
    if (m_listing.valid())
        m_listing.wait();
}

QString YearModel::filePath() const {
    return appFile(yearFileName(m_year));
}

YearModel::Opening YearModel::open(int year, const QStringList &timeRowLabels) {
    load(year, timeRowLabels);
    const QList<Slot> archived = m_unreadable ? QList<Slot>() : archivedSlots(year);
    m_opening.restoredMarkers = int(applyArchives(archived).size());
    if (m_opening.restoredMarkers > 0 || !m_opening.setAside.isEmpty())
        rewrite();
    Q_EMIT reset();
    return m_opening;
}

void YearModel::openFile(int year, const QStringList &timeRowLabels) {
    load(year, timeRowLabels);
    if (!m_opening.setAside.isEmpty())
        rewrite();
    if (!m_unreadable) {
        const QString folder = appFile(slotFolderName(year));
        const quint64 generation = m_generation;
        m_listing = std::async(std::launch::async, [this, folder, year, generation] {
            QList<Slot> found = archivedSlots(folder, year);
            // The destructor waits for this thread, so the model outlives
            // the call posted to it.
            QMetaObject::invokeMethod(
                this,
                [this, generation] {
                    if (generation == m_generation)
                        settleArchives();
                },
                Qt::QueuedConnection);
            return found;
        });
    }
    Q_EMIT reset();
}

const YearModel::Opening &YearModel::settleArchives() {
    if (!m_listing.valid())
        return m_opening;
    const int rowsBefore = m_rows;
    const QList<Slot> restored = applyArchives(m_listing.get());
    m_opening.restoredMarkers += int(restored.size());
    if (!restored.isEmpty())
        rewrite();
    // A few restored slots are told one by one; many, or new rows, at once.
    if (m_rows > rowsBefore || restored.size() > 64) {
        Q_EMIT reset();
    } else {
        for (const Slot &slot : restored)
            Q_EMIT changed(slot);
    }
    return m_opening;
}

void YearModel::load(int year, const QStringList &timeRowLabels) {
    // A listing still running belongs to the year being left.
    if (m_listing.valid())
        m_listing.wait();
    m_listing = {};
    ++m_generation;
    m_opening = {};
    m_year = year;
    m_cols = yearColumns(year);
    m_labels = timeRowLabels;
    const QString path = filePath();
    const YearContent content = loadYearContent(path, year);
    // A file that may not be read is neither recovered nor written over:
    // the year shows empty and stays so until it can be read.
    m_unreadable = content.state == YearContent::State::Unreadable;
    m_opening.file = content.state;
    m_opening.damage = content.damage;

    m_rows = gridRows(content.rows, int(timeRowLabels.size()));
    m_texts = QList<QString>(qsizetype(m_rows) * m_cols);

    // The heading rows are the program's own, from the locale and the year:
    // the file holds them in Windows-1252, which has no Cyrillic or Polish
    // month names.
    const QLocale locale;
    std::array<QString, 13> months;
    std::array<QString, 8> days;
    for (int m = 1; m <= 12; ++m)
        months[m] = locale.standaloneMonthName(m, QLocale::LongFormat).toUpper();
    for (int d = 1; d <= 7; ++d)
        days[d] = locale.standaloneDayName(d, QLocale::LongFormat);
    for (int c = 1; c < m_cols; ++c) {
        const QDate date = dateOfColumn(year, c);
        m_texts[index(0, c)] = months[date.month()];
        m_texts[index(1, c)] = days[date.dayOfWeek()];
        m_texts[index(2, c)] = QString::number(date.day());
    }
    for (int r = GridFixedRows; r < m_rows; ++r)
        m_texts[index(r, 0)] = timeRowLabels.value(r - GridFixedRows);

    if (content.state == YearContent::State::Whole || content.isDamaged()) {
        for (int c = 0; c < m_cols; ++c) {
            if (!content.recovered.value(c))
                continue;
            for (int r = GridFixedRows; r < m_rows; ++r) {
                // A label that a damaged file lost keeps the one hours.dat gave.
                QString text = content.text(r, c);
                if (!(c == 0 && content.isDamaged() && text.isEmpty()))
                    m_texts[index(r, c)] = std::move(text);
            }
        }
    }

    // A damaged file is set aside before anything overwrites it; the model
    // then holds what could be recovered, and that is written in its place.
    if (content.isDamaged()) {
        m_opening.setAside = setDamagedFileAside(path);
        qWarning("%s is damaged (%s): set aside as %s", qUtf8Printable(path),
                 qUtf8Printable(content.damage), qUtf8Printable(m_opening.setAside));
    }
}

// The archives are the ground truth: a slot whose message is stored but whose
// cell holds no marker (a crash between storing the archive and rewriting the
// year file, a year file from an old backup) gets the black marker back. Only
// those archives are looked at more closely.
QList<Slot> YearModel::applyArchives(const QList<Slot> &archived) {
    int rows = m_rows;
    for (const Slot &slot : archived)
        if (slot.row < GridFixedRows + MaxTimeRows)
            rows = std::max(rows, slot.row + 1);
    if (rows > m_rows)
        growRows(rows);
    QList<Slot> restored;
    for (const Slot &slot : archived) {
        if (!isSlot(slot) || marker(slot) != Marker::None || !slotArchiveHoldsBytes(m_year, slot))
            continue;
        m_texts[index(slot.row, slot.col)] = codeForMarker(Marker::Noir);
        restored.append(slot);
    }
    return restored;
}

void YearModel::growRows(int rows) {
    QList<QString> texts(qsizetype(rows) * m_cols);
    for (int c = 0; c < m_cols; ++c)
        for (int r = 0; r < m_rows; ++r)
            texts[qsizetype(c) * rows + r] = std::move(m_texts[index(r, c)]);
    const int before = m_rows;
    m_rows = rows;
    m_texts = std::move(texts);
    for (int r = std::max(before, GridFixedRows); r < m_rows; ++r)
        m_texts[index(r, 0)] = m_labels.value(r - GridFixedRows);
}

void YearModel::rewrite() {
    // A damaged file that could not be set aside is not written over.
    if (m_opening.file == YearContent::State::Damaged && m_opening.setAside.isEmpty())
        return;
    if (save())
        return;
    m_opening.rewriteFailed = true;
    qWarning("%s could not be rewritten", qUtf8Printable(filePath()));
}

QString YearModel::text(int row, int col) const {
    if (row < 0 || row >= m_rows || col < 0 || col >= m_cols)
        return {};
    return m_texts[index(row, col)];
}

Marker YearModel::marker(const Slot &slot) const {
    return isSlot(slot) ? markerForCode(m_texts[index(slot.row, slot.col)]) : Marker::None;
}

QDate YearModel::date(int col) const {
    return dateOfColumn(m_year, col);
}

QString YearModel::title(const Slot &slot) const {
    return text(1, slot.col) + QStringLiteral(", ") + text(0, slot.col) + QLatin1Char(' ') +
           text(2, slot.col).toLower() + QStringLiteral(", ") + QString::number(m_year) +
           QStringLiteral(" - ") + text(slot.row, 0) + QStringLiteral(" - ");
}

QList<Slot> YearModel::markedSlots() const {
    QList<Slot> marked;
    for (int c = 1; c < m_cols; ++c)
        for (int r = GridFixedRows; r < m_rows; ++r)
            if (markerForCode(m_texts[index(r, c)]) != Marker::None)
                marked.append(Slot{r, c});
    return marked;
}

void YearModel::setMarker(const Slot &slot, Marker marker) {
    if (!isSlot(slot) || m_unreadable)
        return;
    m_texts[index(slot.row, slot.col)] = codeForMarker(marker);
    Q_EMIT changed(slot);
}

bool YearModel::setRecordingSlot(std::optional<Slot> slot) {
    if (slot) {
        settleArchives();
        if (!text(slot->row, slot->col).isEmpty())
            return false;
    }
    if (slot == m_recording)
        return true;
    const std::optional<Slot> before = m_recording;
    m_recording = slot;
    if (before)
        Q_EMIT recordingChanged(*before, false);
    if (slot)
        Q_EMIT recordingChanged(*slot, true);
    return true;
}

bool YearModel::save(const std::function<void(int done, int total)> &progress) const {
    if (m_rows <= 0 || m_cols <= 0 || m_unreadable)
        return false;
    YearFileWriter writer(qint64(m_rows) * m_cols);
    for (int c = 0; c < m_cols; ++c) {
        for (int r = 0; r < m_rows; ++r)
            writer.append(m_texts[index(r, c)]);
        if (progress)
            progress(c, m_cols - 1);
    }
    return writer.commit(filePath());
}

} // namespace tembrel
