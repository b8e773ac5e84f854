// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Every stored message of the shown year, or of every year of the grid, as a
// table: date, time row label, marker colour and length. Rows come from the
// year models at once; lengths are read from each archive's wave header on a
// worker thread and filled in as they arrive, so a full year lists at once.
// The filter keeps the rows of the colours shown that match a search text.

#include "grid/MessageStore.h"
#include "grid/YearModel.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QSortFilterProxyModel>

#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <thread>

class QTemporaryDir;

namespace tembrel {

struct ExportType;

// "Black", "Red", ... in the user's language.
QString markerName(Marker marker);
// "<year>-<month>-<day> <label> <colour>.<ext>", with what a file name cannot
// hold replaced by "-".
QString exportFileName(const QDate &date, const QString &label, Marker marker,
                       const QString &extension);
// The slot's wave, unpacked in memory: the archive and the scratch files stay
// as they are.
std::optional<QByteArray> slotWave(int year, const Slot &slot);
// The slot's length from its archive's first bytes; nullopt when unreadable.
std::optional<qint64> slotLengthMs(const QString &archivePath);
// Writes the slot's message to `path`; empty on success, else what failed.
QString exportSlot(int year, const Slot &slot, const QString &path, const ExportType &type);

class MessagesModel final : public QAbstractTableModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MessagesModel)

public:
    enum Column { DateColumn, LabelColumn, ColourColumn, LengthColumn, ColumnCount };
    enum Role {
        SortRole = Qt::UserRole, // a number or text each column sorts by
        MarkerRole,              // the Marker, as an int
        SearchRole,              // the texts a search looks in
        LengthRole,              // milliseconds; -1 while unknown
    };
    struct Message {
        int year = 0;
        Slot slot;
    };

    // Lists the messages of `shown`, the grid's year, and follows it.
    explicit MessagesModel(YearModel &shown, QObject *parent = nullptr);
    ~MessagesModel() override;

    // Every year of the grid at once, the others opened beside the shown one.
    void setEveryYear(bool every);
    bool everyYear() const { return m_everyYear; }
    // A list nobody sees does no work: inactive, it neither lists a year nor
    // reads lengths, and catches up when it becomes active again.
    void setActive(bool active);

    Message message(int row) const { return m_rows.value(row); }
    int rowOf(int year, const Slot &slot) const;
    // The model holding a listed year; null for a year not listed.
    YearModel *yearModel(int year) const;
    bool lengthsKnown() const { return m_pending == 0; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Dragged rows are WAV files, written into a folder of the model's own.
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

Q_SIGNALS:
    // Every listed length has been read.
    void lengthsDone();

private:
    static quint64 key(int year, const Slot &slot) {
        return (quint64(year) << 32) | (quint64(slot.row) << 12) | quint64(slot.col);
    }
    void rebuild();
    void goStale();
    void follow(YearModel *model);
    void slotChanged(YearModel *model, const Slot &slot);
    void measure(const QList<Message> &messages);
    void stopMeasuring();

    YearModel &m_shown;
    bool m_everyYear = false;
    bool m_active = true;
    bool m_stale = false;
    std::map<int, std::unique_ptr<YearModel>> m_others;
    QList<Message> m_rows;
    QHash<quint64, qint64> m_lengths;
    int m_pending = 0;
    std::shared_ptr<std::atomic_bool> m_cancel;
    std::thread m_worker;
    mutable std::unique_ptr<QTemporaryDir> m_dragFolder;
};

// The rows of the colours shown whose date or label holds the search text.
class MessagesFilter : public QSortFilterProxyModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MessagesFilter)

public:
    explicit MessagesFilter(QObject *parent = nullptr);
    void setColourShown(Marker marker, bool shown);
    bool colourShown(Marker marker) const { return !m_hidden.contains(int(marker)); }
    void setSearchText(const QString &text);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    QList<int> m_hidden;
    QString m_search;
};

} // namespace tembrel
