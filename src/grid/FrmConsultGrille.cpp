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
#include "grid/SlotArchives.h"
#include "grid/YearGrid.h"
#include "holidays/Holidays.h"
#include "shell/MdiMain.h"
#include "shell/Twips.h"
#include "sound/MMControl.h"
#include "timerows/HoursFile.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QShortcut>
#include <QSlider>

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
constexpr int FrameHeight = 480;
constexpr int FrameWidth = 2400;
constexpr int Picture2Height = 600;
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
    FrmProgressBar::Unload();
}

FrmConsultGrille *FrmConsultGrille::instance() {
    return g_instance.data();
}

void FrmConsultGrille::setRecordingWindowFactory(RecordingWindowFactory factory) {
    recordingFactory() = std::move(factory);
}

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
    connect(MMControl1, &MMControl::StatusUpdate, this, &FrmConsultGrille::MMControl1_StatusUpdate);
    connect(MMControl1, &MMControl::DeviceLost, this, &FrmConsultGrille::MMControl1_DeviceLost);

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

int FrmConsultGrille::year() const {
    return LbAnnee->text().trimmed().toInt();
}

QString FrmConsultGrille::yearFilePath() const {
    return appFile(yearFileName(year()));
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
    scrollToThisWeek();
    GridLegendes->setFocus();
}

void FrmConsultGrille::scrollToThisWeek() {
    GridLegendes->setLeftCol(weekStartColumn(Platform::instance().clock().today()));
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
    GridLegendes->setGeometry(margin, frameH, std::max(0, gridW), std::max(0, gridH));
    Picture2->setGeometry(margin, h - pictureH, std::max(0, gridW), pictureH);
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
    // Nothing plays on after the window.
    if (playing())
        endPlayback();
    MMControl1->setCommand(QStringLiteral("Close"));
}

void FrmConsultGrille::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void FrmConsultGrille::closeEvent(QCloseEvent *event) {
    Form_QueryUnload();
    event->accept();
}

void FrmConsultGrille::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

// --- the year ------------------------------------------------------------

bool FrmConsultGrille::playing() const {
    return !Slider1->isHidden();
}

void FrmConsultGrille::changeYear(int step) {
    if (playing())
        return;
    const int y = year();
    const int next = y + step;
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

void FrmConsultGrille::Initialisation_GrilleLegendes() {
    PictBar->move((width() - PictBar->width()) / 2, (height() - PictBar->height()) / 2);
    PictBar->raise();
    PictBar->show();
    buildYear(ProgBar);
}

void FrmConsultGrille::buildYear(QProgressBar *progress) {
    const int y = year();
    CmdPaques_Click();
    const Settings settings = heldSettings();
    LbVacColor.BackColor = settings.weekendColour;
    LbPolice.Caption = settings.fontName;

    FlexGrid *g = GridLegendes;
    g->beginUpdate();
    const int cols = yearColumns(y);
    g->setCols(cols);
    // The year keeps the shape its file was saved with; a slot whose archive
    // lies below it still gets its row, so that no message is out of reach.
    int rows = gridRows(loadYearContent(yearFilePath(), y).rows, int(LstEmployes.size()));
    for (const QPoint &slot : archivedSlots(y))
        if (slot.y() < GridFixedRows + MaxTimeRows)
            rows = std::max(rows, slot.y() + 1);
    g->setRows(rows);

    g->setColWidth(0, LabelColWidth);
    g->setColAlignment(0, FlexGrid::flexAlignCenterCenter);
    for (int c = 1; c < cols; ++c) {
        g->setColAlignment(c, FlexGrid::flexAlignCenterCenter);
        g->setColWidth(c, DayColWidth);
    }
    for (int r = GridFixedRows; r < rows; ++r)
        g->setTextMatrix(r, 0, LstEmployes.value(r - GridFixedRows));
    for (int r = 0; r < rows; ++r)
        g->setRowHeight(r, r < GridFixedRows ? HeadingRowHeight : TimeRowHeight);

    startProgress(progress, 12);

    // The holiday texts are read once, not once per day.
    QSet<QDate> holidays;
    for (const QString &entry : std::as_const(ListFerie))
        if (const auto d = parseDateText(entry))
            holidays.insert(*d);
    const QLocale locale;
    const quint32 vac = LbVacColor.BackColor;
    auto colourSlots = [&](int c) {
        g->setCol(c);
        for (int r = GridFixedRows; r < rows; ++r) {
            g->setRow(r);
            g->setCellBackColor(vac);
        }
    };
    m_monthStart = 1;
    for (int m = 1; m <= 12; ++m) {
        const QString month = locale.standaloneMonthName(m, QLocale::LongFormat).toUpper();
        const int days = NbJoursMois(y, m);
        for (int d = 1; d <= days; ++d) {
            const int c = m_monthStart + d - 1;
            const QDate date(y, m, d);
            g->setTextMatrix(0, c, month);
            g->setTextMatrix(1, c, locale.standaloneDayName(date.dayOfWeek(), QLocale::LongFormat));
            // Weekends by the day of the week: the first letters of the names
            // tell nothing in languages where several days share them.
            if (date.dayOfWeek() >= Qt::Saturday)
                colourSlots(c);
            g->setTextMatrix(2, c, QString::number(d));
            if (holidays.contains(date))
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

void FrmConsultGrille::loadYear(QProgressBar *progress) {
    const int y = year();
    const QString path = yearFilePath();
    const YearContent content = loadYearContent(path, y);
    const QList<QPoint> archived = archivedSlots(y);
    if (content.state == YearContent::State::Missing && archived.isEmpty())
        return;
    FlexGrid *g = GridLegendes;
    const int cols = g->Cols();
    const int rows = g->Rows();
    startProgress(progress, cols - 1);
    g->beginUpdate();
    if (content.state != YearContent::State::Missing) {
        for (int c = 0; c < cols; ++c) {
            const bool fromFile = content.recovered.value(c);
            for (int r = 0; r < rows; ++r) {
                // The heading rows are the program's own, from the locale and
                // the year: the file holds them in Windows-1252, which has no
                // Cyrillic or Polish month names. A label that a damaged file
                // lost keeps the one hours.dat gave.
                if (fromFile && r >= GridFixedRows) {
                    const QString text = content.text(r, c);
                    if (!(c == 0 && content.isDamaged() && text.isEmpty()))
                        g->setTextMatrix(r, c, text);
                }
                g->setRow(r);
                g->setCol(c);
                g->setCellForeColor(g->CellBackColor());
                const Marker marker = markerForCode(g->TextMatrix(r, c));
                if (marker != Marker::None)
                    g->setCellPicture(markerPicture(marker));
            }
            stepProgress(progress, c);
        }
    }
    // The archives are the ground truth: a slot whose message is stored but
    // whose cell holds no marker (a crash between storing the archive and
    // rewriting the year file, a year file from an old backup) gets the black
    // marker back.
    bool marked = false;
    for (const QPoint &slot : archived) {
        if (slot.y() < GridFixedRows || slot.y() >= rows || slot.x() < 1 || slot.x() >= cols)
            continue;
        if (markerForCode(g->TextMatrix(slot.y(), slot.x())) != Marker::None)
            continue;
        g->setRow(slot.y());
        g->setCol(slot.x());
        g->setTextMatrix(slot.y(), slot.x(), codeForMarker(Marker::Noir));
        g->setCellPicture(markerPicture(Marker::Noir));
        marked = true;
    }
    g->endUpdate();
    // A damaged file is set aside before anything overwrites it; the grid
    // then holds what could be recovered, and that is written in its place.
    bool rewrite = marked;
    if (content.isDamaged()) {
        const QString aside = setDamagedFileAside(path);
        qWarning("%s is damaged (%s): set aside as %s", qUtf8Printable(path),
                 qUtf8Printable(content.damage), qUtf8Printable(aside));
        rewrite = !aside.isEmpty();
    }
    if (rewrite && !EnregistrerGrille())
        qWarning("%s could not be rewritten", qUtf8Printable(path));
}

bool FrmConsultGrille::EnregistrerGrille(QProgressBar *progress) {
    const WaitCursor wait;
    FlexGrid *g = GridLegendes;
    const int cols = g->Cols();
    const int rows = g->Rows();
    startProgress(progress, cols - 1);
    YearFileWriter writer(qint64(rows) * cols);
    for (int c = 0; c < cols; ++c) {
        for (int r = 0; r < rows; ++r)
            writer.append(g->TextMatrix(r, c));
        stepProgress(progress, c);
    }
    return writer.commit(yearFilePath());
}

// --- clicks --------------------------------------------------------------

void FrmConsultGrille::GridLegendes_Click() {
    if (playing())
        return;
    SelRow = GridLegendes->Row();
    SelCol = GridLegendes->Col();
    if (SelCol == 1)
        GridLegendes->setLeftCol(1);
    // Only a slot (a time row on a day) holds a message; an empty heading or
    // label cell is no slot.
    if (SelRow < GridFixedRows || SelCol < 1)
        return;
    const QString text = GridLegendes->TextMatrix(SelRow, SelCol);
    if (text.isEmpty())
        openRecordingWindow();
    else if (QStringLiteral("..,-:").contains(text))
        startPlayback();
}

void FrmConsultGrille::openRecordingWindow() {
    const auto &factory = recordingFactory();
    if (!factory)
        return;
    GridLegendes->setRow(SelRow);
    GridLegendes->setCol(SelCol);
    GridLegendes->setCellPicture(ImgMicro);
    setEnabled(false);
    RecordingWindowOpen = true;
    QWidget *w = factory(this);
    if (!w) {
        GridLegendes->setCellPicture(QPixmap());
        setEnabled(true);
        RecordingWindowOpen = false;
        return;
    }
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->show();
    w->raise();
    w->activateWindow();
}

// --- playback and deletion -----------------------------------------------

void FrmConsultGrille::startPlayback() {
    const int y = year();
    MMControl1->setCommand(QStringLiteral("Close"));
    QFile::remove(scratchWavePath());
    NomArchive = slotArchiveName(y, SelRow, SelCol);
    // A missing or damaged archive leaves no temp.wav: nothing is opened
    // (the device would take a missing file for a new, empty recording, whose
    // first report would end the state at once), nothing plays, no message;
    // the user ends the state with Stop, or deletes the slot.
    const SlotResult unpacked = extractSlotArchive(y, SelRow, SelCol);
    if (unpacked.ok) {
        MMControl1->setNotify(false);
        MMControl1->setWait(true);
        MMControl1->setShareable(false);
        MMControl1->setDeviceType(QStringLiteral("WaveAudio"));
        MMControl1->setFileName(scratchWavePath());
        MMControl1->setCommand(QStringLiteral("Open"));
    } else {
        qWarning("Nothing to play in %s: %s", qUtf8Printable(NomArchive),
                 qUtf8Printable(unpacked.error));
    }
    Slider1->show();
    CmdStopLecture->show();
    cmdDelWave->show();
    Slider1->setValue(1);
    Slider1->setMaximum(MMControl1->Length());
    if (unpacked.ok)
        MMControl1->setCommand(QStringLiteral("Play"));
}

void FrmConsultGrille::MMControl1_StatusUpdate() {
    if (!playing())
        return;
    Slider1->setValue(MMControl1->Position());
    const FlexGrid *g = GridLegendes;
    setWindowTitle(g->TextMatrix(1, SelCol) + QStringLiteral(", ") + g->TextMatrix(0, SelCol) +
                   QLatin1Char(' ') + g->TextMatrix(2, SelCol).toLower() + QStringLiteral(", ") +
                   LbAnnee->text() + QStringLiteral(" - ") + g->TextMatrix(SelRow, 0) +
                   QStringLiteral(" - ") + QString::number(Slider1->value() / 1000) +
                   QLatin1Char('/') + QString::number(Slider1->maximum() / 1000) + tr(" seconds"));
    if (Slider1->value() == Slider1->maximum())
        endPlayback();
}

void FrmConsultGrille::MMControl1_DeviceLost() {
    // The output went away or stopped answering: the window returns to idle
    // as at the end of the message, without a message box, as on any failure
    // of a playback.
    if (playing())
        endPlayback();
}

void FrmConsultGrille::endPlayback() {
    MMControl1->setCommand(QStringLiteral("Close"));
    Slider1->hide();
    CmdStopLecture->hide();
    cmdDelWave->hide();
    setWindowTitle(QString());
}

void FrmConsultGrille::CmdStopLecture_Click() {
    endPlayback();
}

void FrmConsultGrille::cmdDelWave_Click() {
    if (MsgBox(LoadResString(153), vbYesNoCancel | vbQuestion) != vbYes)
        return;
    MMControl1->setCommand(QStringLiteral("Close"));
    QFile::remove(scratchWavePath());
    // Into the desktop's trash where there is one, so a slip can be undone.
    const SlotResult removed = removeSlotArchive(year(), SelRow, SelCol);
    if (!removed.ok)
        qWarning("%s", qUtf8Printable(removed.error));
    endPlayback();
    GridLegendes->setRow(SelRow);
    GridLegendes->setCol(SelCol);
    GridLegendes->setCellPicture(QPixmap());
    GridLegendes->setTextMatrix(SelRow, SelCol, QString());
    PictBar->move((width() - PictBar->width()) / 2, (height() - PictBar->height()) / 2);
    PictBar->raise();
    PictBar->show();
    EnregistrerGrille(ProgBar);
    PictBar->hide();
}

} // namespace tembrel
