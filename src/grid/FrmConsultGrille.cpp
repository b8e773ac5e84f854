// SPDX-License-Identifier: GPL-3.0-or-later
#include "grid/FrmConsultGrille.h"

#include "core/Module1.h"
#include "core/Platform.h"
#include "core/Shared.h"
#include "core/Strings.h"
#include "core/TextRecords.h"
#include "grid/FlexGrid.h"
#include "grid/FrmProgressBar.h"
#include "grid/Markers.h"
#include "grid/MessageStore.h"
#include "grid/YearGrid.h"
#include "holidays/Holidays.h"
#include "shell/MdiMain.h"
#include "shell/Twips.h"
#include "sound/MMControl.h"
#include "sound/SoundPlayer.h"
#include "timerows/HoursFile.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QSlider>

#include <array>

namespace tembrel {
namespace {

// The progress bar is optional: a rebuild or a save driven by code shows none.
void startProgress(QProgressBar *progress, int maximum) {
    if (progress) {
        progress->setValue(0);
        progress->setMaximum(std::max(0, maximum));
    }
}

void stepProgress(QProgressBar *progress, int value) {
    if (progress)
        progress->setValue(value);
}

QPointer<FrmConsultGrille> g_instance;

FrmConsultGrille::RecordingWindowFactory &recordingFactory() {
    static FrmConsultGrille::RecordingWindowFactory factory;
    return factory;
}

// Design sizes, in twips.
constexpr int DefaultGridWidth = 12100;
constexpr int DesignWidth = DefaultGridWidth + 50;
constexpr int DesignHeight = 8985;
constexpr int LabelColWidth = 1500;
constexpr int DayColWidth = 800;
constexpr int HeadingRowHeight = 310;
constexpr int TimeRowHeight = 600;

// The settings the main window holds, or their defaults without one.
Settings heldSettings() {
    if (const MdiMain *main = MdiMain::instance())
        return main->settings();
    return Settings{};
}

class WaitCursor final {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace

FrmConsultGrille::FrmConsultGrille(QWidget *parent)
    : QWidget(parent, Qt::Window) {
    g_instance = this;
    setObjectName(QStringLiteral("FrmConsultGrille"));
    setUpControls();
    Form_Load();
}

FrmConsultGrille::~FrmConsultGrille() {
    TimerAnnuler_Timer();
    FrmProgressBar::Unload();
}

FrmConsultGrille *FrmConsultGrille::instance() {
    return g_instance.data();
}

void FrmConsultGrille::setRecordingWindowFactory(RecordingWindowFactory factory) {
    recordingFactory() = std::move(factory);
}

int FrmConsultGrille::year() const {
    return LbAnnee->text().trimmed().toInt();
}

void FrmConsultGrille::Form_Load() {
    CmdStopLecture->setText(LoadResString(154));
    cmdDelWave->setText(LoadResString(155));

    // Size: the remembered one, or three quarters of the screen's height.
    const QScreen *scr = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect screenRect = scr ? scr->geometry() : QRect(0, 0, 1280, 1024);
    const QRect avail = scr ? scr->availableGeometry() : screenRect;
    const auto pos = readPosIni(appFile(QStringLiteral("pos.ini")));
    QSize size(twipsToPixels(DesignWidth, this), twipsToPixels(DesignHeight, this));
    m_openedMaximised = false;
    if (!pos) {
        size = QSize(twipsToPixels(DefaultGridWidth + 50, this), screenRect.height() / 4 * 3);
    } else if (pos->state == StateNormal) {
        size = QSize(twipsToPixels(pos->width, this), twipsToPixels(pos->height, this));
    } else if (pos->state == StateMaximised) {
        m_openedMaximised = true;
    }
    // A size remembered from a larger screen still fits on this one.
    size = size.boundedTo(avail.size()).expandedTo(minimumSize());
    resize(size);
    move(avail.x() + std::max(0, (avail.width() - width()) / 2), avail.y());
    // After the move: placing a hidden window drops its maximised state.
    if (m_openedMaximised)
        setWindowState(windowState() | Qt::WindowMaximized);

    const Settings settings = heldSettings();
    LbPolice.Caption = settings.fontName;

    GridLegendes->setFontName(LbPolice.Caption);
    GridLegendes->setBackColorFixed(settings.gridColour);
    GridLegendes->setForeColor(ColourWhite);
    Form_Resize();
    CmdAnneePlus->setToolTip(LoadResString(119));
    CmdAnneeMoins->setToolTip(LoadResString(120));
    CmdAnneeMoins->setAccessibleName(tr("Previous year"));
    CmdAnneePlus->setAccessibleName(tr("Next year"));
    GridLegendes->setAccessibleName(tr("Year grid"));
    Slider1->setAccessibleName(tr("Position"));

    const QDate today = Platform::instance().clock().today();
    LbAnnee->setText(QString::number(openingYear(today)));

    // The same reader as the time rows window's, so both show the same rows
    // of a damaged or hand-edited file.
    LstEmployes = readHours(hoursFilePath());

    ConstruireGrille();
    CmdChargerLoad_Click();
    // The keyboard starts on today's first time row.
    GridLegendes->setRow(GridFixedRows);
    goToToday();
    GridLegendes->setFocus();
}

void FrmConsultGrille::scrollToThisWeek() {
    GridLegendes->setLeftCol(weekStartColumn(Platform::instance().clock().today()));
}

void FrmConsultGrille::Form_Activate() {
    if (!m_openedMaximised)
        Form_Resize();
}

void FrmConsultGrille::Form_QueryUnload() {
    int state = StateNormal;
    if (windowState() & Qt::WindowMaximized)
        state = StateMaximised;
    else if (windowState() & Qt::WindowMinimized)
        state = StateMinimised;
    writePosIni(appFile(QStringLiteral("pos.ini")),
                {pixelsToTwips(width(), this), pixelsToTwips(height(), this), state});
    TimerAnnuler_Timer();
    // Nothing plays on after the window.
    if (playing())
        endPlayback();
    player->stop();
}

void FrmConsultGrille::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void FrmConsultGrille::closeEvent(QCloseEvent *event) {
    // A recording under way needs the grid to store into: the window stays
    // (close box, Alt+F4) until the recording window is closed.
    if (m_model->recordingSlot()) {
        event->ignore();
        return;
    }
    Form_QueryUnload();
    event->accept();
}

void FrmConsultGrille::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

// --- the year ------------------------------------------------------------

void FrmConsultGrille::changeYear(int step) {
    if (playing())
        return;
    const int next = year() + step;
    if (next < FirstGridYear || next > LastGridYear)
        return;
    LbAnnee->setText(QString::number(next));
    CmdValidDate_Click();
    CmdValidDate->setEnabled(true);
}

void FrmConsultGrille::CmdAnneeMoins_Click() {
    changeYear(-1);
}

void FrmConsultGrille::CmdAnneePlus_Click() {
    changeYear(+1);
}

void FrmConsultGrille::CmdValidDate_Click() {
    const WaitCursor wait;
    GridLegendes->Clear();
    Initialisation_GrilleLegendes();
    cmdChargeDonnees_Click();
}

void FrmConsultGrille::CmdPaques_Click() {
    ListFerie = holidayList(year(), AppFolder);
}

void FrmConsultGrille::ConstruireGrille() {
    FrmProgressBar *progress = FrmProgressBar::instance(this);
    progress->show();
    buildYear(progress->ProgBar);
}

void FrmConsultGrille::showProgressStrip() {
    PictBar->move((width() - PictBar->width()) / 2, (height() - PictBar->height()) / 2);
    PictBar->raise();
    PictBar->show();
}

void FrmConsultGrille::Initialisation_GrilleLegendes() {
    showProgressStrip();
    buildYear(ProgBar);
}

// Opens the year in the model and lays out its grid. The archives are
// reconciled once listed, after the grid shows.
void FrmConsultGrille::buildYear(QProgressBar *progress) {
    const int y = year();
    CmdPaques_Click();
    const Settings settings = heldSettings();
    LbVacColor.BackColor = settings.weekendColour;
    LbPolice.Caption = settings.fontName;
    m_opening = true;
    m_model->openFile(y, LstEmployes);
    m_opening = false;
    if (m_model->isUnreadable())
        MsgBox(LoadResString(242).arg(y).arg(QDir::toNativeSeparators(m_model->filePath())),
               vbExclamation);
    // Nothing can be recorded into a year whose file could not be read.
    GridLegendes->setEnabled(!m_model->isUnreadable());
    layOutYear(progress);
}

// Columns, rows, headings, time row labels, weekend and holiday colours.
void FrmConsultGrille::layOutYear(QProgressBar *progress) {
    const int y = year();
    FlexGrid *g = GridLegendes;
    g->beginUpdate();
    const int cols = m_model->cols();
    const int rows = m_model->rows();
    g->setCols(cols);
    g->setRows(rows);
    g->setColWidth(0, LabelColWidth);
    g->setColAlignment(0, FlexGrid::flexAlignCenterCenter);
    for (int c = 1; c < cols; ++c) {
        g->setColAlignment(c, FlexGrid::flexAlignCenterCenter);
        g->setColWidth(c, DayColWidth);
    }
    for (int r = GridFixedRows; r < rows; ++r)
        g->setTextMatrix(r, 0, m_model->text(r, 0));
    for (int r = 0; r < rows; ++r)
        g->setRowHeight(r, r < GridFixedRows ? HeadingRowHeight : TimeRowHeight);

    startProgress(progress, 12);
    // The holiday texts are read once, not once per day.
    QSet<QDate> holidays;
    for (const QString &entry : std::as_const(ListFerie))
        if (const auto d = parseDateText(entry))
            holidays.insert(*d);
    // A coloured slot hides its marker code behind the colour: only the
    // picture shows.
    const quint32 vac = LbVacColor.BackColor;
    auto colourSlots = [&](int c) {
        g->setCol(c);
        for (int r = GridFixedRows; r < rows; ++r) {
            g->setRow(r);
            g->setCellBackColor(vac);
            g->setCellForeColor(vac);
        }
    };
    m_monthStart = 1;
    for (int m = 1; m <= 12; ++m) {
        const int days = NbJoursMois(y, m);
        for (int d = 1; d <= days; ++d) {
            const int c = m_monthStart + d - 1;
            for (int r = 0; r < GridFixedRows; ++r)
                g->setTextMatrix(r, c, m_model->text(r, c));
            // Weekends by the day of the week: the first letters of the names
            // tell nothing in languages where several days share them.
            const QDate date(y, m, d);
            if (date.dayOfWeek() >= Qt::Saturday || holidays.contains(date))
                colourSlots(c);
        }
        m_monthStart = qint16(m_monthStart + days);
        stepProgress(progress, m);
    }
    g->setMergeCells(FlexGrid::flexMergeRestrictRows);
    g->setMergeRow(0, true);
    g->endUpdate();
}

// --- the year message file ------------------------------------------------

void FrmConsultGrille::cmdChargeDonnees_Click() {
    loadYear(ProgBar);
    PictBar->hide();
}

void FrmConsultGrille::CmdChargerLoad_Click() {
    scrollToThisWeek();
    FrmProgressBar *progress = FrmProgressBar::instance(this);
    loadYear(progress->ProgBar);
    FrmProgressBar::Unload();
}

// Fills the slots with what the model holds: marker codes with their
// pictures, and any other text a year file kept.
void FrmConsultGrille::loadYear(QProgressBar *progress) {
    FlexGrid *g = GridLegendes;
    const int cols = std::min(g->Cols(), m_model->cols());
    const int rows = std::min(g->Rows(), m_model->rows());
    startProgress(progress, cols - 1);
    std::array<QPixmap, int(Marker::Jaune) + 1> pictures;
    for (std::size_t m = 0; m < pictures.size(); ++m)
        pictures[m] = markerPicture(Marker(m));
    g->beginUpdate();
    for (int c = 1; c < cols; ++c) {
        for (int r = GridFixedRows; r < rows; ++r) {
            const QString text = m_model->text(r, c);
            if (const Marker marker = markerForCode(text); marker != Marker::None)
                g->setCellMatrix(r, c, text, pictures[std::size_t(marker)]);
            else if (!text.isEmpty())
                g->setTextMatrix(r, c, text);
        }
        stepProgress(progress, c);
    }
    g->endUpdate();
}

void FrmConsultGrille::showSlot(const Slot &slot) {
    if (!m_model->isSlot(slot))
        return;
    FlexGrid *g = GridLegendes;
    g->setRow(slot.row);
    g->setCol(slot.col);
    g->setTextMatrix(slot.row, slot.col, m_model->text(slot.row, slot.col));
    if (m_model->recordingSlot() == slot)
        g->setCellPicture(ImgMicro);
    else
        g->setCellPicture(markerPicture(m_model->marker(slot)));
}

bool FrmConsultGrille::EnregistrerGrille(QProgressBar *progress) {
    const WaitCursor wait;
    startProgress(progress, m_model->cols() - 1);
    return m_model->save([progress](int done, int) { stepProgress(progress, done); });
}

// --- clicks --------------------------------------------------------------

void FrmConsultGrille::GridLegendes_Click() {
    if (playing())
        return;
    m_model->settleArchives();
    SelRow = GridLegendes->Row();
    SelCol = GridLegendes->Col();
    if (SelCol == 1)
        GridLegendes->setLeftCol(1);
    // Only a slot (a time row on a day) holds a message; an empty heading or
    // label cell is no slot.
    const Slot slot{SelRow, SelCol};
    if (!m_model->isSlot(slot))
        return;
    const QString text = m_model->text(slot.row, slot.col);
    if (text.isEmpty())
        openRecordingWindow();
    else if (m_model->marker(slot) != Marker::None)
        startPlayback();
}

QWidget *FrmConsultGrille::openRecordingWindow() {
    const auto &factory = recordingFactory();
    if (!factory || m_model->recordingSlot())
        return nullptr;
    const Slot slot{SelRow, SelCol};
    if (!m_model->setRecordingSlot(slot))
        return nullptr;
    QWidget *w = factory(*m_model, slot, parentWidget());
    if (!w) {
        m_model->setRecordingSlot(std::nullopt);
        return nullptr;
    }
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}

// --- playback and deletion -----------------------------------------------

void FrmConsultGrille::startPlayback() {
    const int y = year();
    player->stop();
    QFile::remove(scratchWavePath());
    m_playbackSlot = Slot{SelRow, SelCol};
    NomArchive = slotArchiveName(y, SelRow, SelCol);
    // A missing or damaged archive leaves no temp.wav: nothing plays, no
    // message; the user ends the state with Stop, or deletes the slot.
    const SlotResult unpacked = extractSlotArchive(y, SelRow, SelCol);
    if (!unpacked.ok)
        qWarning("Nothing to play in %s: %s", qUtf8Printable(NomArchive),
                 qUtf8Printable(unpacked.error));
    m_playbackShown = true;
    Slider1->show();
    CmdStopLecture->show();
    cmdDelWave->show();
    Slider1->setValue(1);
    Slider1->setMaximum(0);
    if (unpacked.ok && player->play(scratchWavePath()))
        Slider1->setMaximum(player->length());
}

void FrmConsultGrille::MMControl1_StatusUpdate(int position, int length) {
    if (!playing())
        return;
    Slider1->setMaximum(length);
    Slider1->setValue(position);
    setWindowTitle(m_model->title(m_playbackSlot) + QString::number(Slider1->value() / 1000) +
                   QLatin1Char('/') + QString::number(Slider1->maximum() / 1000) + tr(" seconds"));
}

void FrmConsultGrille::endPlayback() {
    player->stop();
    m_playbackShown = false;
    Slider1->hide();
    CmdStopLecture->hide();
    cmdDelWave->hide();
    setWindowTitle(QString());
}

void FrmConsultGrille::CmdStopLecture_Click() {
    endPlayback();
}

void FrmConsultGrille::cmdDelWave_Click() {
    deleteMessage(year(), m_playbackSlot);
}

} // namespace tembrel
