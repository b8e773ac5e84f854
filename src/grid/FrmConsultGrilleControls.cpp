// SPDX-License-Identifier: GPL-3.0-or-later
// The year grid window's controls: the year strip, the grid, the playback
// strip and the progress strip, their pictures and their places.
#include "grid/FrmConsultGrille.h"

#include "core/Shared.h"
#include "grid/FlexGrid.h"
#include "grid/Markers.h"
#include "grid/MessagesPanel.h"
#include "grid/YearGrid.h"
#include "shell/Twips.h"
#include "sound/MMControl.h"
#include "sound/SoundPlayer.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSlider>
#include <QToolButton>

namespace tembrel {
namespace {

// Design sizes, in twips.
constexpr int FrameHeight = 480;
constexpr int FrameWidth = 3600;
constexpr int Picture2Height = 600;

} // namespace

void FrmConsultGrille::setUpControls() {
    setMinimumSize(twipsToPixels(4500, this), twipsToPixels(3000, this));

    FrameOutils = new QFrame(this);
    FrameOutils->setObjectName(QStringLiteral("FrameOutils"));
    auto *tools = new QHBoxLayout(FrameOutils);
    tools->setContentsMargins(4, 2, 4, 2);
    CmdAnneeMoins = new QPushButton(QStringLiteral("<"), FrameOutils);
    CmdAnneePlus = new QPushButton(QStringLiteral(">"), FrameOutils);
    LbAnnee = new QLabel(FrameOutils);
    LbAnnee->setAlignment(Qt::AlignCenter);
    QFont yearFont = LbAnnee->font();
    yearFont.setBold(true);
    yearFont.setPointSizeF(yearFont.pointSizeF() * 1.3);
    LbAnnee->setFont(yearFont);
    for (QPushButton *b : {CmdAnneeMoins, CmdAnneePlus}) {
        b->setFixedWidth(twipsToPixels(480, this));
        b->setAutoDefault(false);
    }
    CmdAnneeMoins->setObjectName(QStringLiteral("CmdAnneeMoins"));
    CmdAnneePlus->setObjectName(QStringLiteral("CmdAnneePlus"));
    LbAnnee->setObjectName(QStringLiteral("LbAnnee"));
    CmdAnneeMoins->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp));
    CmdAnneePlus->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown));
    tools->addWidget(CmdAnneeMoins);
    tools->addWidget(LbAnnee, 1);
    tools->addWidget(CmdAnneePlus);
    connect(CmdAnneeMoins, &QPushButton::clicked, this, &FrmConsultGrille::CmdAnneeMoins_Click);
    connect(CmdAnneePlus, &QPushButton::clicked, this, &FrmConsultGrille::CmdAnneePlus_Click);

    GridLegendes = new FlexGrid(this);
    GridLegendes->setObjectName(QStringLiteral("GridLegendes"));
    GridLegendes->setRows(GridFixedRows);
    GridLegendes->setCols(2);
    GridLegendes->setFixedRows(GridFixedRows);
    GridLegendes->setFixedCols(1);
    connect(GridLegendes, &FlexGrid::Click, this, &FrmConsultGrille::GridLegendes_Click);
    GridLegendes->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(GridLegendes, &FlexGrid::customContextMenuRequested, this,
            &FrmConsultGrille::GridLegendes_ContextMenu);

    Picture2 = new QFrame(this);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    auto *playback = new QHBoxLayout(Picture2);
    playback->setContentsMargins(4, 2, 4, 2);
    Slider1 = new QSlider(Qt::Horizontal, Picture2);
    Slider1->setObjectName(QStringLiteral("Slider1"));
    CmdStopLecture = new QPushButton(Picture2);
    CmdStopLecture->setObjectName(QStringLiteral("CmdStopLecture"));
    cmdDelWave = new QPushButton(Picture2);
    cmdDelWave->setObjectName(QStringLiteral("cmdDelWave"));
    playback->addWidget(Slider1, 1);
    playback->addWidget(CmdStopLecture);
    playback->addWidget(cmdDelWave);
    Slider1->hide();
    CmdStopLecture->hide();
    cmdDelWave->hide();
    // The slider shows the position; the device moves it, not the user.
    Slider1->setFocusPolicy(Qt::NoFocus);
    Slider1->setAttribute(Qt::WA_TransparentForMouseEvents);
    CmdStopLecture->setAutoDefault(false);
    cmdDelWave->setAutoDefault(false);
    connect(CmdStopLecture, &QPushButton::clicked, this, &FrmConsultGrille::CmdStopLecture_Click);
    connect(cmdDelWave, &QPushButton::clicked, this, &FrmConsultGrille::cmdDelWave_Click);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] {
        if (playing())
            CmdStopLecture_Click();
    });
    MMControl1 = new MMControl(this);
    player = new SoundPlayer(MMControl1, this);
    connect(player, &SoundPlayer::positionChanged, this,
            &FrmConsultGrille::MMControl1_StatusUpdate);
    // The end of the message, or an output that went away or stopped
    // answering: the window returns to idle without a message box, as on any
    // failure of a playback.
    connect(player, &SoundPlayer::finished, this, &FrmConsultGrille::endPlayback);
    connect(player, &SoundPlayer::lost, this, &FrmConsultGrille::endPlayback);

    m_model = new YearModel(this);
    connect(m_model, &YearModel::changed, this, &FrmConsultGrille::showSlot);
    // The archives reconciled after the opening brought rows or many markers.
    connect(m_model, &YearModel::reset, this, [this] {
        if (m_opening)
            return;
        layOutYear(nullptr);
        loadYear(nullptr);
    });
    connect(m_model, &YearModel::recordingChanged, this, [this](Slot slot, bool recording) {
        // While a message is recorded into the slot, the grid waits for it.
        setEnabled(!recording);
        RecordingWindowOpen = recording;
        showSlot(slot);
    });

    setUpList();
    tools->addWidget(CmdListe);
    playback->addWidget(BarreAnnuler);

    CmdValidDate = new QPushButton(this);
    CmdValidDate->setObjectName(QStringLiteral("CmdValidDate"));
    CmdValidDate->hide();

    PictBar = new QFrame(this);
    PictBar->setObjectName(QStringLiteral("PictBar"));
    PictBar->setFrameShape(QFrame::StyledPanel);
    PictBar->setAutoFillBackground(true);
    PictBar->resize(twipsToPixels(4800, this), twipsToPixels(420, this));
    ProgBar = new QProgressBar(PictBar);
    ProgBar->setObjectName(QStringLiteral("ProgBar"));
    ProgBar->setTextVisible(false);
    ProgBar->setGeometry(PictBar->rect().adjusted(8, 8, -8, -8));
    PictBar->hide();

    drawPictures();
    setUpSpeech();
}

void FrmConsultGrille::drawPictures() {
    // At least twice the pixels: sharp on high-DPI screens, and smooth when
    // the window moves to a screen of another pixel ratio.
    const qreal dpr = std::max<qreal>(2.0, devicePixelRatioF());
    ImgNoir = markerPixmap(Marker::Noir, dpr);
    ImgRouge = markerPixmap(Marker::Rouge, dpr);
    ImgBleu = markerPixmap(Marker::Bleu, dpr);
    ImgVert = markerPixmap(Marker::Vert, dpr);
    ImgJaune = markerPixmap(Marker::Jaune, dpr);
    ImgMicro = microphonePixmap(dpr);
}

QPixmap FrmConsultGrille::markerPicture(Marker marker) const {
    switch (marker) {
    case Marker::Noir:
        return ImgNoir;
    case Marker::Rouge:
        return ImgRouge;
    case Marker::Bleu:
        return ImgBleu;
    case Marker::Vert:
        return ImgVert;
    case Marker::Jaune:
        return ImgJaune;
    case Marker::None:
        break;
    }
    return {};
}

void FrmConsultGrille::Form_Resize() {
    const int w = width();
    const int h = height();
    const int frameW = twipsToPixels(FrameWidth, this);
    const int frameH = twipsToPixels(FrameHeight, this);
    FrameOutils->setGeometry(std::max(0, (w - frameW) / 2), 0, frameW, frameH);
    const int pictureH = twipsToPixels(Picture2Height, this);
    const int margin = twipsToPixels(100, this);
    const int gridH = h - twipsToPixels(600, this) - pictureH;
    const int gridW = w - twipsToPixels(200, this);
    // The list takes the right of the grid's place, at most half of it.
    const int listW =
        ListeMessages->isHidden() ? 0 : std::min(gridW / 2, twipsToPixels(5400, this));
    GridLegendes->setGeometry(margin, frameH, std::max(0, gridW - listW), std::max(0, gridH));
    ListeMessages->setGeometry(margin + gridW - listW + margin, frameH, std::max(0, listW - margin),
                               std::max(0, gridH));
    Picture2->setGeometry(margin, h - pictureH, std::max(0, gridW), pictureH);
}

} // namespace tembrel
