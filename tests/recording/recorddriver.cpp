// SPDX-License-Identifier: GPL-3.0-or-later
// The recording kill test's victim: records from the real microphone as the
// recording window does, saying "recording" once the device records, until it
// is killed. Usage: tembrel_recorddriver <application folder>

#include "core/Shared.h"
#include "recording/RecordingSession.h"

#include <QCoreApplication>

#include <cstdio>

using namespace tembrel;

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    setAppFolder(QString::fromLocal8Bit(argv[1]));
    RecordingSession session;
    session.record();
    if (session.state() != RecordingState::Recording)
        return 1;
    std::puts("recording");
    std::fflush(stdout);
    return app.exec();
}
