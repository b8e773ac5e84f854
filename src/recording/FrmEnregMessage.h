// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Recording a message into a slot of a year. The grid window opens this
// window on an empty slot of its year's model; the recording itself is a
// RecordingSession (record into temp.wav, pause, resume, listen, remove,
// stop; one tick of TimerTempo later the sound is saved and packed into
// temp.tbr), and this window shows its state, position and messages. Saving
// with a colour stores temp.tbr into the slot's archive and marks the slot
// through the model, which rewrites the year file; the grid follows the
// model. With "Scope" ticked, a second input stream (SoundMeter) feeds the
// scope view while the recording runs; Timer1 draws its newest block.

#include "grid/YearModel.h"
#include "recording/RecordingSession.h"
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

class MMControl;
class ScopeView;

class FrmEnregMessage final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrmEnregMessage)

public:
    // The window records into `slot` of `model`; creating it runs its load.
    FrmEnregMessage(YearModel &model, Slot slot, QWidget *parent = nullptr);
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
    QPushButton *CmdImport = nullptr; // an audio file instead of a recording
    QCheckBox *CheckDiagramme = nullptr;
    QSlider *Slider1 = nullptr;
    QLabel *lbSliderLen = nullptr;
    QLabel *lbMicrophone = nullptr; // the microphone a Record listens to
    QLabel *lbSilence = nullptr;    // shown while a recording hears nothing
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

    RecordingSession &session() { return *m_session; }
    RecordingState state() const { return m_session->state(); }
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
    // Asks for an audio file and takes it as the recording.
    void CmdImport_Click();
    void MMControl1_StatusUpdate(int position, int maximum);
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
    QPushButton *buildImportButton();
    void setCaptions();
    void applyState(RecordingState state);
    void setCaptionSeconds(int valueMs, int maxMs);
    // True when nothing unsaved would be lost, or the user lets it go.
    bool mayDiscard();
    // Names the microphone a Record opens now; filled in once the device
    // lists are read (off this thread), the choice kept until then.
    void showMicrophone();
    void offerInterrupted();

    QPointer<YearModel> m_model;
    const Slot m_slot;
    RecordingSession *m_session = nullptr;
    bool m_unloaded = false;
    bool m_stored = false; // the recording is in its slot
    std::unique_ptr<SoundMeter> m_meter;
    std::array<quint8, ScopeBufferSize> m_scopeSamples{};
};

} // namespace tembrel
