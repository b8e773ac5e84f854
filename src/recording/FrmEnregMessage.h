// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Recording a message into a slot of the year grid. The grid window opens this
// window on an empty slot (SelRow, SelCol); the user records into temp.wav
// through the sound device, may pause, resume, listen and remove, and stops;
// one tick of TimerTempo later the recording is saved and packed into
// temp.tbr. Saving with a colour copies temp.tbr into the slot's archive,
// writes the colour's marker into the slot and rewrites the year file.
// With "Scope" ticked, a second input stream (SoundMeter) feeds the scope
// view while the recording runs; Timer1 draws its newest block.

#include "recording/RecordingStates.h"
#include "recording/SoundMeter.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <memory>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;
class QTimer;

namespace tembrel {

class FrmConsultGrille;
class MMControl;
class ScopeView;

class FrmEnregMessage final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrmEnregMessage)

public:
    // The window works on the slot (SelRow, SelCol) of `grid`; creating it
    // runs its load.
    explicit FrmEnregMessage(FrmConsultGrille *grid, QWidget *parent = nullptr);
    ~FrmEnregMessage() override;

    QGroupBox *FrameEnreg = nullptr;
    QPushButton *CmdRecord = nullptr;
    QPushButton *CmdPauseRec = nullptr;
    QPushButton *cmdResumeRec = nullptr;
    QPushButton *cmdStopRecord = nullptr;
    QPushButton *CmdPlay = nullptr;
    QPushButton *cmdPause = nullptr;
    QPushButton *cmdResumePlay = nullptr;
    QPushButton *cmdDelWave = nullptr;
    QPushButton *CmdEnreg = nullptr;
    QPushButton *CmdCancel = nullptr;
    QCheckBox *CheckDiagramme = nullptr;
    QSlider *Slider1 = nullptr;
    QLabel *lbSliderLen = nullptr;
    QLabel *lbMicrophone = nullptr; // the microphone a Record listens to
    ScopeView *scopeBox = nullptr;
    MMControl *MMControl1 = nullptr;
    QTimer *TimerTempo = nullptr;
    QTimer *Timer1 = nullptr; // the scope's, every 300 ms while it runs
    // The colour choice, stacked blue, red, green, yellow, black.
    QLabel *ImgBleu = nullptr;
    QLabel *ImgRouge = nullptr;
    QLabel *ImgVert = nullptr;
    QLabel *ImgJaune = nullptr;
    QLabel *ImgNoir = nullptr;
    std::array<QRadioButton *, 5> Option1{};
    QFrame *PictBar = nullptr;
    QProgressBar *ProgBar = nullptr;

    QString CaptionBase;
    bool UpdatesSuspended = false;
    qint16 FinishTicks = 0;

    RecordingState state() const { return m_state; }
    // The scope's input, and the samples it draws.
    const SoundMeter &meter() const { return *m_meter; }
    const std::array<quint8, ScopeBufferSize> &scopeSamples() const { return m_scopeSamples; }
    // Copies the block at `samples` (when there is one) into the scope's
    // array, then draws the array.
    void DrawScope(const quint8 *samples);

public Q_SLOTS:
    void Form_Load();
    void CmdRecord_Click();
    void CmdPauseRec_Click();
    void cmdResumeRec_Click();
    void cmdStopRecord_Click();
    void TimerTempo_Timer();
    void CmdPlay_Click();
    void cmdPause_Click();
    void cmdResumePlay_Click();
    void cmdDelWave_Click();
    void CmdCancel_Click();
    void MMControl1_StatusUpdate();
    void MMControl1_DeviceLost();
    void Slider1_Change();
    void CmdEnreg_Click();
    void CmdEnregGrid_Click();
    void CmdStartVolume_Click();
    void CmdStopVolume_Click();
    void Timer1_Timer();
    void ImgBleu_Click();
    void ImgRouge_Click();
    void ImgVert_Click();
    void ImgJaune_Click();
    void ImgNoir_Click();
    void Form_QueryUnload();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void setCaptions();
    void applyState(RecordingState state);
    // Notify off, Wait on, not shared, "WaveAudio" on temp.wav, "Open".
    bool openDevice();
    void setCaptionSeconds(int valueMs, int maxMs);
    // Back to empty with the device closed, and one message (a string id).
    void refuseRecording(int textId);
    // The automatic stop: the limit of a recording, the end of a playback.
    void stopAutomatically();
    void clearSlotCell();
    void deleteScratchFiles();
    // Names the microphone a Record opens now; filled in once the device
    // lists are read (off this thread), the choice kept until then.
    void showMicrophone();

    QPointer<FrmConsultGrille> m_grid;
    RecordingState m_state = RecordingState::Empty;
    // A recording was made since the last finishing step: only then is there
    // something new to save and pack. A finishing step after a playback
    // leaves temp.wav and temp.tbr as they are.
    bool m_recordedSinceFinish = false;
    bool m_unloaded = false;
    int m_selStart = 0;
    int m_selLength = 0;
    std::unique_ptr<SoundMeter> m_meter;
    std::array<quint8, ScopeBufferSize> m_scopeSamples{};
};

} // namespace tembrel
