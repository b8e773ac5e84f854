// SPDX-License-Identifier: GPL-3.0-or-later
#include "grid/MessagesPanel.h"

#include "core/Strings.h"
#include "grid/Markers.h"
#include "sound/SoundExport.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace tembrel {
namespace {

constexpr Marker Colours[5] = {Marker::Noir, Marker::Rouge, Marker::Bleu, Marker::Vert,
                               Marker::Jaune};

// The filter, with each colour's picture beside its name.
class ShownMessages final : public MessagesFilter {
public:
    using MessagesFilter::MessagesFilter;
    QVariant data(const QModelIndex &index, int role) const override {
        if (role == Qt::DecorationRole && index.column() == MessagesModel::ColourColumn)
            return markerPixmap(Marker(index.data(MessagesModel::MarkerRole).toInt()), 2.0, 14);
        return MessagesFilter::data(index, role);
    }
};

} // namespace

MessagesPanel::MessagesPanel(YearModel &shown, QWidget *parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("ListeMessages"));
    m_model = new MessagesModel(shown, this);
    m_filter = new ShownMessages(this);
    m_filter->setSourceModel(m_model);

    ComboAnnees = new QComboBox(this);
    ComboAnnees->addItems({tr("This year"), tr("Every year 2000-2005")});
    ComboAnnees->setAccessibleName(tr("Years listed"));
    connect(ComboAnnees, &QComboBox::currentIndexChanged, this,
            [this](int i) { m_model->setEveryYear(i == 1); });

    auto *colours = new QHBoxLayout;
    colours->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 5; ++i) {
        auto *b = new QToolButton(this);
        b->setCheckable(true);
        b->setChecked(true);
        b->setIcon(markerPixmap(Colours[i], std::max<qreal>(2.0, devicePixelRatioF()), 16));
        b->setAccessibleName(markerName(Colours[i]));
        b->setToolTip(tr("Show or hide the messages of this colour"));
        connect(b, &QToolButton::toggled, this,
                [this, i](bool on) { m_filter->setColourShown(Colours[i], on); });
        colours->addWidget(b);
        CmdCouleurs[i] = b;
    }
    TxtRecherche = new QLineEdit(this);
    TxtRecherche->setClearButtonEnabled(true);
    TxtRecherche->setPlaceholderText(tr("Search"));
    TxtRecherche->setAccessibleName(tr("Search the messages"));
    connect(TxtRecherche, &QLineEdit::textChanged, m_filter, &MessagesFilter::setSearchText);
    colours->addWidget(TxtRecherche, 1);

    ListMessages = new QTableView(this);
    ListMessages->setObjectName(QStringLiteral("ListMessages"));
    ListMessages->setAccessibleName(tr("Messages"));
    ListMessages->setModel(m_filter);
    // The indicator first: enabling sorting sorts once, by what it shows.
    ListMessages->horizontalHeader()->setSortIndicator(MessagesModel::DateColumn,
                                                       Qt::AscendingOrder);
    ListMessages->setSortingEnabled(true);
    ListMessages->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListMessages->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListMessages->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListMessages->setTabKeyNavigation(false);
    ListMessages->setDragEnabled(true);
    ListMessages->setDragDropMode(QAbstractItemView::DragOnly);
    ListMessages->setWordWrap(false);
    ListMessages->verticalHeader()->hide();
    ListMessages->horizontalHeader()->setStretchLastSection(true);
    // A year's dates are all about as wide: a few hundred rows tell.
    ListMessages->horizontalHeader()->setResizeContentsPrecision(200);
    ListMessages->horizontalHeader()->setSectionResizeMode(MessagesModel::DateColumn,
                                                           QHeaderView::ResizeToContents);
    ListMessages->installEventFilter(this);
    connect(ListMessages->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (const auto m = current())
            Q_EMIT showChosen(m->year, m->slot);
    });
    connect(ListMessages, &QTableView::doubleClicked, this, [this] {
        if (const auto m = current())
            Q_EMIT playChosen(m->year, m->slot);
    });

    ComboFormat = new QComboBox(this);
    ComboFormat->setAccessibleName(tr("Format of exported files"));
    for (const ExportType &t : exportTypes())
        ComboFormat->addItem(t.name, t.extension);
    CmdExporter = new QPushButton(LoadResString(237), this);
    CmdExporter->setObjectName(QStringLiteral("CmdExporter"));
    CmdExporter->setAutoDefault(false);
    connect(CmdExporter, &QPushButton::clicked, this, &MessagesPanel::exportChosen);
    auto *exports = new QHBoxLayout;
    exports->setContentsMargins(0, 0, 0, 0);
    exports->addWidget(ComboFormat, 1);
    exports->addWidget(CmdExporter);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ComboAnnees);
    layout->addLayout(colours);
    layout->addWidget(ListMessages, 1);
    layout->addLayout(exports);
}

std::optional<MessagesModel::Message> MessagesPanel::current() const {
    const QModelIndex i = ListMessages->currentIndex();
    if (!i.isValid())
        return std::nullopt;
    return m_model->message(m_filter->mapToSource(i).row());
}

QList<MessagesModel::Message> MessagesPanel::selectedMessages() const {
    QList<MessagesModel::Message> out;
    QModelIndexList rows = ListMessages->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    for (const QModelIndex &i : rows)
        out.append(m_model->message(m_filter->mapToSource(i).row()));
    if (out.isEmpty())
        if (const auto m = current())
            out.append(*m);
    return out;
}

void MessagesPanel::select(int year, const Slot &slot) {
    const int row = m_model->rowOf(year, slot);
    if (row < 0)
        return;
    const QModelIndex i = m_filter->mapFromSource(m_model->index(row, 0));
    if (i.isValid()) {
        const QSignalBlocker quiet(ListMessages->selectionModel());
        ListMessages->setCurrentIndex(i);
        ListMessages->selectionModel()->select(i, QItemSelectionModel::ClearAndSelect |
                                                      QItemSelectionModel::Rows);
        ListMessages->scrollTo(i);
    }
}

bool MessagesPanel::eventFilter(QObject *watched, QEvent *event) {
    if (watched == ListMessages && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        const auto m = current();
        if (m && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            Q_EMIT playChosen(m->year, m->slot);
            return true;
        }
        if (m && key == Qt::Key_Delete) {
            Q_EMIT deleteChosen(m->year, m->slot);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tembrel
