// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/FrmEntry.h"

#include "core/Strings.h"
#include "shell/Backdrop.h"
#include "shell/MdiMain.h"
#include "shell/Twips.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <limits>

namespace tembrel {
namespace {
QPointer<FrmEntry> g_splash;

// The paper-coloured face, with the main window's picture showing faintly
// behind the texts.
class Face final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        paintBackdrop(painter, rect(), palette().color(QPalette::Window), 0.9, 0.4);
    }
};
} // namespace

FrmEntry::FrmEntry(MdiMain *main)
    : QWidget(main, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_main(main) {
    setObjectName(QStringLiteral("FrmEntry"));
    // Never shown on the frameless splash; names the window for the desktop.
    setWindowTitle(LoadResString(122));
    setAttribute(Qt::WA_DeleteOnClose);
    // The keyboard stays with the main window, before and after the splash.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(twipsToPixels(4830, this), twipsToPixels(2820, this));
    // A thin dark frame around a paper-coloured face: the splash has no
    // window frame of its own.
    setAutoFillBackground(true);
    QPalette frame = palette();
    frame.setColor(QPalette::Window, QColor(0x3B, 0x44, 0x52));
    setPalette(frame);
    auto *face = new Face(this);
    QPalette pal = face->palette();
    pal.setColor(QPalette::Window, QColor(0xF4, 0xF1, 0xEA));
    pal.setColor(QPalette::WindowText, QColor(0x1D, 0x22, 0x2B));
    face->setPalette(pal);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(1, 1, 1, 1);
    outer->addWidget(face);

    Label3 = new QLabel(QStringLiteral("Tembrel"), face);
    QFont big(QStringLiteral("Arial Black"));
    big.setPointSize(30);
    big.setWeight(QFont::Black);
    Label3->setFont(big);
    Label3->setAlignment(Qt::AlignCenter);
    Label2 = new QLabel(LoadResString(122), face);
    Label2->setAlignment(Qt::AlignCenter);
    Label1 = new QLabel(QStringLiteral("  Ostrand"), face);
    Label1->setAutoFillBackground(true);
    QPalette inv = Label1->palette();
    inv.setColor(QPalette::Window, Qt::black);
    inv.setColor(QPalette::WindowText, Qt::white);
    Label1->setPalette(inv);
    ProgBar = new QProgressBar(face);
    ProgBar->setTextVisible(false);
    ProgBar->setFixedHeight(std::max(3, twipsToPixels(75, this)));
    LbCompte = new QLabel(QStringLiteral("0"), face);
    LbCompte->setVisible(false);

    auto *layout = new QVBoxLayout(face);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch(2);
    layout->addWidget(Label3);
    layout->addWidget(Label2);
    layout->addStretch(1);
    layout->addWidget(Label1);
    layout->addWidget(ProgBar);

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &FrmEntry::Timer1_Timer);
    Timer2 = new QTimer(this);
    Timer2->setInterval(18);
    connect(Timer2, &QTimer::timeout, this, &FrmEntry::Timer2_Timer);
    Timer1->start();
}

FrmEntry::~FrmEntry() = default;

FrmEntry *FrmEntry::showSplash(MdiMain *main) {
    if (!g_splash) {
        g_splash = new FrmEntry(main);
        g_splash->Form_Load();
        g_splash->show();
    }
    return g_splash;
}

FrmEntry *FrmEntry::instance() {
    return g_splash;
}

void FrmEntry::Form_Load() {
    if (const QScreen *s = QGuiApplication::primaryScreen()) {
        const QRect r = s->geometry();
        move(r.x() + (r.width() - width()) / 2, r.y() + r.height() / 4);
    }
    if (m_main) {
        m_main->mnuconfiguration->menuAction()->setEnabled(false);
        m_main->mnuaide->menuAction()->setEnabled(false);
        m_main->Toolbar1->setEnabled(false);
    }
    ProgBar->setValue(0);
    ProgBar->setMaximum(10000);
    Timer2->start();
    m_position = 0;
}

void FrmEntry::Timer1_Timer() {
    const int count = LbCompte->text().toInt() + 1;
    LbCompte->setText(QString::number(count));
    if (count >= 3)
        close();
}

void FrmEntry::Timer2_Timer() {
    // A value past the maximum is refused by the bar; the 16-bit position
    // stops growing rather than overflow.
    if (m_position <= ProgBar->maximum())
        ProgBar->setValue(m_position);
    if (m_position <= std::numeric_limits<qint16>::max() - 100)
        m_position = qint16(m_position + 100);
}

void FrmEntry::closeEvent(QCloseEvent *event) {
    Timer1->stop();
    Timer2->stop();
    if (m_main) {
        m_main->mnuconfiguration->menuAction()->setEnabled(true);
        m_main->mnuaide->menuAction()->setEnabled(true);
        m_main->Toolbar1->setEnabled(true);
    }
    event->accept();
}

} // namespace tembrel
