// SPDX-License-Identifier: GPL-3.0-or-later
#include "grid/MessagesModel.h"

#include "archive/ZipExtractionClass.h"
#include "archive/ZipPeek.h"
#include "grid/YearGrid.h"
#include "sound/SoundExport.h"
#include "sound/WaveFile.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

namespace tembrel {
namespace {

// A wave header with its fmt chunk and the start of its data chunk fits in
// far less; a few extra chunks before the data still fit.
constexpr std::size_t WaveHeadBytes = 512;
// Lengths are handed to the list this many at a time: one repaint per batch.
constexpr int LengthBatch = 2000;

QString dateText(const QDate &date) {
    return QLocale().toString(date, QStringLiteral("dddd d MMMM yyyy"));
}

} // namespace

QString markerName(Marker marker) {
    switch (marker) {
    case Marker::Noir:
        return MessagesModel::tr("Black");
    case Marker::Rouge:
        return MessagesModel::tr("Red");
    case Marker::Bleu:
        return MessagesModel::tr("Blue");
    case Marker::Vert:
        return MessagesModel::tr("Green");
    case Marker::Jaune:
        return MessagesModel::tr("Yellow");
    case Marker::None:
        break;
    }
    return {};
}

QString exportFileName(const QDate &date, const QString &label, Marker marker,
                       const QString &extension) {
    QString name = date.toString(QStringLiteral("yyyy-MM-dd ")) + label.trimmed() +
                   QLatin1Char(' ') + markerName(marker);
    for (QChar &ch : name)
        if (ch < u' ' || QStringLiteral("\\/:*?\"<>|").contains(ch))
            ch = u'-';
    return name + QLatin1Char('.') + extension;
}

std::optional<QByteArray> slotWave(int year, const Slot &slot) {
    const QTemporaryDir folder;
    if (!folder.isValid())
        return std::nullopt;
    ZipExtractionClass zip;
    zip.Accept = [](const std::string &name) { return name == "temp.wav"; };
    zip.MaxEntries = 1;
    zip.MaxEntrySize = zip.MaxTotalSize = MaxWaveBytes;
    bool failed = false;
    zip.ZipError = [&failed](std::int32_t, const std::string &) { failed = true; };
    const QString archive = slotArchivePath(year, slot.row, slot.col);
    if (zip.OpenZip(QFile::encodeName(archive).toStdString()))
        zip.Extract(QFile::encodeName(folder.path()).toStdString(), false, true);
    zip.CloseZip();
    QFile wave(QDir(folder.path()).filePath(QStringLiteral("temp.wav")));
    if (failed || !wave.open(QIODevice::ReadOnly) || wave.size() == 0)
        return std::nullopt;
    return wave.readAll();
}

std::optional<qint64> slotLengthMs(const QString &archivePath) {
    const auto head =
        readFirstEntryHead(QFile::encodeName(archivePath).toStdString(), WaveHeadBytes);
    if (!head)
        return std::nullopt;
    return waveLengthMs(QByteArray::fromStdString(head->bytes), head->uncompressedSize);
}

QString exportSlot(int year, const Slot &slot, const QString &path, const ExportType &type) {
    const auto wave = slotWave(year, slot);
    if (!wave)
        return QStringLiteral("%1 holds no message").arg(slotArchiveName(year, slot.row, slot.col));
    return exportWave(*wave, path, type);
}

// --- the list --------------------------------------------------------------

MessagesModel::MessagesModel(YearModel &shown, QObject *parent)
    : QAbstractTableModel(parent)
    , m_shown(shown) {
    connect(&m_shown, &YearModel::reset, this, &MessagesModel::rebuild);
    follow(&m_shown);
    rebuild();
}

MessagesModel::~MessagesModel() {
    stopMeasuring();
}

void MessagesModel::follow(YearModel *model) {
    connect(model, &YearModel::changed, this,
            [this, model](Slot slot) { slotChanged(model, slot); });
}

void MessagesModel::setEveryYear(bool every) {
    if (every == m_everyYear)
        return;
    m_everyYear = every;
    rebuild();
}

YearModel *MessagesModel::yearModel(int year) const {
    if (year == m_shown.year())
        return &m_shown;
    const auto it = m_others.find(year);
    return it == m_others.end() ? nullptr : it->second.get();
}

void MessagesModel::setActive(bool active) {
    m_active = active;
    if (active && m_stale)
        rebuild();
}

// An inactive list shows nothing rather than rows its years no longer hold.
void MessagesModel::goStale() {
    m_stale = true;
    if (m_rows.isEmpty())
        return;
    beginResetModel();
    m_rows.clear();
    m_lengths.clear();
    endResetModel();
}

void MessagesModel::rebuild() {
    stopMeasuring();
    if (!m_active) {
        goStale();
        return;
    }
    m_stale = false;
    beginResetModel();
    m_rows.clear();
    m_lengths.clear();
    // The other years keep the shown year's time rows, as the grid would
    // show them; opening one restores its markers as the grid would.
    QStringList labels;
    for (int r = GridFixedRows; r < m_shown.rows(); ++r)
        labels.append(m_shown.text(r, 0));
    if (!m_everyYear)
        m_others.clear();
    for (int y = FirstGridYear; m_everyYear && y <= LastGridYear; ++y) {
        if (y == m_shown.year()) {
            m_others.erase(y);
        } else if (!m_others.count(y)) {
            auto model = std::make_unique<YearModel>();
            model->open(y, labels);
            follow(model.get());
            m_others.emplace(y, std::move(model));
        }
    }
    for (int y = FirstGridYear; y <= LastGridYear; ++y)
        if (const YearModel *model = yearModel(y))
            for (const Slot &slot : model->markedSlots())
                m_rows.append(Message{y, slot});
    if (m_shown.year() < FirstGridYear || m_shown.year() > LastGridYear)
        for (const Slot &slot : m_shown.markedSlots())
            m_rows.append(Message{m_shown.year(), slot});
    endResetModel();
    measure(m_rows);
}

int MessagesModel::rowOf(int year, const Slot &slot) const {
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].year == year && m_rows[i].slot == slot)
            return i;
    return -1;
}

void MessagesModel::slotChanged(YearModel *model, const Slot &slot) {
    if (!m_active) {
        goStale();
        return;
    }
    const int year = model->year();
    const int row = rowOf(year, slot);
    const bool marked = model->marker(slot) != Marker::None;
    if (!marked && row >= 0) {
        beginRemoveRows({}, row, row);
        m_rows.removeAt(row);
        endRemoveRows();
        return;
    }
    if (!marked)
        return;
    // A message stored anew may have another length: one archive, read here.
    const auto length = slotLengthMs(slotArchivePath(year, slot.row, slot.col));
    m_lengths.insert(key(year, slot), length.value_or(-1));
    if (row >= 0) {
        Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1));
        return;
    }
    beginInsertRows({}, int(m_rows.size()), int(m_rows.size()));
    m_rows.append(Message{year, slot});
    endInsertRows();
}

void MessagesModel::stopMeasuring() {
    if (m_cancel)
        m_cancel->store(true);
    if (m_worker.joinable())
        m_worker.join();
    m_pending = 0;
}

void MessagesModel::measure(const QList<Message> &messages) {
    if (messages.isEmpty()) {
        Q_EMIT lengthsDone();
        return;
    }
    // Paths are made here: the application folder is the main thread's.
    QList<QPair<quint64, QString>> work;
    work.reserve(messages.size());
    for (const Message &m : messages)
        work.append({key(m.year, m.slot), slotArchivePath(m.year, m.slot.row, m.slot.col)});
    m_pending = int(work.size());
    m_cancel = std::make_shared<std::atomic_bool>(false);
    m_worker = std::thread([this, work = std::move(work), cancel = m_cancel] {
        QList<QPair<quint64, qint64>> batch;
        for (qsizetype i = 0; i < work.size() && !*cancel; ++i) {
            batch.append({work[i].first, slotLengthMs(work[i].second).value_or(-1)});
            if (batch.size() < LengthBatch && i + 1 < work.size())
                continue;
            // Queued to the model's thread; dropped once a newer listing or
            // the model's end cancelled this one.
            QMetaObject::invokeMethod(
                this,
                [this, batch = std::move(batch), cancel] {
                    if (*cancel)
                        return;
                    for (const auto &[k, ms] : batch)
                        m_lengths.insert(k, ms);
                    m_pending = std::max(0, m_pending - int(batch.size()));
                    if (!m_rows.isEmpty())
                        Q_EMIT dataChanged(index(0, LengthColumn),
                                           index(int(m_rows.size()) - 1, LengthColumn));
                    if (m_pending == 0)
                        Q_EMIT lengthsDone();
                },
                Qt::QueuedConnection);
            batch = {};
        }
    });
}

int MessagesModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int MessagesModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant MessagesModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Message &m = m_rows[index.row()];
    const YearModel *model = yearModel(m.year);
    if (!model)
        return {};
    // Sorting and filtering ask tens of thousands of times: each role works
    // out only what it gives.
    const auto length = [&] { return m_lengths.value(key(m.year, m.slot), -1); };
    // Date, then time row: the order of the grid.
    const qint64 order = qint64(m.year) * 1000000 + m.slot.col * 1000 + m.slot.row;
    switch (role) {
    case SortRole:
        switch (index.column()) {
        case LabelColumn:
            return qint64(m.slot.row) * 100000000 + order;
        case ColourColumn:
            return qint64(model->marker(m.slot)) * 10000000000 + order;
        case LengthColumn:
            return length();
        }
        return order;
    case MarkerRole:
        return int(model->marker(m.slot));
    case LengthRole:
        return length();
    case Qt::TextAlignmentRole:
        if (index.column() == LengthColumn)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case SearchRole: {
        const QDate date = model->date(m.slot.col);
        return dateText(date) + QLatin1Char('\n') + date.toString(QStringLiteral("dd/MM/yyyy")) +
               QLatin1Char('\n') + QLocale().toString(date, QLocale::ShortFormat) +
               QLatin1Char('\n') + model->text(m.slot.row, 0);
    }
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        switch (index.column()) {
        case DateColumn:
            return dateText(model->date(m.slot.col));
        case LabelColumn:
            return model->text(m.slot.row, 0);
        case ColourColumn:
            return markerName(model->marker(m.slot));
        case LengthColumn: {
            const qint64 ms = length();
            return ms < 0 ? QString() : QLocale().toString(double(ms) / 1000.0, 'f', 1);
        }
        }
    }
    return {};
}

QVariant MessagesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal ||
        (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case DateColumn:
        return tr("Date");
    case LabelColumn:
        return tr("Time");
    case ColourColumn:
        return tr("Colour");
    case LengthColumn:
        return tr("Seconds");
    }
    return {};
}

Qt::ItemFlags MessagesModel::flags(const QModelIndex &index) const {
    return QAbstractTableModel::flags(index) | Qt::ItemIsDragEnabled;
}

QStringList MessagesModel::mimeTypes() const {
    return {QStringLiteral("text/uri-list")};
}

QMimeData *MessagesModel::mimeData(const QModelIndexList &indexes) const {
    if (!m_dragFolder)
        m_dragFolder = std::make_unique<QTemporaryDir>();
    const auto wav = exportTypeForFile(QStringLiteral("x.wav"));
    QList<QUrl> urls;
    QList<int> done;
    for (const QModelIndex &i : indexes) {
        if (!i.isValid() || done.contains(i.row()) || !wav || !m_dragFolder->isValid())
            continue;
        done.append(i.row());
        const Message &m = m_rows[i.row()];
        const YearModel *model = yearModel(m.year);
        const QString path =
            QDir(m_dragFolder->path())
                .filePath(exportFileName(model->date(m.slot.col), model->text(m.slot.row, 0),
                                         model->marker(m.slot), wav->extension));
        if (exportSlot(m.year, m.slot, path, *wav).isEmpty())
            urls.append(QUrl::fromLocalFile(path));
    }
    if (urls.isEmpty())
        return nullptr;
    auto *mime = new QMimeData;
    mime->setUrls(urls);
    return mime;
}

// --- the filter ------------------------------------------------------------

MessagesFilter::MessagesFilter(QObject *parent)
    : QSortFilterProxyModel(parent) {
    setSortRole(MessagesModel::SortRole);
}

void MessagesFilter::setColourShown(Marker marker, bool shown) {
    m_hidden.removeAll(int(marker));
    if (!shown)
        m_hidden.append(int(marker));
    invalidateFilter();
}

void MessagesFilter::setSearchText(const QString &text) {
    m_search = text.trimmed();
    invalidateFilter();
}

bool MessagesFilter::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const {
    const QModelIndex i = sourceModel()->index(sourceRow, 0, sourceParent);
    if (m_hidden.contains(i.data(MessagesModel::MarkerRole).toInt()))
        return false;
    return m_search.isEmpty() ||
           i.data(MessagesModel::SearchRole).toString().contains(m_search, Qt::CaseInsensitive);
}

} // namespace tembrel
