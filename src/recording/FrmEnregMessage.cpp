// SPDX-License-Identifier: GPL-3.0-or-later
#include "recording/FrmEnregMessage.h"

#include "archive/ZipClass.h"
#include "core/Platform.h"
#include "core/Shared.h"
#include "core/Strings.h"
#include "grid/FlexGrid.h"
#include "grid/FrmConsultGrille.h"
#include "grid/Markers.h"
#include "grid/SlotArchives.h"
#include "recording/ScopeView.h"
#include "sound/MMControl.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include <cstring>

namespace tembrel {
namespace {

// Option1(i) stands for these markers, in the order the images are stacked.
constexpr Marker OptionMarkers[] = {Marker::Bleu, Marker::Rouge, Marker::Vert, Marker::Jaune,
                                    Marker::Noir};

QString markerName(Marker marker) {
    switch (marker) {
    case Marker::Bleu:
        return FrmEnregMessage::tr("Blue");
    case Marker::Rouge:
        return FrmEnregMessage::tr("Red");
    case Marker::Vert:
        return FrmEnregMessage::tr("Green");
    case Marker::Jaune:
        return FrmEnregMessage::tr("Yellow");
    case Marker::Noir:
        return FrmEnregMessage::tr("Black");
    case Marker::None:
        break;
    }
    return {};
}

} // namespace

FrmEnregMessage::FrmEnregMessage(FrmConsultGrille *grid, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_grid(grid) {
    setObjectName(QStringLiteral("FrmEnregMessage"));
    buildControls();
    Form_Load();
}

FrmEnregMessage::~FrmEnregMessage() = default;

void FrmEnregMessage::buildControls() {
    auto *outer = new QHBoxLayout(this);

    FrameEnreg = new QGroupBox(this);
    FrameEnreg->setObjectName(QStringLiteral("FrameEnreg"));
    auto *frame = new QGridLayout(FrameEnreg);
    auto button = [this](const char *name, int row, int col, QGridLayout *grid,
                         void (FrmEnregMessage::*handler)()) {
        auto *b = new QPushButton(FrameEnreg);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        grid->addWidget(b, row, col);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    CmdRecord = button("CmdRecord", 0, 0, frame, &FrmEnregMessage::CmdRecord_Click);
    CmdPauseRec = button("CmdPauseRec", 0, 1, frame, &FrmEnregMessage::CmdPauseRec_Click);
    cmdResumeRec = button("cmdResumeRec", 0, 2, frame, &FrmEnregMessage::cmdResumeRec_Click);
    cmdStopRecord = button("cmdStopRecord", 0, 3, frame, &FrmEnregMessage::cmdStopRecord_Click);
    CmdPlay = button("CmdPlay", 1, 0, frame, &FrmEnregMessage::CmdPlay_Click);
    cmdPause = button("cmdPause", 1, 1, frame, &FrmEnregMessage::cmdPause_Click);
    cmdResumePlay = button("cmdResumePlay", 1, 2, frame, &FrmEnregMessage::cmdResumePlay_Click);
    cmdDelWave = button("cmdDelWave", 1, 3, frame, &FrmEnregMessage::cmdDelWave_Click);

    Slider1 = new QSlider(Qt::Horizontal, FrameEnreg);
    Slider1->setObjectName(QStringLiteral("Slider1"));
    Slider1->setRange(0, 60000);
    // The slider shows the position; the device moves it, not the user.
    Slider1->setFocusPolicy(Qt::NoFocus);
    Slider1->setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(Slider1, &QSlider::valueChanged, this, &FrmEnregMessage::Slider1_Change);
    frame->addWidget(Slider1, 2, 0, 1, 3);
    lbSliderLen = new QLabel(QStringLiteral("1"), FrameEnreg);
    lbSliderLen->setObjectName(QStringLiteral("lbSliderLen"));
    lbSliderLen->setAlignment(Qt::AlignCenter);
    frame->addWidget(lbSliderLen, 2, 3);

    CheckDiagramme = new QCheckBox(FrameEnreg);
    CheckDiagramme->setObjectName(QStringLiteral("CheckDiagramme"));
    frame->addWidget(CheckDiagramme, 3, 0, 1, 4);
    scopeBox = new ScopeView(FrameEnreg);
    scopeBox->setObjectName(QStringLiteral("scopeBox"));
    frame->addWidget(scopeBox, 4, 0, 1, 4);
    outer->addWidget(FrameEnreg, 1);

    // The colour column: each image beside its option button, a click on the
    // image chooses it; then Save and Abort.
    auto *side = new QVBoxLayout;
    auto *colours = new QGridLayout;
    const qreal dpr = std::max<qreal>(2.0, devicePixelRatioF());
    std::array<QLabel **, 5> images{&ImgBleu, &ImgRouge, &ImgVert, &ImgJaune, &ImgNoir};
    const char *imageNames[] = {"ImgBleu", "ImgRouge", "ImgVert", "ImgJaune", "ImgNoir"};
    for (int i = 0; i < 5; ++i) {
        auto *image = new QLabel(this);
        image->setObjectName(QString::fromLatin1(imageNames[i]));
        image->setPixmap(markerPixmap(OptionMarkers[i], dpr));
        image->setAccessibleName(markerName(OptionMarkers[i]));
        image->installEventFilter(this);
        *images[i] = image;
        Option1[i] = new QRadioButton(this);
        Option1[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        Option1[i]->setAccessibleName(markerName(OptionMarkers[i]));
        Option1[i]->setToolTip(markerName(OptionMarkers[i]));
        colours->addWidget(image, i, 0);
        colours->addWidget(Option1[i], i, 1);
    }
    side->addLayout(colours);
    side->addStretch(1);
    CmdEnreg = new QPushButton(this);
    CmdEnreg->setObjectName(QStringLiteral("CmdEnreg"));
    CmdEnreg->setAutoDefault(false);
    connect(CmdEnreg, &QPushButton::clicked, this, &FrmEnregMessage::CmdEnreg_Click);
    CmdCancel = new QPushButton(this);
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    CmdCancel->setAutoDefault(false);
    connect(CmdCancel, &QPushButton::clicked, this, &FrmEnregMessage::CmdCancel_Click);
    side->addWidget(CmdEnreg);
    side->addWidget(CmdCancel);
    outer->addLayout(side);

    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &FrmEnregMessage::CmdCancel_Click);

    PictBar = new QFrame(this);
    PictBar->setObjectName(QStringLiteral("PictBar"));
    PictBar->setFrameShape(QFrame::StyledPanel);
    PictBar->setAutoFillBackground(true);
    auto *bar = new QHBoxLayout(PictBar);
    ProgBar = new QProgressBar(PictBar);
    ProgBar->setObjectName(QStringLiteral("ProgBar"));
    ProgBar->setTextVisible(false);
    bar->addWidget(ProgBar);
    PictBar->hide();

    MMControl1 = new MMControl(this);
    connect(MMControl1, &MMControl::StatusUpdate, this, &FrmEnregMessage::MMControl1_StatusUpdate);
    connect(MMControl1, &MMControl::DeviceLost, this, &FrmEnregMessage::MMControl1_DeviceLost);
    TimerTempo = new QTimer(this);
    TimerTempo->setInterval(1000);
    connect(TimerTempo, &QTimer::timeout, this, &FrmEnregMessage::TimerTempo_Timer);
    // The scope listens on the recording's device, through a stream of its own.
    m_meter = std::make_unique<SoundMeter>(MMControl1->backend());
    Timer1 = new QTimer(this);
    Timer1->setInterval(300);
    connect(Timer1, &QTimer::timeout, this, &FrmEnregMessage::Timer1_Timer);
}

void FrmEnregMessage::setCaptions() {
    CmdRecord->setText(LoadResString(169));
    CmdPauseRec->setText(LoadResString(170));
    cmdResumeRec->setText(LoadResString(173));
    cmdStopRecord->setText(LoadResString(171));
    CmdPlay->setText(LoadResString(172));
    cmdPause->setText(LoadResString(170));
    cmdResumePlay->setText(LoadResString(173));
    cmdDelWave->setText(LoadResString(155));
    CmdEnreg->setText(LoadResString(128));
    CmdCancel->setText(LoadResString(174));
    FrameEnreg->setTitle(LoadResString(151));
    CheckDiagramme->setText(tr("Scope"));
    lbSliderLen->setToolTip(tr("Longest message, in minutes"));
    Slider1->setAccessibleName(tr("Position"));
    scopeBox->setAccessibleName(tr("Scope"));
    // Pause and Resume twice over: the readers tell them apart by their role.
    CmdPauseRec->setAccessibleName(tr("Pause recording"));
    cmdResumeRec->setAccessibleName(tr("Resume recording"));
    cmdPause->setAccessibleName(tr("Pause playback"));
    cmdResumePlay->setAccessibleName(tr("Resume playback"));
}

void FrmEnregMessage::Form_Load() {
    setCaptions();
    scopeBox->Cls();

    // Centred on the screen, at the size its layout asks for.
    adjustSize();
    if (const QScreen *scr = screen() ? screen() : QGuiApplication::primaryScreen()) {
        const QRect avail = scr->availableGeometry();
        resize(size().boundedTo(avail.size()));
        move(avail.x() + (avail.width() - width()) / 2,
             avail.y() + (avail.height() - height()) / 2);
    }

    CaptionBase.clear();
    if (m_grid) {
        const FlexGrid *g = m_grid->GridLegendes;
        CaptionBase = g->TextMatrix(1, SelCol) + QStringLiteral(", ") + g->TextMatrix(0, SelCol) +
                      QLatin1Char(' ') + g->TextMatrix(2, SelCol).toLower() + QStringLiteral(", ") +
                      m_grid->LbAnnee->text() + QStringLiteral(" - ") + g->TextMatrix(SelRow, 0) +
                      QStringLiteral(" - ");
    }
    setWindowTitle(CaptionBase);
    applyState(RecordingState::Empty);
    CmdRecord->setFocus();
}

void FrmEnregMessage::applyState(RecordingState state) {
    m_state = state;
    const RecordingRow &row = recordingRow(state);
    const std::array<QWidget *, RecordingControlCount> controls{
        CmdRecord, CmdPauseRec,   cmdResumeRec, cmdStopRecord, CmdPlay,
        cmdPause,  cmdResumePlay, cmdDelWave,   CmdEnreg,      CheckDiagramme};
    for (int i = 0; i < RecordingControlCount; ++i)
        if (row[i] != Btn::Keep)
            controls[i]->setEnabled(row[i] == Btn::On);
}

bool FrmEnregMessage::openDevice() {
    MMControl1->setNotify(false);
    MMControl1->setWait(true);
    MMControl1->setShareable(false);
    MMControl1->setDeviceType(QStringLiteral("WaveAudio"));
    MMControl1->setFileName(scratchWavePath());
    return MMControl1->setCommand(QStringLiteral("Open")) == MciError::None;
}

void FrmEnregMessage::deleteScratchFiles() {
    QFile::remove(scratchWavePath());
    QFile::remove(scratchArchivePath());
}

void FrmEnregMessage::setCaptionSeconds(int valueMs, int maxMs) {
    setWindowTitle(CaptionBase + QString::number(valueMs / 1000) + QLatin1Char('/') +
                   QString::number(maxMs / 1000) + tr(" seconds"));
}

// --- recording -----------------------------------------------------------

void FrmEnregMessage::CmdRecord_Click() {
    UpdatesSuspended = false;
    MMControl1->setCommand(QStringLiteral("Close"));
    deleteScratchFiles();
    const bool opened = openDevice();
    const int limit = int(lbSliderLen->text().toDouble() * 60000);
    // The range first: a value of 1 under an old, shorter range would look
    // like the end of a message.
    Slider1->setMaximum(limit);
    Slider1->setValue(1);
    setCaptionSeconds(0, limit);
    if (!opened || MMControl1->setCommand(QStringLiteral("Record")) != MciError::None) {
        // No input, or one that refuses to start: say so once rather than
        // pretend to record a minute of nothing. The scope is not tried: it
        // would only say the same again.
        refuseRecording(185);
        return;
    }
    m_recordedSinceFinish = true;
    applyState(RecordingState::Recording);
    // The scope's stream comes second, so that an input that takes one
    // stream only gives it to the recording.
    if (CheckDiagramme->isChecked())
        CmdStartVolume_Click();
}

void FrmEnregMessage::refuseRecording(int textId) {
    MMControl1->setCommand(QStringLiteral("Close"));
    if (CheckDiagramme->isChecked())
        CmdStopVolume_Click();
    m_recordedSinceFinish = false;
    applyState(RecordingState::Empty);
    setWindowTitle(CaptionBase);
    MsgBox(LoadResString(textId), vbExclamation);
}

void FrmEnregMessage::CmdPauseRec_Click() {
    MMControl1->setCommand(QStringLiteral("Pause"));
    applyState(RecordingState::RecordingPaused);
    if (CheckDiagramme->isChecked())
        CmdStopVolume_Click();
}

void FrmEnregMessage::cmdResumeRec_Click() {
    MMControl1->setCommand(QStringLiteral("Record"));
    if (CheckDiagramme->isChecked())
        CmdStartVolume_Click();
    applyState(RecordingState::Recording);
}

void FrmEnregMessage::cmdStopRecord_Click() {
    FinishTicks = 0;
    applyState(RecordingState::Finishing);
    // The device records on until the tick: about one more second.
    TimerTempo->start();
}

void FrmEnregMessage::TimerTempo_Timer() {
    FinishTicks = qint16(FinishTicks + 1);
    if (FinishTicks < 1)
        return;
    MMControl1->setCommand(QStringLiteral("Stop"));
    if (m_recordedSinceFinish) {
        MMControl1->setCommand(QStringLiteral("Save"));
        const QFileInfo wav(scratchWavePath());
        if (wav.exists() && wav.size() >= 1) {
            ZipClass zip;
            if (zip.AddFile(QFile::encodeName(wav.filePath()).toStdString()))
                zip.WriteZip(QFile::encodeName(scratchArchivePath()).toStdString(), true);
        }
    }
    m_recordedSinceFinish = false;
    MMControl1->setCommand(QStringLiteral("Close"));
    TimerTempo->stop();
    applyState(RecordingState::Recorded);
    // Nothing packed (the device delivered nothing): nothing can be stored.
    if (!QFileInfo::exists(scratchArchivePath()))
        CmdEnreg->setEnabled(false);
    setWindowTitle(CaptionBase);
    if (CheckDiagramme->isChecked())
        CmdStopVolume_Click();
    Slider1->setValue(1);
}

void FrmEnregMessage::MMControl1_StatusUpdate() {
    if (UpdatesSuspended)
        return;
    Slider1->setValue(MMControl1->Position());
    if (!cmdStopRecord->isEnabled() && Slider1->value() == 1)
        return;
    setCaptionSeconds(Slider1->value(), Slider1->maximum());
}

void FrmEnregMessage::Slider1_Change() {
    m_selLength = MMControl1->Position() - m_selStart;
    if (Slider1->value() < Slider1->maximum() - 3)
        return;
    // The limit of a recording, or the end of a playback.
    stopAutomatically();
}

void FrmEnregMessage::stopAutomatically() {
    cmdStopRecord_Click();
    applyState(RecordingState::AutoFinishing);
    setWindowTitle(CaptionBase);
}

// The device ended what it was doing by itself: it went away or stopped
// answering. A recording ends as on Stop, and the finishing step saves and
// packs what was heard; one that never started is refused as when there is
// no input; a playback ends as at the end of the message. One message says so.
void FrmEnregMessage::MMControl1_DeviceLost() {
    switch (m_state) {
    case RecordingState::Recording:
    case RecordingState::RecordingPaused:
        if (MMControl1->Length() == 0) {
            refuseRecording(211);
            return;
        }
        cmdStopRecord_Click();
        MsgBox(LoadResString(210), vbExclamation);
        return;
    case RecordingState::Playing:
    case RecordingState::PlaybackPaused:
        stopAutomatically();
        MsgBox(LoadResString(212), vbExclamation);
        return;
    default: // Stop was pressed already: the finishing step comes anyway
        return;
    }
}

// --- listening -----------------------------------------------------------

void FrmEnregMessage::CmdPlay_Click() {
    if (!QFileInfo::exists(scratchArchivePath()))
        return; // no finished recording
    MMControl1->setCommand(QStringLiteral("Close"));
    const bool opened = openDevice();
    Slider1->setValue(1);
    Slider1->setMaximum(MMControl1->Length());
    applyState(RecordingState::Playing);
    // No output, or one that refuses to start: rather than wait in the
    // playing state for an end that never comes, the playback ends at once.
    if (!opened || MMControl1->setCommand(QStringLiteral("Play")) != MciError::None) {
        stopAutomatically();
        MsgBox(LoadResString(212), vbExclamation);
    }
}

void FrmEnregMessage::cmdPause_Click() {
    MMControl1->setCommand(QStringLiteral("Pause"));
    applyState(RecordingState::PlaybackPaused);
}

void FrmEnregMessage::cmdResumePlay_Click() {
    applyState(RecordingState::Playing);
    MMControl1->setCommand(QStringLiteral("Play"));
}

// --- removing, abandoning, closing ---------------------------------------

void FrmEnregMessage::cmdDelWave_Click() {
    if (MsgBox(LoadResString(153), vbYesNoCancel | vbQuestion) != vbYes)
        return;
    UpdatesSuspended = true;
    MMControl1->setCommand(QStringLiteral("Close"));
    // A finishing step still due would find nothing left to finish.
    TimerTempo->stop();
    m_recordedSinceFinish = false;
    deleteScratchFiles();
    applyState(RecordingState::Empty);
    setWindowTitle(CaptionBase);
}

void FrmEnregMessage::clearSlotCell() {
    if (!m_grid)
        return;
    FlexGrid *g = m_grid->GridLegendes;
    g->setRow(SelRow);
    g->setCol(SelCol);
    g->setCellPicture(QPixmap());
    g->setTextMatrix(SelRow, SelCol, QString());
}

void FrmEnregMessage::CmdCancel_Click() {
    clearSlotCell();
    MMControl1->setCommand(QStringLiteral("Close"));
    deleteScratchFiles();
    close();
}

void FrmEnregMessage::Form_QueryUnload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    TimerTempo->stop();
    // A window closed while the scope runs leaves no input open behind it.
    CmdStopVolume_Click();
    MMControl1->setCommand(QStringLiteral("Close"));
    if (m_grid)
        m_grid->setEnabled(true);
    RecordingWindowOpen = false;
}

void FrmEnregMessage::closeEvent(QCloseEvent *event) {
    Form_QueryUnload();
    event->accept();
}

// --- storing -------------------------------------------------------------

void FrmEnregMessage::ImgBleu_Click() {
    Option1[0]->setChecked(true);
}

void FrmEnregMessage::ImgRouge_Click() {
    Option1[1]->setChecked(true);
}

void FrmEnregMessage::ImgVert_Click() {
    Option1[2]->setChecked(true);
}

void FrmEnregMessage::ImgJaune_Click() {
    Option1[3]->setChecked(true);
}

void FrmEnregMessage::ImgNoir_Click() {
    Option1[4]->setChecked(true);
}

bool FrmEnregMessage::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        const std::array<QLabel *, 5> images{ImgBleu, ImgRouge, ImgVert, ImgJaune, ImgNoir};
        constexpr void (FrmEnregMessage::*handlers[])() = {
            &FrmEnregMessage::ImgBleu_Click, &FrmEnregMessage::ImgRouge_Click,
            &FrmEnregMessage::ImgVert_Click, &FrmEnregMessage::ImgJaune_Click,
            &FrmEnregMessage::ImgNoir_Click};
        for (int i = 0; i < 5; ++i)
            if (watched == images[i]) {
                (this->*handlers[i])();
                Option1[i]->setFocus(Qt::MouseFocusReason);
                return true;
            }
    }
    return QWidget::eventFilter(watched, event);
}

void FrmEnregMessage::CmdEnreg_Click() {
    int chosen = -1;
    for (int i = 0; i < 5 && chosen < 0; ++i)
        if (Option1[i]->isChecked())
            chosen = i;
    if (chosen < 0) {
        MsgBox(LoadResString(176), vbOKOnly);
        return;
    }
    if (!m_grid)
        return;
    MMControl1->setCommand(QStringLiteral("Close"));
    const int year = m_grid->year();
    const SlotResult stored = storeSlotArchive(scratchArchivePath(), year, SelRow, SelCol);
    if (!stored.ok) {
        // The slot stays unmarked and the year file untouched; the scratch
        // files and this window stay, so nothing the user said is lost.
        qWarning("The message was not stored: %s", qUtf8Printable(stored.error));
        MsgBox(LoadResString(184), vbCritical);
        return;
    }
    MMControl1->setCommand(QStringLiteral("Close"));
    deleteScratchFiles();

    const Marker marker = OptionMarkers[chosen];
    FlexGrid *g = m_grid->GridLegendes;
    g->setTextMatrix(SelRow, SelCol, codeForMarker(marker));
    g->setRow(SelRow);
    g->setCol(SelCol);
    g->setCellPicture(m_grid->markerPicture(marker));
    CmdEnregGrid_Click();
    close();
}

void FrmEnregMessage::CmdEnregGrid_Click() {
    if (!m_grid)
        return;
    PictBar->setGeometry((width() - PictBar->sizeHint().width() * 3) / 2,
                         (height() - PictBar->sizeHint().height()) / 2,
                         PictBar->sizeHint().width() * 3, PictBar->sizeHint().height());
    PictBar->raise();
    PictBar->show();
    const bool saved = m_grid->EnregistrerGrille(ProgBar);
    PictBar->hide();
    if (!saved)
        MsgBox(LoadResString(186), vbExclamation);
}

// --- the input scope -----------------------------------------------------

void FrmEnregMessage::CmdStartVolume_Click() {
    if (!m_meter->StartInput())
        return; // no tick: nothing would ever come to draw
    // Until the first block is full, the scope shows silence, not the last run.
    m_scopeSamples.fill(ScopeSilence);
    Timer1->start();
}

void FrmEnregMessage::CmdStopVolume_Click() {
    Timer1->stop();
    m_meter->StopInput();
    scopeBox->Cls();
}

// Never waits: a block takes 0.4 s to fill, longer than the 300 ms between
// ticks, so a tick without a new block draws what it drew last.
void FrmEnregMessage::Timer1_Timer() {
    const quint8 *block = nullptr;
    m_meter->TakeSamples(block);
    DrawScope(block);
}

void FrmEnregMessage::DrawScope(const quint8 *samples) {
    if (samples)
        std::memcpy(m_scopeSamples.data(), samples, m_scopeSamples.size());
    scopeBox->drawSamples(m_scopeSamples);
}

} // namespace tembrel
