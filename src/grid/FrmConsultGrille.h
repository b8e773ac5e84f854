// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/HiddenControl.h"
#include "grid/MessagesModel.h"
#include "grid/YearFile.h"
#include "grid/YearModel.h"

#include <QPixmap>
#include <QStringList>
#include <QWidget>

#include <functional>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;
class QTimer;
class QToolButton;

namespace tembrel {

class FlexGrid;
class MessagesPanel;
class MMControl;
class SoundPlayer;

// The year grid window: one column per day of the displayed year, one row per
// time row, under the month, weekday and day-of-month headings. A view of the
// year's model: its cells are filled from the model, its clicks and
// deletions call the model and the message store, and it follows the model's
// changes (a message stored by the recording window, a slot recorded into).
class FrmConsultGrille final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrmConsultGrille)

public:
    // Creating the window runs its opening (Form_Load).
    explicit FrmConsultGrille(QWidget *parent = nullptr);
    ~FrmConsultGrille() override;

    // The open grid window, or null.
    static FrmConsultGrille *instance();

    // The recording window, made by the program when the user clicks an empty
    // slot: it gets the year's model and the slot, and the grid itself knows
    // nothing of it. Without one, such clicks only remember the cell.
    using RecordingWindowFactory =
        std::function<QWidget *(YearModel &model, Slot slot, QWidget *parent)>;
    static void setRecordingWindowFactory(RecordingWindowFactory factory);

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
    // The device that plays a slot's message, and the player that drives it.
    MMControl *MMControl1 = nullptr;
    SoundPlayer *player = nullptr;
    // The archive's file name of the slot whose playback was started last.
    QString NomArchive;
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
    // The list of messages and its button in the tool strip; the bar that
    // offers to undo a deletion for ten seconds.
    MessagesPanel *ListeMessages = nullptr;
    QToolButton *CmdListe = nullptr;
    QFrame *BarreAnnuler = nullptr;
    QPushButton *CmdAnnuler = nullptr;
    QTimer *TimerAnnuler = nullptr;

    // The year shown.
    YearModel &model() { return *m_model; }
    // The displayed year, from LbAnnee.
    int year() const;
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
    // A right click at `pos` (the grid's viewport): on an empty slot, a menu
    // offers to import a sound file into it.
    void GridLegendes_ContextMenu(const QPoint &pos);
    void MMControl1_StatusUpdate(int position, int length);
    void CmdStopLecture_Click();
    void cmdDelWave_Click();
    // Writes every cell into the year message file; progress goes to the
    // given bar when there is one. False when the file could not be written
    // (the previous file is then left as it was).
    bool EnregistrerGrille(QProgressBar *progress = nullptr);
    // The list shown or hidden, and remembered so.
    void CmdListe_Click();
    // Exports the messages selected in the list, else the current slot's.
    void CmdExporter_Click();
    void CmdAnnuler_Click();
    // The undo offer ends: an archive kept aside for it is erased.
    void TimerAnnuler_Timer();
    // Asks message 153 and, on Yes, deletes the slot's message of `year`
    // as the Remove button does, offering to undo it.
    void deleteMessage(int year, tembrel::Slot slot);

    // The grid's own keys, beyond the moves and Enter that the grid control
    // knows: a month back or on, today, Delete. True when the key was used.
    bool GridLegendes_KeyDown(int key, Qt::KeyboardModifiers modifiers);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void ConstruireGrille();
    void buildYear(QProgressBar *progress);
    void layOutYear(QProgressBar *progress);
    void loadYear(QProgressBar *progress);
    // Shows a slot as the model holds it: its marker code and picture, the
    // microphone while it is being recorded.
    void showSlot(const Slot &slot);
    void showProgressStrip();
    void scrollToThisWeek();
    void setUpControls();
    // The cells' spoken texts and the grid's keys (FrmConsultGrilleKeys.cpp).
    void setUpSpeech();
    QString cellSpeech(int row, int col) const;
    // The current cell goes to today's day (or this week's Monday, as at the
    // opening) on the same time row.
    void goToToday();
    void drawPictures();
    void changeYear(int step);
    // The recording window it opened on the slot SelRow, SelCol, or null.
    QWidget *openRecordingWindow();
    // Unpacks the slot's archive into temp.wav and plays it, with the slider
    // and the Stop and Remove buttons shown.
    void startPlayback();
    // Slider and buttons hidden, caption cleared, device closed.
    void endPlayback();
    bool playing() const { return m_playbackShown; }
    void setUpList();
    // The model of a year the window shows or lists; null for any other.
    YearModel *listedYear(int year) const;
    // Scrolls the grid to the slot and makes it the current cell, showing
    // its year first when another is shown.
    void showMessage(int year, Slot slot);
    void playMessage(int year, Slot slot);
    void exportMessages(const QList<MessagesModel::Message> &messages);

    struct Deleted {
        int year = 0;
        Slot slot;
        Marker marker = Marker::None;
        SlotRemoval removal;
    };
    std::optional<Deleted> m_deleted;

    YearModel *m_model = nullptr;
    // The slot whose playback controls show (whether or not its sound plays).
    bool m_playbackShown = false;
    Slot m_playbackSlot;
    bool m_openedMaximised = false;
    qint16 m_monthStart = 1;
    bool m_opening = false; // the model's reset is the grid's own opening
};

} // namespace tembrel
