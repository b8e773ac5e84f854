// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/FrmReglages.h"

#include "core/Colours.h"
#include "core/Module1.h"
#include "core/ParamIni.h"
#include "core/Platform.h"
#include "core/Shared.h"
#include "core/Strings.h"
#include "core/TextRecords.h"
#include "settings/PictureBox.h"
#include "settings/SoundChoiceBox.h"
#include "shell/QtColours.h"
#include "shell/Twips.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tembrel {
namespace {

constexpr int FontPointSize = 12;

QString paramIniPath() {
    return appFile(QStringLiteral("param.ini"));
}

} // namespace

FrmReglages::FrmReglages(QWidget *parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("FrmReglages"));
    buildControls();
    Form_Load();
}

FrmReglages::~FrmReglages() = default;

void FrmReglages::buildControls() {
    auto named = [](QWidget *w, const char *name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };
    LbCouleurWE = new QLabel(this);
    Picture1 = new PictureBox(this);
    Command1 = new QPushButton(this);
    LbFond = new QLabel(this);
    Picture2 = new PictureBox(this);
    Command2 = new QPushButton(this);
    Label1 = new QLabel(this);
    Picture3 = new PictureBox(this);
    Command4 = new QPushButton(this);
    LbPoliceImprimante = new QLabel(this);
    LstFonts = new QListWidget(this);
    LbPolice = new QLabel(this);
    LbTableur = new QLabel(this);
    TextTableur = new QLineEdit(this);
    Command3 = new QPushButton(QStringLiteral("..."), this);
    CmdFocus = new QPushButton(this);
    named(LbCouleurWE, "LbCouleurWE");
    named(Picture1, "Picture1");
    named(Command1, "Command1");
    named(LbFond, "LbFond");
    named(Picture2, "Picture2");
    named(Command2, "Command2");
    named(Label1, "Label1");
    named(Picture3, "Picture3");
    named(Command4, "Command4");
    named(LbPoliceImprimante, "LbPoliceImprimante");
    named(LstFonts, "LstFonts");
    named(LbPolice, "LbPolice");
    named(LbTableur, "LbTableur");
    named(TextTableur, "TextTableur");
    named(Command3, "Command3");
    named(CmdFocus, "CmdFocus");

    // Labels name the control beside them, for screen readers and focus.
    LbCouleurWE->setBuddy(Command1);
    LbFond->setBuddy(Command2);
    Label1->setBuddy(Command4);
    LbPoliceImprimante->setBuddy(LstFonts);
    LbTableur->setBuddy(TextTableur);
    for (QLabel *l : {LbCouleurWE, LbFond, Label1, LbTableur})
        l->setWordWrap(true);

    LstFonts->setSelectionMode(QAbstractItemView::SingleSelection);
    LstFonts->setMinimumHeight(twipsToPixels(2200, this));
    LbPolice->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    LbPolice->setMinimumHeight(twipsToPixels(480, this));
    LbPolice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    TextTableur->setMinimumWidth(twipsToPixels(3600, this));
    TextTableur->installEventFilter(this);
    Command3->setToolTip(LbTableur->text());
    // Three "Palette" buttons: each is named by the colour it changes.
    for (auto [button, label] : {std::pair{Command1, LbCouleurWE}, std::pair{Command2, LbFond},
                                 std::pair{Command4, Label1}}) {
        button->setAccessibleName(label->text());
        button->setAccessibleDescription(button->text());
    }
    Command3->setAccessibleName(tr("Choose the spreadsheet program"));
    CmdFocus->setDefault(true);

    auto *grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(0, twipsToPixels(2900, this));
    grid->addWidget(LbCouleurWE, 0, 0);
    grid->addWidget(Picture1, 0, 1);
    grid->addWidget(Command1, 0, 2);
    grid->addWidget(LbFond, 1, 0);
    grid->addWidget(Picture2, 1, 1);
    grid->addWidget(Command2, 1, 2);
    grid->addWidget(Label1, 2, 0);
    grid->addWidget(Picture3, 2, 1);
    grid->addWidget(Command4, 2, 2);
    auto *rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    grid->addWidget(rule, 3, 0, 1, 3);
    grid->addWidget(LbPoliceImprimante, 4, 0, Qt::AlignTop);
    grid->addWidget(LstFonts, 4, 1, 1, 2);
    grid->addWidget(LbPolice, 5, 1, 1, 2);
    grid->addWidget(LbTableur, 6, 0);
    grid->addWidget(TextTableur, 6, 1);
    grid->addWidget(Command3, 6, 2);
    grid->setRowStretch(4, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CmdFocus);

    SoundBox = new SoundChoiceBox(this);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addWidget(SoundBox);
    layout->addLayout(buttons);

    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command4);
    setTabOrder(Command4, LstFonts);
    setTabOrder(LstFonts, TextTableur);
    setTabOrder(TextTableur, Command3);
    setTabOrder(Command3, SoundBox->CboMicrophone);
    setTabOrder(SoundBox->CboMicrophone, SoundBox->CboSpeaker);
    setTabOrder(SoundBox->CboSpeaker, CmdFocus);

    connect(Command1, &QPushButton::clicked, this, &FrmReglages::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &FrmReglages::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &FrmReglages::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &FrmReglages::Command4_Click);
    // The selection, not the current row: the list makes its first row current
    // when it gets the focus, and that is no choice of the user's.
    connect(LstFonts, &QListWidget::itemSelectionChanged, this, &FrmReglages::LstFonts_Click);
    connect(TextTableur, &QLineEdit::textChanged, this, &FrmReglages::TextTableur_Change);
    // The window has nothing to confirm: OK and Escape both close it, and
    // closing stores the settings.
    connect(CmdFocus, &QPushButton::clicked, this, &QWidget::close);
    auto *escape = new QShortcut(QKeySequence::Cancel, this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

void FrmReglages::Form_Load() {
    setWindowTitle(LoadResString(123));
    LbCouleurWE->setText(LoadResString(127));
    Command1->setText(LoadResString(125));
    LbFond->setText(LoadResString(126));
    Command2->setText(LoadResString(125));
    Label1->setText(LoadResString(129));
    Command4->setText(LoadResString(125));
    LbPoliceImprimante->setText(LoadResString(134));
    LbTableur->setText(tr("Chemin d'accès au tableur"));
    Command3->setToolTip(LbTableur->text());
    // Three "Palette" buttons: each is named by the colour it changes.
    for (auto [button, label] : {std::pair{Command1, LbCouleurWE}, std::pair{Command2, LbFond},
                                 std::pair{Command4, Label1}}) {
        button->setAccessibleName(label->text());
        button->setAccessibleDescription(button->text());
    }
    Command3->setAccessibleName(tr("Choose the spreadsheet program"));
    CmdFocus->setText(LoadResString(121));

    showFontName(LoadResString(124));
    {
        const QSignalBlocker block(LstFonts);
        LstFonts->clear();
        // param.ini is Windows-1252: a family whose name it cannot hold would
        // come back as another name.
        for (const QString &family : QFontDatabase::families())
            if (fitsCp1252(family))
                LstFonts->addItem(family);
    }

    // The previews start as the main window's defaults.
    Picture1->setBackColor(ColourLightGrey);
    Picture2->setBackColor(ColourBlue);
    Picture3->setBackColor(ColourLightGrey);

    if (const auto fields = readParamIni(paramIniPath())) {
        Settings read;
        read.fontName = LoadResString(124);
        read.weekendColour = Picture1->BackColor();
        read.mainBackColour = Picture2->BackColor();
        read.gridColour = Picture3->BackColor();
        read = applyParamIni(read, *fields);
        Picture1->setBackColor(read.weekendColour);
        showFontName(read.fontName);
        Picture2->setBackColor(read.mainBackColour);
        Picture3->setBackColor(read.gridColour);
        TextTableur->setText(read.spreadsheetPath);
    }

    // Show the stored font as the list's current entry, without picking it.
    const auto found = LstFonts->findItems(LbPolice->text(), Qt::MatchFixedString);
    if (!found.isEmpty()) {
        const QSignalBlocker block(LstFonts);
        LstFonts->setCurrentItem(found.first());
        LstFonts->scrollToItem(found.first(), QAbstractItemView::PositionAtCenter);
    }

    adjustSize();
    const QScreen *screen = parentWidget() ? parentWidget()->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect r = screen->geometry();
        move(r.x() + (r.width() - frameGeometry().width()) / 2, r.y() + twipsToPixels(100, this));
    }
}

void FrmReglages::showFontName(const QString &name) {
    LbPolice->setText(name);
    QFont font(name);
    font.setPointSize(FontPointSize);
    LbPolice->setFont(font);
}

void FrmReglages::Form_Activate() {
    CmdFocus->setFocus(Qt::ActiveWindowFocusReason);
}

void FrmReglages::changeEvent(QEvent *event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
    QWidget::changeEvent(event);
}

bool FrmReglages::pickColour(PictureBox *preview) {
    const auto chosen =
        Platform::instance().dialogs().getColour(toQColor(preview->BackColor()), this);
    if (!chosen || !chosen->isValid())
        return false;
    preview->setBackColor(fromQColor(*chosen));
    return true;
}

void FrmReglages::Command1_Click() {
    if (pickColour(Picture1))
        Q_EMIT settingsChanged(chosenSettings());
}

void FrmReglages::Command2_Click() {
    if (pickColour(Picture2))
        Q_EMIT settingsChanged(chosenSettings());
}

void FrmReglages::Command4_Click() {
    if (pickColour(Picture3))
        Q_EMIT settingsChanged(chosenSettings());
}

void FrmReglages::Command3_Click() {
    const auto file = Platform::instance().dialogs().getOpenFileName(this, LbTableur->text());
    if (file)
        TextTableur->setText(*file);
}

void FrmReglages::LstFonts_Click() {
    const QList<QListWidgetItem *> selected = LstFonts->selectedItems();
    if (!selected.isEmpty())
        showFontName(selected.first()->text());
}

bool FrmReglages::TextTableur_KeyPress(QChar key) {
    return key != QLatin1Char('"');
}

void FrmReglages::TextTableur_Change() {
    // The field holds only what its file can: no double quote, and nothing
    // Windows-1252 lacks, typed or pasted. The caret stays after the same
    // character among those that stay.
    const QString text = TextTableur->text();
    const QString kept = keepCp1252(SansGuillemets(text));
    if (kept == text)
        return;
    const int cursor = TextTableur->cursorPosition();
    const auto keptBefore = keepCp1252(SansGuillemets(text.left(cursor))).size();
    TextTableur->setText(kept);
    TextTableur->setCursorPosition(int(keptBefore));
}

bool FrmReglages::eventFilter(QObject *watched, QEvent *event) {
    if (watched == TextTableur && event->type() == QEvent::KeyPress) {
        const QString typed = static_cast<QKeyEvent *>(event)->text();
        if (typed.size() == 1 && !TextTableur_KeyPress(typed.front()))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool FrmReglages::Form_QueryUnload() {
    if (m_unloaded)
        return true;
    const Settings s = chosenSettings();
    Q_EMIT settingsChanged(s);
    // A failed write leaves the previous file whole; the colours already shown
    // stay. The window stays open so the choices are not lost at the next
    // start: closing again tries again, and from then on the user may close
    // anyway.
    if (!writeParamIni(paramIniPath(), s)) {
        if (!m_writeFailed) {
            m_writeFailed = true;
            MsgBox(LoadResString(213), vbExclamation);
            return false;
        }
        if (MsgBox(LoadResString(214), vbYesNo | vbExclamation) != vbYes)
            return false;
    }
    m_unloaded = true;
    return true;
}

Settings FrmReglages::chosenSettings() const {
    Settings s;
    s.fontName = LbPolice->text();
    s.weekendColour = Picture1->BackColor();
    s.mainBackColour = Picture2->BackColor();
    s.gridColour = Picture3->BackColor();
    // Held exactly as the file will hold it.
    s.spreadsheetPath = SansGuillemets(TextTableur->text()).trimmed();
    return s;
}

void FrmReglages::closeEvent(QCloseEvent *event) {
    if (Form_QueryUnload())
        event->accept();
    else
        event->ignore();
}

} // namespace tembrel
