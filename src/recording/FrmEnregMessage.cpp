// SPDX-License-Identifier: GPL-3.0-or-later
#include "recording/FrmEnregMessage.h"

#include "core/Platform.h"
#include "core/Shared.h"
#include "core/Strings.h"
#include "grid/Markers.h"
#include "recording/ScopeView.h"
#include "sound/MMControl.h"
#include "sound/SoundChoice.h"
#include "sound/SoundPlayer.h"

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

FrmEnregMessage::FrmEnregMessage(YearModel &model, Slot slot, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_model(&model)
    , m_slot(slot)
    , m_session(new RecordingSession(RecordingSession::DefaultLimit, this)) {
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
    Slider1->setRange(0, m_session->limit());
    // The slider shows the position; the device moves it, not the user.
    Slider1->setFocusPolicy(Qt::NoFocus);
    Slider1->setAttribute(Qt::WA_TransparentForMouseEvents);
    frame->addWidget(Slider1, 2, 0, 1, 3);
    lbSliderLen = new QLabel(QString::number(m_session->limit() / 60000.0), FrameEnreg);
    lbSliderLen->setObjectName(QStringLiteral("lbSliderLen"));
    lbSliderLen->setAlignment(Qt::AlignCenter);
    frame->addWidget(lbSliderLen, 2, 3);
    lbMicrophone = new QLabel(FrameEnreg);
    lbMicrophone->setObjectName(QStringLiteral("lbMicrophone"));
    frame->addWidget(lbMicrophone, 3, 0, 1, 4);
    // No box: the recording goes on while the user mends the microphone.
    lbSilence = new QLabel(FrameEnreg);
    lbSilence->setObjectName(QStringLiteral("lbSilence"));
    lbSilence->setWordWrap(true);
    lbSilence->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold"));
    lbSilence->hide();
    frame->addWidget(lbSilence, 4, 0, 1, 4);

    CheckDiagramme = new QCheckBox(FrameEnreg);
    CheckDiagramme->setObjectName(QStringLiteral("CheckDiagramme"));
    frame->addWidget(CheckDiagramme, 5, 0, 1, 4);
    scopeBox = new ScopeView(FrameEnreg);
    scopeBox->setObjectName(QStringLiteral("scopeBox"));
    frame->addWidget(scopeBox, 6, 0, 1, 4);
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
    side->addWidget(buildImportButton());
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

    MMControl1 = m_session->device();
    TimerTempo = m_session->finishingTimer();
    connect(m_session, &RecordingSession::stateChanged, this, &FrmEnregMessage::applyState);
    connect(m_session, &RecordingSession::positionChanged, this,
            &FrmEnregMessage::MMControl1_StatusUpdate);
    connect(m_session, &RecordingSession::silenceChanged, lbSilence, &QLabel::setVisible);
    connect(m_session, &RecordingSession::failed, this,
            [](int textId) { MsgBox(LoadResString(textId), vbExclamation); });
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
    CmdImport->setText(LoadResString(255));
    FrameEnreg->setTitle(LoadResString(151));
    CheckDiagramme->setText(tr("Scope"));
    lbSilence->setText(LoadResString(234));
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

    CaptionBase = m_model ? m_model->title(m_slot) : QString();
    applyState(RecordingState::Empty);
    CmdRecord->setFocus();
    showMicrophone();
    offerInterrupted();
}

void FrmEnregMessage::showMicrophone() {
    const ChosenDevice chosen = chosenDevice(SoundUse::Microphone);
    lbMicrophone->setText(
        tr("Microphone: %1").arg(chosen.id.isEmpty() ? tr("System default") : chosen.description));
    MMControl1->backend()->readDevices(lbMicrophone, [this](const SoundDevices &devices) {
        const auto device = deviceInUse(SoundUse::Microphone, devices);
        lbMicrophone->setText(tr("Microphone: %1").arg(device ? device->description : tr("none")));
    });
}

// The window shows the session's state: the buttons of its row, and the
// caption, slider and scope that go with it.
void FrmEnregMessage::applyState(RecordingState state) {
    const RecordingRow &row = recordingRow(state);
    const std::array<QWidget *, RecordingControlCount> controls{
        CmdRecord,     CmdPauseRec, cmdResumeRec, cmdStopRecord,  CmdPlay,  cmdPause,
        cmdResumePlay, cmdDelWave,  CmdEnreg,     CheckDiagramme, CmdImport};
    for (int i = 0; i < RecordingControlCount; ++i)
        if (row[i] != Btn::Keep)
            controls[i]->setEnabled(row[i] == Btn::On);
    const bool scope = CheckDiagramme->isChecked();
    switch (state) {
    case RecordingState::Playing:
        // Listening from the start: the range first, so that the old
        // position does not look like the end of the message.
        if (!m_session->player()->isPaused()) {
            Slider1->setMaximum(m_session->player()->length());
            Slider1->setValue(1);
        }
        break;
    case RecordingState::Recording:
        // The scope's stream comes second, so that an input that takes one
        // stream only gives it to the recording.
        if (scope && !Timer1->isActive())
            CmdStartVolume_Click();
        break;
    case RecordingState::Recorded:
        // Nothing packed (the device delivered nothing): nothing can be stored.
        if (!m_session->hasRecording())
            CmdEnreg->setEnabled(false);
        Slider1->setValue(1);
        [[fallthrough]];
    case RecordingState::Empty:
    case RecordingState::AutoFinishing:
        setWindowTitle(CaptionBase);
        [[fallthrough]];
    case RecordingState::RecordingPaused:
        if (scope && state != RecordingState::AutoFinishing)
            CmdStopVolume_Click();
        break;
    default:
        break;
    }
}

void FrmEnregMessage::setCaptionSeconds(int valueMs, int maxMs) {
    setWindowTitle(CaptionBase + QString::number(valueMs / 1000) + QLatin1Char('/') +
                   QString::number(maxMs / 1000) + tr(" seconds"));
    // Read on demand from the position control, which never has the focus.
    if (Slider1->accessibleDescription() != windowTitle())
        Slider1->setAccessibleDescription(windowTitle());
}

void FrmEnregMessage::MMControl1_StatusUpdate(int position, int maximum) {
    // The range first: a position under an old, shorter range would look
    // like the end of a message.
    Slider1->setMaximum(maximum);
    Slider1->setValue(position);
    setCaptionSeconds(position, maximum);
}

void FrmEnregMessage::CmdRecord_Click() {
    showMicrophone(); // plugged in or out since the window opened
    m_session->record();
}

void FrmEnregMessage::CmdPauseRec_Click() {
    m_session->pauseRecording();
}

void FrmEnregMessage::cmdResumeRec_Click() {
    m_session->resumeRecording();
}

void FrmEnregMessage::cmdStopRecord_Click() {
    m_session->stop();
}

void FrmEnregMessage::TimerTempo_Timer() {
    m_session->finishTick();
}

void FrmEnregMessage::CmdPlay_Click() {
    m_session->play();
}

void FrmEnregMessage::cmdPause_Click() {
    m_session->pausePlayback();
}

void FrmEnregMessage::cmdResumePlay_Click() {
    m_session->resumePlayback();
}

void FrmEnregMessage::cmdDelWave_Click() {
    if (MsgBox(LoadResString(153), vbYesNoCancel | vbQuestion) == vbYes)
        m_session->remove();
}

void FrmEnregMessage::CmdCancel_Click() {
    // The close that follows asks, once, before anything is thrown away.
    close();
}

// A recording that was made and not stored goes only when the user says so.
bool FrmEnregMessage::mayDiscard() {
    const bool unsaved =
        !m_stored && (m_session->state() != RecordingState::Empty || m_session->hasRecording());
    return !unsaved || MsgBox(LoadResString(233), vbYesNo | vbQuestion) == vbYes;
}

void FrmEnregMessage::Form_QueryUnload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_session->close();
    // A window closed while the scope runs leaves no input open behind it.
    CmdStopVolume_Click();
    RecordingWindowOpen = false;
    // The grid waits for the recording to end.
    if (m_model)
        m_model->setRecordingSlot(std::nullopt);
}

void FrmEnregMessage::closeEvent(QCloseEvent *event) {
    // Abort, Escape and the close box alike: nothing unsaved goes unasked.
    if (!m_unloaded && !mayDiscard()) {
        event->ignore();
        return;
    }
    if (!m_stored)
        m_session->abandon();
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
    if (!m_model)
        return;
    if (!m_session->store(*m_model, m_slot, OptionMarkers[chosen])) {
        // The slot stays unmarked and the year file untouched; the scratch
        // files and this window stay, so nothing the user said is lost.
        MsgBox(LoadResString(184), vbCritical);
        return;
    }
    m_stored = true;
    CmdEnregGrid_Click();
    close();
}

void FrmEnregMessage::CmdEnregGrid_Click() {
    if (!m_model)
        return;
    PictBar->setGeometry((width() - PictBar->sizeHint().width() * 3) / 2,
                         (height() - PictBar->sizeHint().height()) / 2,
                         PictBar->sizeHint().width() * 3, PictBar->sizeHint().height());
    PictBar->raise();
    PictBar->show();
    ProgBar->setValue(0);
    ProgBar->setMaximum(m_model->cols() - 1);
    const bool saved = m_model->save([this](int done, int) { ProgBar->setValue(done); });
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
