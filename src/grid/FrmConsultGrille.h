// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "grid/YearFile.h"
#include "shell/HiddenControl.h"

#include <QPixmap>
#include <QStringList>
#include <QWidget>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;

namespace tembrel {

class FlexGrid;

// The year grid window: one column per day of the displayed year, one row per
// time row, under the month, weekday and day-of-month headings.
class FrmConsultGrille final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrmConsultGrille)

public:
    // Creating the window runs its opening (Form_Load).
    explicit FrmConsultGrille(QWidget *parent = nullptr);
    ~FrmConsultGrille() override;

    // The open grid window, or null.
    static FrmConsultGrille *instance();

    FlexGrid *GridLegendes = nullptr;
    QFrame *FrameOutils = nullptr;
    QLabel *LbAnnee = nullptr;
    QPushButton *CmdAnneeMoins = nullptr;
    QPushButton *CmdAnneePlus = nullptr;
    QFrame *Picture2 = nullptr;
    QFrame *PictBar = nullptr;
    QProgressBar *ProgBar = nullptr;
    QPushButton *CmdValidDate = nullptr; // never shown: a named procedure
    QSlider *Slider1 = nullptr;
    QPushButton *CmdStopLecture = nullptr;
    QPushButton *cmdDelWave = nullptr;
    // Invisible lists and labels.
    QStringList LstEmployes;  // time row labels from hours.dat
    QStringList ListFerie;    // holiday dates of the year, dd/MM/yyyy
    HiddenControl LbVacColor; // BackColor: weekend and holiday colour
    HiddenControl LbPolice;   // Caption: the grid's font name
    // Marker pictures and the microphone.
    QPixmap ImgNoir;
    QPixmap ImgRouge;
    QPixmap ImgBleu;
    QPixmap ImgVert;
    QPixmap ImgJaune;
    QPixmap ImgMicro;

    // The displayed year, from LbAnnee.
    int year() const;
    // AppFolder + "_" + year + ".dte".
    QString yearFilePath() const;
    // The picture of a marker code's marker; null for no marker.
    QPixmap markerPicture(Marker marker) const;

public Q_SLOTS:
    void Form_Load();
    void Form_Activate();
    void Form_Resize();
    void Form_QueryUnload();
    void CmdAnneeMoins_Click();
    void CmdAnneePlus_Click();
    void CmdValidDate_Click();
    void Initialisation_GrilleLegendes();
    void CmdPaques_Click();
    void cmdChargeDonnees_Click();
    void CmdChargerLoad_Click();
    void GridLegendes_Click();
    // Writes every cell into the year message file; progress goes to the
    // given bar when there is one. False when the file could not be written
    // (the previous file is then left as it was).
    bool EnregistrerGrille(QProgressBar *progress = nullptr);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void ConstruireGrille();
    void buildYear(QProgressBar *progress);
    void loadYear(QProgressBar *progress);
    void scrollToThisWeek();
    void setUpControls();
    void drawPictures();
    void changeYear(int step);

    bool m_openedMaximised = false;
    qint16 m_monthStart = 1;
};

} // namespace tembrel
