// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The settings window: the grid font, the three colours (weekend and holiday
// columns, main window background, grid margins and headings) and the path of
// a spreadsheet program. Each chosen colour goes out at once through
// settingsChanged; the font and the path when the window closes, and then all
// five are written to param.ini.

#include "core/ParamIni.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tembrel {

class PictureBox;
class SoundChoiceBox;

class FrmReglages final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrmReglages)

public:
    explicit FrmReglages(QWidget *parent = nullptr);
    ~FrmReglages() override;

    QLabel *LbCouleurWE = nullptr;
    PictureBox *Picture1 = nullptr;
    QPushButton *Command1 = nullptr;
    QLabel *LbFond = nullptr;
    PictureBox *Picture2 = nullptr;
    QPushButton *Command2 = nullptr;
    QLabel *Label1 = nullptr;
    PictureBox *Picture3 = nullptr;
    QPushButton *Command4 = nullptr;
    QLabel *LbPoliceImprimante = nullptr;
    QListWidget *LstFonts = nullptr;
    QLabel *LbPolice = nullptr;
    QLabel *LbTableur = nullptr;
    QLineEdit *TextTableur = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *CmdFocus = nullptr;
    SoundChoiceBox *SoundBox = nullptr; // the microphone and the speaker

public Q_SLOTS:
    void Form_Load();
    void Form_Activate();
    // False, the window staying open, when param.ini could not be written and
    // the user did not choose to close anyway.
    bool Form_QueryUnload();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void LstFonts_Click();
    void TextTableur_Change();

public:
    // False for a key that must not reach the path field (the double quote).
    static bool TextTableur_KeyPress(QChar key);

    // The five settings as the window shows them now.
    Settings chosenSettings() const;

Q_SIGNALS:
    // A colour was chosen, or the window closed: whoever holds the settings
    // applies them.
    void settingsChanged(const tembrel::Settings &settings);

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    // Asks for a colour starting from the preview's; false when cancelled.
    bool pickColour(PictureBox *preview);
    void showFontName(const QString &name);

    bool m_unloaded = false;
    // param.ini could not be written at an earlier attempt to close.
    bool m_writeFailed = false;
};

} // namespace tembrel
