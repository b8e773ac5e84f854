// SPDX-License-Identifier: GPL-3.0-or-later
// The recordings that do not come from the microphone: an audio file chosen
// with "Import...", and the recording a killed or crashed run left. Each
// becomes the recording, ready to be listened to and saved.
#include "recording/FrmEnregMessage.h"

#include "core/Platform.h"
#include "core/Strings.h"

#include <QFileInfo>
#include <QLocale>
#include <QPushButton>

namespace tembrel {

// What a killed or crashed run recorded is offered before anything is
// recorded over it; only No throws it away.
void FrmEnregMessage::offerInterrupted() {
    const auto when = RecordingSession::interrupted();
    if (!when)
        return;
    const QLocale locale;
    const QString question =
        LoadResString(241).arg(locale.toString(when->date(), QLocale::LongFormat),
                               locale.toString(when->time(), QLocale::ShortFormat));
    if (MsgBox(question, vbYesNo | vbQuestion) == vbYes)
        m_session->adoptInterrupted();
    else
        m_session->discardInterrupted();
}


QPushButton *FrmEnregMessage::buildImportButton() {
    CmdImport = new QPushButton(this);
    CmdImport->setObjectName(QStringLiteral("CmdImport"));
    CmdImport->setAutoDefault(false);
    connect(CmdImport, &QPushButton::clicked, this, &FrmEnregMessage::CmdImport_Click);
    return CmdImport;
}

void FrmEnregMessage::CmdImport_Click() {
    // The grid's menu calls this too, whatever the window is doing.
    if (!allows(state(), RecordingEvent::Import))
        return;
    const std::optional<QString> path = Platform::instance().dialogs().getOpenFileName(
        this, tr("Import a sound file"),
        tr("Sound files (*.wav *.flac *.ogg *.oga *.opus *.mp3);;All files (*)"));
    if (!path)
        return;
    const RecordingSession::Imported imported = m_session->importFile(*path);
    if (imported.textId != 0)
        MsgBox(LoadResString(imported.textId).arg(QFileInfo(*path).fileName()),
               imported.ok ? vbInformation : vbExclamation);
    if (imported.ok)
        CmdPlay->setFocus();
}

} // namespace tembrel
