// SPDX-License-Identifier: GPL-3.0-or-later
#include "timerows/FrmEmp.h"

#include "core/Module1.h"
#include "core/Platform.h"
#include "core/Strings.h"
#include "core/TextRecords.h"
#include "shell/Twips.h"
#include "timerows/Generators.h"
#include "timerows/HoursFile.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabBar>
#include <QVBoxLayout>

#include <tuple>

namespace tembrel {
namespace {

QComboBox *dropDownList(QWidget *parent) {
    auto *combo = new QComboBox(parent);
    combo->setEditable(false); // only listed items can be chosen
    combo->setMinimumContentsLength(3);
    return combo;
}

QLabel *fixedLabel(const QString &text, QWidget *parent) {
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    return label;
}

// "Beginning" / "End" with the "H" and "M" headings above an hour and a minute list.
void addTimeRow(QGridLayout *grid, int column, QLabel *heading, QLabel *h, QLabel *m,
                QComboBox *hour, QComboBox *minute) {
    grid->addWidget(heading, 0, column, 1, 2, Qt::AlignHCenter);
    grid->addWidget(h, 1, column);
    grid->addWidget(m, 1, column + 1);
    grid->addWidget(hour, 2, column);
    grid->addWidget(minute, 2, column + 1);
}

} // namespace

FrmEmp::FrmEmp(QWidget *parent)
    : QWidget(parent, Qt::Window) {
    buildControls();
    Form_Load();
}

FrmEmp::~FrmEmp() = default;

QWidget *FrmEmp::buildTimeStepsPanel() {
    auto *panel = new QWidget(this);
    auto *steps = new QVBoxLayout;
    for (int i = 0; i < 3; ++i) {
        Option1[i] = new QRadioButton(panel);
        steps->addWidget(Option1[i]);
    }
    Option1[0]->setChecked(true);

    Label5 = new QLabel(panel);
    Label6 = new QLabel(panel);
    Label1 = fixedLabel(FrmEmp::tr("H"), panel);
    Label2 = fixedLabel(FrmEmp::tr("M"), panel);
    Label3 = fixedLabel(FrmEmp::tr("H"), panel);
    Label4 = fixedLabel(FrmEmp::tr("M"), panel);
    ComboHeureDebut = dropDownList(panel);
    ComboMinuteDebut = dropDownList(panel);
    ComboHeureFin = dropDownList(panel);
    ComboMinuteFin = dropDownList(panel);
    auto *times = new QGridLayout;
    addTimeRow(times, 0, Label5, Label1, Label2, ComboHeureDebut, ComboMinuteDebut);
    times->setColumnMinimumWidth(2, twipsToPixels(240, this));
    addTimeRow(times, 3, Label6, Label3, Label4, ComboHeureFin, ComboMinuteFin);

    CheckAM2 = new QCheckBox(tr("AM"), panel);
    CheckPM2 = new QCheckBox(tr("PM"), panel);
    CmdAddHours = new QPushButton(panel);
    auto *suffix = new QHBoxLayout;
    suffix->addWidget(CheckAM2);
    suffix->addWidget(CheckPM2);
    suffix->addStretch();
    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(CmdAddHours);

    auto *layout = new QVBoxLayout(panel);
    layout->addLayout(steps);
    layout->addLayout(times);
    layout->addLayout(suffix);
    layout->addStretch();
    layout->addLayout(bottom);

    connect(CheckAM2, &QCheckBox::clicked, this, &FrmEmp::CheckAM2_Click);
    connect(CheckPM2, &QCheckBox::clicked, this, &FrmEmp::CheckPM2_Click);
    connect(CmdAddHours, &QPushButton::clicked, this, &FrmEmp::CmdAddHours_Click);
    return panel;
}

QWidget *FrmEmp::buildFreeTextPanel() {
    auto *panel = new QWidget(this);
    TxtEmp = new QLineEdit(panel);
    TxtEmp->setMaxLength(15);
    Label7 = new QLabel(panel);
    CmdAddTexte = new QPushButton(panel);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(CmdAddTexte);

    auto *layout = new QVBoxLayout(panel);
    layout->addWidget(TxtEmp);
    layout->addWidget(Label7);
    layout->addStretch();
    layout->addLayout(bottom);

    TxtEmp->installEventFilter(this);
    connect(TxtEmp, &QLineEdit::textChanged, this, &FrmEmp::TxtEmp_Change);
    connect(CmdAddTexte, &QPushButton::clicked, this, &FrmEmp::CmdAddTexte_Click);
    return panel;
}

QWidget *FrmEmp::buildTimeSectionsPanel() {
    auto *panel = new QWidget(this);
    Label12 = new QLabel(panel);
    Label13 = new QLabel(panel);
    Label8 = fixedLabel(FrmEmp::tr("H"), panel);
    Label9 = fixedLabel(FrmEmp::tr("M"), panel);
    Label10 = fixedLabel(FrmEmp::tr("H"), panel);
    Label11 = fixedLabel(FrmEmp::tr("M"), panel);
    Combo2HeureDebut = dropDownList(panel);
    Combo2MinuteDebut = dropDownList(panel);
    Combo2HeureFin = dropDownList(panel);
    Combo2MinuteFin = dropDownList(panel);
    auto *times = new QGridLayout;
    addTimeRow(times, 0, Label12, Label8, Label9, Combo2HeureDebut, Combo2MinuteDebut);
    times->setColumnMinimumWidth(2, twipsToPixels(240, this));
    addTimeRow(times, 3, Label13, Label10, Label11, Combo2HeureFin, Combo2MinuteFin);
    // The end minute always follows the start minute, so neither it nor its
    // heading is shown.
    Combo2MinuteFin->hide();
    Label11->hide();
    times->removeWidget(Label13);
    times->addWidget(Label13, 0, 3, Qt::AlignHCenter);

    CheckAM = new QCheckBox(tr("AM"), panel);
    CheckPM = new QCheckBox(tr("PM"), panel);
    CmdApplicTranches = new QPushButton(panel);
    auto *suffix = new QHBoxLayout;
    suffix->addWidget(CheckAM);
    suffix->addWidget(CheckPM);
    suffix->addStretch();
    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(CmdApplicTranches);

    auto *layout = new QVBoxLayout(panel);
    layout->addLayout(times);
    layout->addLayout(suffix);
    layout->addStretch();
    layout->addLayout(bottom);

    connect(CheckAM, &QCheckBox::clicked, this, &FrmEmp::CheckAM_Click);
    connect(CheckPM, &QCheckBox::clicked, this, &FrmEmp::CheckPM_Click);
    connect(Combo2MinuteDebut, &QComboBox::currentIndexChanged, this,
            &FrmEmp::Combo2MinuteDebut_Click);
    connect(CmdApplicTranches, &QPushButton::clicked, this, &FrmEmp::CmdApplicTranches_Click);
    return panel;
}

void FrmEmp::buildControls() {
    SSTab1 = new QTabBar(this);
    SSTab1->setExpanding(false);
    SSTab1->setUsesScrollButtons(false); // the three captions are always shown whole
    SSTab1->setElideMode(Qt::ElideNone);
    SSTab1->setDrawBase(false);
    for (int i = 0; i < 3; ++i)
        SSTab1->addTab(QString());

    Frame1[0] = buildTimeStepsPanel();
    Frame1[1] = buildFreeTextPanel();
    Frame1[2] = buildTimeSectionsPanel();
    // The panels share one place under the tabs; the window keeps the size of
    // the largest.
    auto *pane = new QFrame(this);
    pane->setFrameShape(QFrame::StyledPanel);
    auto *panels = new QGridLayout(pane);
    panels->setContentsMargins(0, 0, 0, 0);
    for (QWidget *panel : Frame1) {
        QSizePolicy policy = panel->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        panel->setSizePolicy(policy);
        panels->addWidget(panel, 0, 0);
    }

    LstTranches = new QListWidget(this);
    LstTranches->hide();
    LstTranchesHoraires = new QListWidget(this);
    LstTranchesHoraires->hide();

    List1 = new QListWidget(this);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setMinimumSize(twipsToPixels(2400, this), twipsToPixels(3600, this));
    CmdClear = new QPushButton(this);

    auto *left = new QVBoxLayout;
    left->setSpacing(0);
    left->addWidget(SSTab1);
    left->addWidget(pane, 1);
    auto *right = new QVBoxLayout;
    right->addWidget(List1, 1);
    right->addWidget(CmdClear, 0, Qt::AlignRight);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right);

    connect(SSTab1, &QTabBar::currentChanged, this, &FrmEmp::SSTab1_Click);
    connect(List1, &QListWidget::itemDoubleClicked, this, &FrmEmp::List1_DblClick);
    connect(CmdClear, &QPushButton::clicked, this, &FrmEmp::CmdClear_Click);
    List1->installEventFilter(this);
    // Enter in a panel stands for its Add button.
    for (QWidget *panel : Frame1)
        for (QWidget *child : panel->findChildren<QWidget *>())
            if (child->focusPolicy() != Qt::NoFocus)
                child->installEventFilter(this);

    const QList<QWidget *> order{
        SSTab1,           Option1[0],    Option1[1],     Option1[2],        ComboHeureDebut,
        ComboMinuteDebut, ComboHeureFin, ComboMinuteFin, CheckAM2,          CheckPM2,
        CmdAddHours,      TxtEmp,        CmdAddTexte,    Combo2HeureDebut,  Combo2MinuteDebut,
        Combo2HeureFin,   CheckAM,       CheckPM,        CmdApplicTranches, List1,
        CmdClear};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void FrmEmp::setCaptions() {
    setWindowTitle(LoadResString(117));
    SSTab1->setTabText(0, LoadResString(156));
    SSTab1->setTabText(1, LoadResString(157));
    SSTab1->setTabText(2, LoadResString(158));
    CmdAddHours->setText(LoadResString(116));
    CmdAddTexte->setText(LoadResString(116));
    CmdApplicTranches->setText(LoadResString(116));
    CmdClear->setText(LoadResString(161));
    Label5->setText(LoadResString(162));
    Label6->setText(LoadResString(163));
    Label12->setText(LoadResString(162));
    Label13->setText(LoadResString(163));
    Label7->setText(LoadResString(164));
    Option1[0]->setText(LoadResString(165));
    Option1[1]->setText(LoadResString(166));
    Option1[2]->setText(LoadResString(167));
    // Names for the screen readers of the controls that have no caption.
    const QString hour = tr("%1, hour"), minutes = tr("%1, minutes");
    for (auto [h, m, id] : {std::tuple{ComboHeureDebut, ComboMinuteDebut, 162},
                            std::tuple{ComboHeureFin, ComboMinuteFin, 163},
                            std::tuple{Combo2HeureDebut, Combo2MinuteDebut, 162},
                            std::tuple{Combo2HeureFin, Combo2MinuteFin, 163}}) {
        h->setAccessibleName(hour.arg(LoadResString(id)));
        m->setAccessibleName(minutes.arg(LoadResString(id)));
    }
    TxtEmp->setAccessibleName(tr("Text of the new time row"));
    LstTranchesHoraires->setAccessibleName(LoadResString(158));
    List1->setAccessibleName(tr("Time rows"));
}

void FrmEmp::Form_Load() {
    setCaptions();

    LstTranches->clear();
    LstTranchesHoraires->clear();
    LstTranches->addItems(quarterHourTimes());
    LstTranchesHoraires->addItems(dayHours());

    const QStringList minutes{QStringLiteral("00"), QStringLiteral("15"), QStringLiteral("30"),
                              QStringLiteral("45")};
    const QStringList hours = dayHours();
    const QList<QPair<QComboBox *, QStringList>> fills{
        {ComboMinuteDebut, minutes}, {ComboMinuteFin, minutes}, {Combo2MinuteDebut, minutes},
        {Combo2MinuteFin, minutes},  {ComboHeureDebut, hours},  {ComboHeureFin, hours},
        {Combo2HeureDebut, hours},   {Combo2HeureFin, hours}};
    for (const auto &[combo, values] : fills) {
        const QSignalBlocker block(combo);
        combo->clear();
        combo->addItems(values);
        combo->setCurrentIndex(-1); // nothing chosen until the user picks
    }

    List1->clear();
    m_loadedLabels = readHours(hoursFilePath());
    List1->addItems(m_loadedLabels);

    SSTab1->blockSignals(true);
    SSTab1->setCurrentIndex(0);
    SSTab1->blockSignals(false);
    for (int i = 0; i < 3; ++i)
        Frame1[i]->setVisible(i == 0);
    m_shownPanel = 0;

    adjustSize();
    const QScreen *s = screen();
    if (!s)
        return;
    const QRect area = s->geometry();
    move(area.x() + (area.width() - frameGeometry().width()) / 2, area.y() + area.height() / 5);
}

QStringList FrmEmp::items(const QListWidget *list) {
    QStringList out;
    out.reserve(list->count());
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->text());
    return out;
}

QStringList FrmEmp::labels() const {
    return items(List1);
}

int FrmEmp::ListIndex() const {
    const int row = List1->currentRow();
    if (row < 0 || !List1->item(row)->isSelected())
        return -1;
    return row;
}

void FrmEmp::setListIndex(int index) {
    if (index < 0 || index >= List1->count()) {
        List1->clearSelection();
        return;
    }
    List1->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
}

bool FrmEmp::Form_QueryUnload() {
    if (m_unloaded)
        return true;
    // An empty list is never written: after Clear the file is already gone,
    // otherwise it keeps what it held. The rewrite replaces the file only once
    // the new one is complete; when it fails, the file keeps its previous rows
    // and closing would lose the ones shown. Rows the user left as they were
    // are not written: opening and closing the window leaves the file as it
    // is, byte for byte.
    if (List1->count() > 0 && labels() != m_loadedLabels &&
        !writeHours(hoursFilePath(), labels())) {
        MsgBox(LoadResString(190), vbExclamation);
        return false;
    }
    m_unloaded = true;
    return true;
}

void FrmEmp::closeEvent(QCloseEvent *event) {
    if (Form_QueryUnload())
        event->accept();
    else
        event->ignore();
}

void FrmEmp::CmdClear_Click() {
    if (MsgBox(LoadResString(168), vbYesNo) != vbYes)
        return;
    List1->clear();
    QFile::remove(hoursFilePath());
    m_loadedLabels.clear();
}

void FrmEmp::List1_DblClick() {
    const int i = ListIndex();
    if (i < 0)
        return;
    const QString t = List1->item(i)->text();
    if (MsgBox(LoadResString(160) + QLatin1Char(' ') + t + QStringLiteral(" ?"), vbYesNo) != vbYes)
        return;
    delete List1->takeItem(i);
    List1->clearSelection();
}

void FrmEmp::SSTab1_Click() {
    const int tab = SSTab1->currentIndex();
    if (tab == m_shownPanel || tab < 0 || tab >= int(Frame1.size()))
        return;
    Frame1[tab]->show();
    Frame1[m_shownPanel]->hide();
    m_shownPanel = tab;
}

void FrmEmp::appendLabels(const QStringList &labels) {
    List1->addItems(labels);
    List1->scrollToBottom();
}

void FrmEmp::CmdAddHours_Click() {
    int q = 0;
    if (Option1[0]->isChecked())
        q = 1;
    else if (Option1[1]->isChecked())
        q = 2;
    else if (Option1[2]->isChecked())
        q = 4;
    const auto labels = timeSteps(items(LstTranches), ComboHeureDebut->currentText(),
                                  ComboMinuteDebut->currentText(), ComboHeureFin->currentText(),
                                  ComboMinuteFin->currentText(), q,
                                  amPmSuffix(CheckAM2->isChecked(), CheckPM2->isChecked()));
    if (!labels) {
        MsgBox(LoadResString(159), vbOKOnly);
        return;
    }
    appendLabels(*labels);
}

void FrmEmp::CmdAddTexte_Click() {
    const FreeText result = freeText(TxtEmp->text(), labels());
    switch (result.outcome) {
    case FreeText::Outcome::Nothing:
        return;
    case FreeText::Outcome::AlreadyInList:
        MsgBox(LoadResString(118), vbOKOnly);
        return;
    case FreeText::Outcome::Add:
        appendLabels({result.label});
        TxtEmp->clear();
        return;
    }
}

void FrmEmp::CmdApplicTranches_Click() {
    const auto labels = timeSections(items(LstTranchesHoraires), Combo2HeureDebut->currentText(),
                                     Combo2MinuteDebut->currentText(),
                                     Combo2HeureFin->currentText(), Combo2MinuteFin->currentText(),
                                     amPmSuffix(CheckAM->isChecked(), CheckPM->isChecked()));
    if (!labels) {
        MsgBox(LoadResString(159), vbOKOnly);
        return;
    }
    appendLabels(*labels);
}

void FrmEmp::CheckAM_Click() {
    CheckPM->setChecked(false);
}

void FrmEmp::CheckPM_Click() {
    CheckAM->setChecked(false);
}

void FrmEmp::CheckAM2_Click() {
    CheckPM2->setChecked(false);
}

void FrmEmp::CheckPM2_Click() {
    CheckAM2->setChecked(false);
}

void FrmEmp::Combo2MinuteDebut_Click() {
    Combo2MinuteFin->setCurrentIndex(Combo2MinuteFin->findText(Combo2MinuteDebut->currentText()));
}

void FrmEmp::TxtEmp_Change() {
    // The field holds only what its file can: no double quote, and nothing
    // Windows-1252 lacks, typed or pasted. The caret stays after the same
    // character among those that stay.
    const QString text = TxtEmp->text();
    const QString kept = keepCp1252(SansGuillemets(text));
    if (kept == text)
        return;
    const int cursor = TxtEmp->cursorPosition();
    const auto keptBefore = keepCp1252(SansGuillemets(text.left(cursor))).size();
    TxtEmp->setText(kept);
    TxtEmp->setCursorPosition(int(keptBefore));
}

void FrmEmp::TxtEmp_GotFocus() {
    if (!TxtEmp->text().isEmpty())
        TxtEmp->selectAll();
}

void FrmEmp::TxtEmp_KeyPress(int &KeyAscii) {
    if (KeyAscii == '"' || KeyAscii == '!')
        KeyAscii = 0;
}

bool FrmEmp::eventFilter(QObject *watched, QEvent *event) {
    if (watched == TxtEmp && event->type() == QEvent::FocusIn) {
        TxtEmp_GotFocus();
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);

    if (watched == List1) {
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
            List1_DblClick();
            return true;
        }
        return false;
    }
    if (watched == TxtEmp && key->text().size() == 1) {
        int KeyAscii = key->text().at(0).unicode();
        TxtEmp_KeyPress(KeyAscii);
        if (KeyAscii == 0)
            return true;
    }
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        for (int i = 0; i < int(Frame1.size()); ++i) {
            if (Frame1[i]->isAncestorOf(qobject_cast<QWidget *>(watched))) {
                QPushButton *add = i == 0 ? CmdAddHours : i == 1 ? CmdAddTexte : CmdApplicTranches;
                add->click();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tembrel
