// SPDX-License-Identifier: GPL-3.0-or-later
#include "holidays/FrmJoursFeries.h"

#include "core/Module1.h"
#include "core/Platform.h"
#include "core/Shared.h"
#include "core/Strings.h"
#include "core/TextRecords.h"
#include "holidays/PickedDays.h"
#include "shell/Twips.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace tembrel {
namespace {

// Window widths in twips: the standard holidays alone, or with the days list.
constexpr int NarrowTwips = 4935;
constexpr int WideTwips = 6825;

QString jfValidPath() {
    return appFile(QStringLiteral("JFValid.ini"));
}

} // namespace

FrmJoursFeries::FrmJoursFeries(QWidget *parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("FrmJoursFeries"));
    buildControls();
    Form_Load();
}

FrmJoursFeries::~FrmJoursFeries() = default;

void FrmJoursFeries::buildControls() {
    m_standardPart = new QWidget(this);
    auto *box = new QGroupBox(m_standardPart);
    auto *boxes = new QGridLayout(box);
    struct Standard {
        QCheckBox **member;
        const char *name;
        const char *caption;
    };
    const Standard standard[StandardHolidayCount] = {
        {&ChkJourdelan, "ChkJourdelan", "Jour de l'An"},
        {&ChkVendredisaint, "ChkVendredisaint", "Vendredi Saint"},
        {&ChkLundidepaques, "ChkLundidepaques", "Lundi de Pâques"},
        {&ChkPremiermai, "ChkPremiermai", "1er mai"},
        {&ChkHuitmai, "ChkHuitmai", "8 mai"},
        {&ChkAscension, "ChkAscension", "Ascension"},
        {&ChkLundidepentecote, "ChkLundidepentecote", "Lundi de Pentecôte"},
        {&ChkQuatorzejuillet, "ChkQuatorzejuillet", "14 juillet"},
        {&ChkQuinzeaout, "ChkQuinzeaout", "15 août"},
        {&ChkPremiernovembre, "ChkPremiernovembre", "1er novembre"},
        {&ChkOnzenovembre, "ChkOnzenovembre", "11 novembre"},
        {&ChkNoel, "ChkNoel", "Noël"},
        {&ChkSaintetienne, "ChkSaintetienne", "Saint-Etienne"},
    };
    constexpr int perColumn = 7;
    for (int n = 0; n < StandardHolidayCount; ++n) {
        auto *check = new QCheckBox(QString::fromUtf8(standard[n].caption), box);
        check->setObjectName(QString::fromLatin1(standard[n].name));
        *standard[n].member = check;
        m_standard[n] = check;
        boxes->addWidget(check, n % perColumn, n / perColumn);
        connect(check, &QCheckBox::toggled, this, &FrmJoursFeries::ChkStandard_Click);
    }
    CheckAutres = new QCheckBox(tr("Autres"), m_standardPart);
    CheckAutres->setObjectName(QStringLiteral("CheckAutres"));
    // Never shown and does nothing; kept under its name only.
    CmdBidon = new QPushButton(m_standardPart);
    CmdBidon->setObjectName(QStringLiteral("CmdBidon"));
    CmdBidon->setVisible(false);
    auto *left = new QVBoxLayout(m_standardPart);
    left->addWidget(box);
    left->addStretch(1);
    left->addWidget(CheckAutres);

    m_daysPart = new QWidget(this);
    TxtAnnee = new QLineEdit(m_daysPart);
    TxtAnnee->setObjectName(QStringLiteral("TxtAnnee"));
    TxtAnnee->setMaxLength(4);
    TxtAnnee->setAlignment(Qt::AlignCenter);
    // Only digits reach the year, typed or pasted; Backspace and the editing
    // keys work as usual.
    TxtAnnee->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,4}")), TxtAnnee));
    List1 = new QListWidget(m_daysPart);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setSelectionMode(QAbstractItemView::MultiSelection);
    List1->setUniformItemSizes(true);
    List1->setMinimumHeight(twipsToPixels(3000, this));
    CmdEnreg = new QPushButton(m_daysPart);
    CmdEnreg->setObjectName(QStringLiteral("CmdEnreg"));
    CmdEnreg->setEnabled(false);
    auto *right = new QVBoxLayout(m_daysPart);
    right->setContentsMargins(0, left->contentsMargins().top(), left->contentsMargins().right(),
                              left->contentsMargins().bottom());
    right->addWidget(TxtAnnee);
    right->addWidget(List1, 1);
    right->addWidget(CmdEnreg);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_standardPart);
    layout->addWidget(m_daysPart);

    setTabOrder(ChkSaintetienne, CheckAutres);
    setTabOrder(CheckAutres, TxtAnnee);
    setTabOrder(TxtAnnee, List1);
    setTabOrder(List1, CmdEnreg);

    connect(TxtAnnee, &QLineEdit::textChanged, this, &FrmJoursFeries::TxtAnnee_Change);
    connect(List1, &QListWidget::itemSelectionChanged, this, &FrmJoursFeries::List1_Click);
    connect(CheckAutres, &QCheckBox::toggled, this, &FrmJoursFeries::CheckAutres_Click);
    connect(CmdEnreg, &QPushButton::clicked, this, &FrmJoursFeries::CmdEnreg_Click);
    auto *escape = new QShortcut(QKeySequence::Cancel, this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

void FrmJoursFeries::Form_Load() {
    setWindowTitle(LoadResString(104));
    CmdEnreg->setText(LoadResString(128));
    loadStandardChoice();

    TxtAnnee->setText(QString::number(Platform::instance().clock().today().year()));
    const QString typed = TxtAnnee->text().trimmed();
    if (typed.size() < 4)
        TxtAnnee->setText(QStringLiteral("20") + typed.right(2));
    if (classifyYearText(TxtAnnee->text()) != YearText::InRange) {
        TxtAnnee->clear();
        List1->clear();
    }

    CheckAutres_Click();
    adjustSize();
    const QScreen *screen = parentWidget() ? parentWidget()->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect r = screen->availableGeometry();
        move(r.x() + (r.width() - frameGeometry().width()) / 2,
             r.y() + std::max(0, (r.height() - frameGeometry().height()) / 2));
    }
}

void FrmJoursFeries::loadStandardChoice() {
    // Without JFValid.ini no standard holiday counts, so none is ticked.
    const StandardChoice choice = readJFValid(jfValidPath()).value_or(StandardChoice{});
    for (int n = 0; n < StandardHolidayCount; ++n) {
        const QSignalBlocker block(m_standard[n]);
        m_standard[n]->setChecked(choice[n]);
    }
}

void FrmJoursFeries::ChkStandard_Click() {
    StandardChoice choice{};
    for (int n = 0; n < StandardHolidayCount; ++n)
        choice[n] = m_standard[n]->isChecked();
    if (writeJFValid(jfValidPath(), choice))
        return;
    // The file keeps its previous choice and the grid follows the file, so
    // the boxes go back to what it holds.
    loadStandardChoice();
    MsgBox(LoadResString(191), vbExclamation);
}

void FrmJoursFeries::TxtAnnee_Change() {
    {
        const QSignalBlocker block(List1);
        List1->clear();
    }
    m_savedRows.clear();
    m_fileDamaged = false;
    const QString text = TxtAnnee->text();
    switch (classifyYearText(text)) {
    case YearText::TooLow:
        MsgBox(LoadResString(149), vbOKOnly);
        break;
    case YearText::TooHigh:
        MsgBox(LoadResString(150), vbOKOnly);
        break;
    case YearText::InRange: {
        const int year = text.trimmed().toInt();
        const auto picked = readPickedDays(appFile(pickedHolidaysFileName(year)), year);
        const QList<ListedDay> days = listedDays(year, picked ? picked->days : PickedDays{});
        m_fileDamaged = picked && picked->reading == PicksReading::Damaged;
        bool anyPicked = false;
        {
            const QSignalBlocker block(List1);
            for (const ListedDay &day : days) {
                auto *item = new QListWidgetItem(dateText(day.date), List1);
                if (day.picked) {
                    item->setSelected(true);
                    anyPicked = true;
                }
            }
        }
        List1->scrollToTop();
        m_savedRows = pickedRows();
        if (!picked)
            CmdEnreg->setEnabled(false);
        // A day picked in the file counts as a pick, as a click would.
        if (anyPicked)
            List1_Click();
        break;
    }
    case YearText::Incomplete:
        break;
    }
    // With no year listed there is nothing to save.
    if (List1->count() == 0)
        CmdEnreg->setEnabled(false);
}

void FrmJoursFeries::List1_Click() {
    CmdEnreg->setEnabled(true);
}

void FrmJoursFeries::CheckAutres_Click() {
    const bool wide = CheckAutres->isChecked();
    m_daysPart->setVisible(wide);
    // A larger font than the twips were drawn for widens the window rather
    // than cut the check boxes off.
    const int narrow =
        std::max(twipsToPixels(NarrowTwips, this), m_standardPart->minimumSizeHint().width());
    m_standardPart->setFixedWidth(narrow);
    const int full =
        std::max(twipsToPixels(WideTwips, this), narrow + m_daysPart->minimumSizeHint().width());
    setFixedWidth(wide ? full : narrow);
}

void FrmJoursFeries::CmdEnreg_Click() {
    const QString text = TxtAnnee->text().trimmed();
    if (text.size() < 4 || classifyYearText(text) != YearText::InRange)
        return;
    CmdEnreg->setEnabled(false);
    QList<QDate> days;
    QList<bool> picked;
    days.reserve(List1->count());
    picked.reserve(List1->count());
    for (int i = 0; i < List1->count(); ++i) {
        const QListWidgetItem *item = List1->item(i);
        days.append(parseDateText(item->text()).value_or(QDate()));
        picked.append(item->isSelected());
    }
    // A file read in no date form is kept aside rather than overwritten.
    const int year = text.toInt();
    const QString path = appFile(pickedHolidaysFileName(year));
    bool written = false;
    if (m_fileDamaged) {
        const QString aside = setDamagedFileAside(path);
        qWarning("%s is in no date form: %s %s", qUtf8Printable(path),
                 aside.isEmpty() ? "it could not be set aside" : "set aside as",
                 qUtf8Printable(aside));
        m_fileDamaged = aside.isEmpty();
    }
    if (!m_fileDamaged)
        written = writePickedHolidays(path, days, picked);
    if (written) {
        m_savedRows = pickedRows();
        return;
    }
    // A failed write leaves the old file whole and the picks unsaved, so Save
    // stays available.
    CmdEnreg->setEnabled(true);
    MsgBox(LoadResString(215).arg(year), vbExclamation);
}

QList<int> FrmJoursFeries::pickedRows() const {
    QList<int> rows;
    for (int i = 0; i < List1->count(); ++i)
        if (List1->item(i)->isSelected())
            rows.append(i);
    return rows;
}

bool FrmJoursFeries::Form_QueryUnload() {
    if (pickedRows() == m_savedRows)
        return true;
    return MsgBox(LoadResString(216).arg(TxtAnnee->text().trimmed()), vbYesNo | vbExclamation) ==
           vbYes;
}

void FrmJoursFeries::closeEvent(QCloseEvent *event) {
    if (Form_QueryUnload())
        event->accept();
    else
        event->ignore();
}

} // namespace tembrel
