// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The messages of one year, without widgets: every cell of the year's grid as
// the year message file stores it (the heading rows, the time row labels in
// column 0, a marker code in each slot that holds a message). Opening reads
// the year file once and lists the year's archive folder once; the archives
// are the ground truth of which slots hold a message, so a slot whose archive
// is there but whose marker is not gets the black marker back. A damaged file
// is set aside and what could be recovered from it is written in its place.
// Windows show the model and call it; it tells them of every change.
//
// Listing a fully recorded year's folder takes longer than everything else
// the grid does to open, so a window opens the file alone (openFile) and
// the listing runs on a worker thread meanwhile; its result is reconciled
// when the event loop delivers it, or at once by settleArchives().

#include "grid/MessageStore.h"
#include "grid/YearFile.h"

#include <QDate>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <future>
#include <optional>

namespace tembrel {

class YearModel final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(YearModel)

public:
    explicit YearModel(QObject *parent = nullptr);
    ~YearModel() override;

    // What opening a year found.
    struct Opening {
        YearContent::State file = YearContent::State::Missing;
        QString damage;   // why the file was damaged
        QString setAside; // where a damaged file went; empty when it stayed
        int restoredMarkers = 0;
        // The year file was rewritten (recovered or markers restored) and
        // that failed.
        bool rewriteFailed = false;
    };

    // Opens `year` with the time rows of hours.dat. The year keeps the rows
    // its file was saved with; a slot whose archive lies below them still
    // gets its row, so that no message is out of reach. The archives are
    // reconciled before it returns.
    Opening open(int year, const QStringList &timeRowLabels);
    // Opens `year` from its file alone and lists its archives on a worker
    // thread; a damaged file is set aside and rewritten at once.
    void openFile(int year, const QStringList &timeRowLabels);
    // Waits for the opened year's listing if it still runs and reconciles
    // it: restored markers and added rows are saved and told as changes (a
    // reset when many). Whatever decides from a slot's marker whether it
    // holds a message settles first; settling twice does nothing.
    const Opening &settleArchives();
    bool archivesSettled() const { return !m_listing.valid(); }

    int year() const { return m_year; }
    // The year's file is there but could not be read: nothing is marked or saved.
    bool isUnreadable() const { return m_unreadable; }
    int rows() const { return m_rows; }
    int cols() const { return m_cols; }
    // The file's path: AppFolder + "_" + year + ".dte".
    QString filePath() const;

    // A cell's text as the year file stores it; empty outside the grid.
    QString text(int row, int col) const;
    bool isSlot(const Slot &slot) const {
        return slot.row >= 3 && slot.row < m_rows && slot.col >= 1 && slot.col < m_cols;
    }
    Marker marker(const Slot &slot) const;
    QDate date(int col) const;
    // The caption of a slot: "weekday, MONTH day, year - label - ".
    QString title(const Slot &slot) const;
    // Every slot that holds a marker, column by column.
    QList<Slot> markedSlots() const;

    // Marks a slot (None empties it) and tells the views; the file is
    // written by save().
    void setMarker(const Slot &slot, Marker marker);
    void clear(const Slot &slot) { setMarker(slot, Marker::None); }

    // The slot a message is being recorded into, while the recording window
    // is open on it; the grid shows it and stays as it is until it ends.
    std::optional<Slot> recordingSlot() const { return m_recording; }
    // Refuses (false) a slot that holds anything: no stored message is
    // recorded over, even one whose marker the archives have yet to restore.
    bool setRecordingSlot(std::optional<Slot> slot);

    // Writes every cell into the year file, reporting each column done. The
    // previous file stays whole when the write fails.
    bool save(const std::function<void(int done, int total)> &progress = {}) const;

Q_SIGNALS:
    void changed(tembrel::Slot slot);
    // A year was opened: every cell may differ.
    void reset();
    // A recording began or ended on `slot`.
    void recordingChanged(tembrel::Slot slot, bool recording);

private:
    qsizetype index(int row, int col) const { return qsizetype(col) * m_rows + row; }
    // Reads the year file and lays out the texts; the archives come after.
    void load(int year, const QStringList &timeRowLabels);
    // Gives the archives' slots their rows and black markers; returns the
    // slots restored.
    QList<Slot> applyArchives(const QList<Slot> &archived);
    void growRows(int rows);
    void rewrite();

    int m_year = 0;
    int m_rows = 0;
    int m_cols = 0;
    bool m_unreadable = false;
    QList<QString> m_texts; // column by column, as the file stores them
    QStringList m_labels;
    std::optional<Slot> m_recording;
    Opening m_opening;
    std::future<QList<Slot>> m_listing; // valid while not yet reconciled
    quint64 m_generation = 0;           // which opening a listing belongs to
};

} // namespace tembrel

Q_DECLARE_METATYPE(tembrel::Slot)
