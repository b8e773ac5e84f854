// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QTimer;

namespace tembrel {

class MdiMain;

// The splash window: name, version and maker with a filling bar; it keeps the
// main window's menus and toolbar out of use for its three-second life.
class FrmEntry final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrmEntry)

public:
    explicit FrmEntry(MdiMain *main);
    ~FrmEntry() override;

    // Creates and shows the single splash (modeless); it deletes itself on closing.
    static FrmEntry *showSplash(MdiMain *main);
    static FrmEntry *instance();

    QLabel *Label3 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label1 = nullptr;
    QProgressBar *ProgBar = nullptr;
    QLabel *LbCompte = nullptr;
    QTimer *Timer1 = nullptr;
    QTimer *Timer2 = nullptr;

    qint16 barPosition() const { return m_position; }

public Q_SLOTS:
    void Form_Load();
    void Timer1_Timer();
    void Timer2_Timer();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    MdiMain *m_main;
    qint16 m_position = 0;
};

} // namespace tembrel
