// SPDX-License-Identifier: GPL-3.0-or-later
// The year grid window's list of messages, their export, and the undoing of
// a deletion.
#include "grid/FrmConsultGrille.h"

#include "core/Platform.h"
#include "core/Strings.h"
#include "grid/FlexGrid.h"
#include "grid/MessagesPanel.h"
#include "grid/YearGrid.h"
#include "sound/SoundExport.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>

namespace tembrel {
namespace {

const QString ListShownKey = QStringLiteral("grid/messagesListShown");
constexpr int UndoMs = 10000;

} // namespace

void FrmConsultGrille::setUpList() {
    ListeMessages = new MessagesPanel(*m_model, this);
    ListeMessages->setVisible(QSettings().value(ListShownKey, false).toBool());
    ListeMessages->messages().setActive(!ListeMessages->isHidden());
    connect(ListeMessages, &MessagesPanel::showChosen, this, &FrmConsultGrille::showMessage);
    connect(ListeMessages, &MessagesPanel::playChosen, this, &FrmConsultGrille::playMessage);
    connect(ListeMessages, &MessagesPanel::deleteChosen, this, &FrmConsultGrille::deleteMessage);
    connect(ListeMessages, &MessagesPanel::exportChosen, this,
            &FrmConsultGrille::CmdExporter_Click);

    CmdListe = new QToolButton(FrameOutils);
    CmdListe->setObjectName(QStringLiteral("CmdListe"));
    CmdListe->setText(tr("List"));
    CmdListe->setToolTip(tr("Show or hide the list of messages (Ctrl+L)"));
    CmdListe->setAccessibleName(tr("List of messages"));
    CmdListe->setCheckable(true);
    CmdListe->setChecked(!ListeMessages->isHidden());
    connect(CmdListe, &QToolButton::clicked, this, &FrmConsultGrille::CmdListe_Click);
    auto *listKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    connect(listKey, &QShortcut::activated, this, &FrmConsultGrille::CmdListe_Click);
    auto *exportKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_E), this);
    connect(exportKey, &QShortcut::activated, this, &FrmConsultGrille::CmdExporter_Click);

    BarreAnnuler = new QFrame(this);
    BarreAnnuler->setObjectName(QStringLiteral("BarreAnnuler"));
    auto *bar = new QHBoxLayout(BarreAnnuler);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->addWidget(new QLabel(LoadResString(235), BarreAnnuler), 1);
    CmdAnnuler = new QPushButton(LoadResString(236), BarreAnnuler);
    CmdAnnuler->setObjectName(QStringLiteral("CmdAnnuler"));
    CmdAnnuler->setAutoDefault(false);
    bar->addWidget(CmdAnnuler);
    BarreAnnuler->hide();
    connect(CmdAnnuler, &QPushButton::clicked, this, &FrmConsultGrille::CmdAnnuler_Click);
    auto *undoKey = new QShortcut(QKeySequence::Undo, this);
    connect(undoKey, &QShortcut::activated, this, &FrmConsultGrille::CmdAnnuler_Click);
    TimerAnnuler = new QTimer(this);
    TimerAnnuler->setSingleShot(true);
    TimerAnnuler->setInterval(UndoMs);
    connect(TimerAnnuler, &QTimer::timeout, this, &FrmConsultGrille::TimerAnnuler_Timer);
}

void FrmConsultGrille::CmdListe_Click() {
    const bool shown = ListeMessages->isHidden();
    ListeMessages->setVisible(shown);
    ListeMessages->messages().setActive(shown);
    CmdListe->setChecked(shown);
    QSettings().setValue(ListShownKey, shown);
    Form_Resize();
    if (shown)
        ListeMessages->ListMessages->setFocus();
}

YearModel *FrmConsultGrille::listedYear(int y) const {
    return y == year() ? m_model : ListeMessages->messages().yearModel(y);
}

void FrmConsultGrille::showMessage(int y, Slot slot) {
    if (y != year()) {
        if (playing() || y < FirstGridYear || y > LastGridYear)
            return;
        LbAnnee->setText(QString::number(y));
        CmdValidDate_Click();
        ListeMessages->select(y, slot);
    }
    FlexGrid *g = GridLegendes;
    if (!g->setRow(slot.row) || !g->setCol(slot.col))
        return;
    g->setLeftCol(slot.col);
    g->scrollTo(g->model()->index(slot.row - GridFixedRows, slot.col - 1));
}

void FrmConsultGrille::playMessage(int y, Slot slot) {
    showMessage(y, slot);
    if (y == year())
        GridLegendes_Click();
}

// --- deletion and its undoing ---------------------------------------------

void FrmConsultGrille::deleteMessage(int y, Slot slot) {
    YearModel *model = listedYear(y);
    if (!model || MsgBox(LoadResString(153), vbYesNoCancel | vbQuestion) != vbYes)
        return;
    if (playing() && y == year() && slot == m_playbackSlot) {
        endPlayback();
        QFile::remove(scratchWavePath());
    }
    // Into the desktop's trash where there is one, so a slip can be undone.
    // An archive that stays keeps its marker: the message is still there.
    const SlotRemoval removed = takeSlotArchive(y, slot);
    if (!removed.ok) {
        qWarning("%s", qUtf8Printable(removed.error));
        MsgBox(LoadResString(231), vbExclamation);
        return;
    }
    // Only the last deletion can be undone.
    TimerAnnuler_Timer();
    m_deleted = Deleted{y, slot, model->marker(slot), removed};
    model->clear(slot);
    bool saved = true;
    if (model == m_model) {
        showProgressStrip();
        saved = EnregistrerGrille(ProgBar);
        PictBar->hide();
    } else {
        saved = model->save();
    }
    if (!saved)
        MsgBox(LoadResString(232), vbExclamation);
    BarreAnnuler->show();
    TimerAnnuler->start();
}

void FrmConsultGrille::CmdAnnuler_Click() {
    if (!m_deleted)
        return;
    const Deleted d = *std::exchange(m_deleted, std::nullopt);
    TimerAnnuler->stop();
    BarreAnnuler->hide();
    const SlotResult back = putBackSlotArchive(d.removal, d.year, d.slot);
    if (!back.ok) {
        qWarning("%s", qUtf8Printable(back.error));
        eraseKeptArchive(d.removal);
        MsgBox(LoadResString(238), vbExclamation);
        return;
    }
    // The year may be neither shown nor listed any more.
    std::unique_ptr<YearModel> opened;
    YearModel *model = listedYear(d.year);
    if (!model) {
        opened = std::make_unique<YearModel>();
        opened->open(d.year, LstEmployes);
        model = opened.get();
    }
    model->setMarker(d.slot, d.marker);
    if (!(model == m_model ? EnregistrerGrille() : model->save()))
        MsgBox(LoadResString(232), vbExclamation);
}

void FrmConsultGrille::TimerAnnuler_Timer() {
    TimerAnnuler->stop();
    BarreAnnuler->hide();
    if (m_deleted)
        eraseKeptArchive(std::exchange(m_deleted, std::nullopt)->removal);
}

// --- export ------------------------------------------------------------------

void FrmConsultGrille::CmdExporter_Click() {
    QList<MessagesModel::Message> messages;
    if (!ListeMessages->isHidden())
        messages = ListeMessages->selectedMessages();
    const Slot current{GridLegendes->Row(), GridLegendes->Col()};
    if (messages.isEmpty() && m_model->marker(current) != Marker::None)
        messages.append({year(), current});
    exportMessages(messages);
}

void FrmConsultGrille::exportMessages(const QList<MessagesModel::Message> &messages) {
    const QList<ExportType> types = exportTypes();
    if (messages.isEmpty() || types.isEmpty())
        return;
    const ExportType chosen = types.value(ListeMessages->ComboFormat->currentIndex(), types[0]);
    const auto nameOf = [this](const MessagesModel::Message &m, const QString &extension) {
        const YearModel *model = listedYear(m.year);
        return exportFileName(model->date(m.slot.col), model->text(m.slot.row, 0),
                              model->marker(m.slot), extension);
    };
    const QString caption = LoadResString(237).remove(QLatin1Char('&'));
    DialogService &dialogs = Platform::instance().dialogs();
    QList<QPair<MessagesModel::Message, QString>> targets;
    ExportType type = chosen;
    if (messages.size() == 1) {
        QStringList filters;
        for (const ExportType &t : types)
            filters << t.filter();
        QString filter = chosen.filter();
        const auto path = dialogs.getSaveFileName(
            this, caption, QDir::home().filePath(nameOf(messages[0], chosen.extension)),
            filters.join(QStringLiteral(";;")), &filter);
        if (!path)
            return;
        // The name's extension decides; without a known one, the filter does.
        QString target = *path;
        if (const auto byName = exportTypeForFile(target)) {
            type = *byName;
        } else {
            type = types.value(int(filters.indexOf(filter)), chosen);
            target += QLatin1Char('.') + type.extension;
        }
        targets.append({messages[0], target});
    } else {
        const auto folder = dialogs.getExistingDirectory(this, caption);
        if (!folder)
            return;
        for (const MessagesModel::Message &m : messages)
            targets.append({m, QDir(*folder).filePath(nameOf(m, chosen.extension))});
    }
    for (const auto &[m, path] : std::as_const(targets)) {
        const QString error = exportSlot(m.year, m.slot, path, type);
        if (!error.isEmpty()) {
            MsgBox(LoadResString(239).arg(QDir::toNativeSeparators(path), error), vbExclamation);
            return;
        }
    }
}

} // namespace tembrel
