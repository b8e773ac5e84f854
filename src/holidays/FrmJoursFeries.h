// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The holiday selection window: the thirteen standard holidays as check boxes
// (kept in JFValid.ini, rewritten at each change), and under "Autres" the days
// of one year, of which the selected ones are extra holidays kept in
// F<year>.ini.

#include "holidays/Holidays.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tembrel {

class FrmJoursFeries final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrmJoursFeries)

public:
    explicit FrmJoursFeries(QWidget *parent = nullptr);
    ~FrmJoursFeries() override;

    QLineEdit *TxtAnnee = nullptr;
    QListWidget *List1 = nullptr;
    QCheckBox *CheckAutres = nullptr;
    QPushButton *CmdEnreg = nullptr;
    QPushButton *CmdBidon = nullptr;

    QCheckBox *ChkJourdelan = nullptr;
    QCheckBox *ChkVendredisaint = nullptr;
    QCheckBox *ChkLundidepaques = nullptr;
    QCheckBox *ChkPremiermai = nullptr;
    QCheckBox *ChkHuitmai = nullptr;
    QCheckBox *ChkAscension = nullptr;
    QCheckBox *ChkLundidepentecote = nullptr;
    QCheckBox *ChkQuatorzejuillet = nullptr;
    QCheckBox *ChkQuinzeaout = nullptr;
    QCheckBox *ChkPremiernovembre = nullptr;
    QCheckBox *ChkOnzenovembre = nullptr;
    QCheckBox *ChkNoel = nullptr;
    QCheckBox *ChkSaintetienne = nullptr;

    // The thirteen in JFValid.ini field order.
    const std::array<QCheckBox *, StandardHolidayCount> &standardBoxes() const {
        return m_standard;
    }

public Q_SLOTS:
    void Form_Load();
    void TxtAnnee_Change();
    void List1_Click();
    void CheckAutres_Click();
    void CmdEnreg_Click();
    // A standard holiday box changed: JFValid.ini is rewritten with all thirteen.
    void ChkStandard_Click();
    // False, the window staying open, when days picked in the list are not
    // saved and the user does not choose to close anyway.
    bool Form_QueryUnload();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void loadStandardChoice();
    QList<int> pickedRows() const;

    std::array<QCheckBox *, StandardHolidayCount> m_standard{};
    QWidget *m_standardPart = nullptr;
    QWidget *m_daysPart = nullptr;
    // The rows of List1 picked as F<year>.ini holds them, since it was read
    // or saved.
    QList<int> m_savedRows;
    // F<year>.ini read in no date form: it is set aside before Save writes.
    bool m_fileDamaged = false;
};

} // namespace tembrel
