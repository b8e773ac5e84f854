// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The time rows window: the list of row labels of the year grid, read from
// hours.dat when the window opens and written back when it closes, and three
// panels that append labels to it (time steps, free text, time sections).

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabBar;

namespace tembrel {

class FrmEmp final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrmEmp)

public:
    explicit FrmEmp(QWidget *parent = nullptr);
    ~FrmEmp() override;

    // The labels of List1, in order.
    QStringList labels() const;
    // The selected index of List1, -1 when nothing is selected.
    int ListIndex() const;
    void setListIndex(int index);

    QTabBar *SSTab1 = nullptr;
    std::array<QWidget *, 3> Frame1{};

    // Time steps panel.
    std::array<QRadioButton *, 3> Option1{};
    QLabel *Label1 = nullptr; // "H"
    QLabel *Label2 = nullptr; // "M"
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr; // "Beginning"
    QLabel *Label6 = nullptr; // "End"
    QComboBox *ComboHeureDebut = nullptr;
    QComboBox *ComboMinuteDebut = nullptr;
    QComboBox *ComboHeureFin = nullptr;
    QComboBox *ComboMinuteFin = nullptr;
    QCheckBox *CheckAM2 = nullptr;
    QCheckBox *CheckPM2 = nullptr;
    QPushButton *CmdAddHours = nullptr;

    // Free text panel.
    QLineEdit *TxtEmp = nullptr;
    QLabel *Label7 = nullptr;
    QPushButton *CmdAddTexte = nullptr;

    // Time sections panel.
    QLabel *Label8 = nullptr;
    QLabel *Label9 = nullptr;
    QLabel *Label10 = nullptr;
    QLabel *Label11 = nullptr;
    QLabel *Label12 = nullptr;
    QLabel *Label13 = nullptr;
    QComboBox *Combo2HeureDebut = nullptr;
    QComboBox *Combo2MinuteDebut = nullptr;
    QComboBox *Combo2HeureFin = nullptr;
    QComboBox *Combo2MinuteFin = nullptr; // never shown: a copy of the start minute
    QCheckBox *CheckAM = nullptr;
    QCheckBox *CheckPM = nullptr;
    QPushButton *CmdApplicTranches = nullptr;

    // The day lists the generators read, never shown.
    QListWidget *LstTranches = nullptr;
    QListWidget *LstTranchesHoraires = nullptr;

    QListWidget *List1 = nullptr;
    QPushButton *CmdClear = nullptr;

public Q_SLOTS:
    void Form_Load();
    // False when the window must stay open: its rows could not be saved.
    bool Form_QueryUnload();
    void CmdClear_Click();
    void List1_DblClick();
    void SSTab1_Click();
    void CmdAddHours_Click();
    void CmdAddTexte_Click();
    void CmdApplicTranches_Click();
    void CheckAM_Click();
    void CheckPM_Click();
    void CheckAM2_Click();
    void CheckPM2_Click();
    void Combo2MinuteDebut_Click();
    void TxtEmp_Change();
    void TxtEmp_GotFocus();
    // KeyAscii set to 0 swallows the key.
    void TxtEmp_KeyPress(int &KeyAscii);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    QWidget *buildTimeStepsPanel();
    QWidget *buildFreeTextPanel();
    QWidget *buildTimeSectionsPanel();
    void setCaptions();
    void appendLabels(const QStringList &labels);
    static QStringList items(const QListWidget *list);

    int m_shownPanel = 0;
    bool m_unloaded = false;
    // The rows as hours.dat held them: the file is written only when they change.
    QStringList m_loadedLabels;
};

} // namespace tembrel
