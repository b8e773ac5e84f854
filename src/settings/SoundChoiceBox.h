// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The "Sound" group of the settings window: the microphone and the speaker
// the sound device uses, "System default" first, then the devices the sound
// layer lists, by their descriptions. The lists are read afresh each time the
// group is shown, off the window thread (Qt does not report devices that
// come later by itself): until the server answers they hold the default and
// the kept choice alone. A chosen device that is not listed stays in its list
// as "<name> (not connected)", so the choice is not lost. A choice is kept at
// once (SoundChoice.h) and applies from the next Record or playback.

#include "sound/SoundChoice.h"

#include <QGroupBox>

#include <memory>
#include <optional>

class QComboBox;
class QLabel;

namespace tembrel {

class SoundChoiceBox final : public QGroupBox {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SoundChoiceBox)

public:
    explicit SoundChoiceBox(QWidget *parent = nullptr);
    ~SoundChoiceBox() override;

    QLabel *LbMicrophone = nullptr;
    QComboBox *CboMicrophone = nullptr;
    QLabel *LbSpeaker = nullptr;
    QComboBox *CboSpeaker = nullptr;

    // Asks for the device lists again; they fill in when the server answers.
    void refresh();
    // The lists have been read since the group was shown.
    bool listsRead() const { return m_listed.has_value(); }

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void setTexts();
    void fill();
    void fill(QComboBox *list, SoundUse use);
    void choose(QComboBox *list, SoundUse use, int index);

    std::shared_ptr<SoundBackend> m_backend;
    std::optional<SoundDevices> m_listed;
};

} // namespace tembrel
