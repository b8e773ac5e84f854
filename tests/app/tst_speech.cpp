// SPDX-License-Identifier: GPL-3.0-or-later
// The year grid as a screen reader hears it: another process reads the real
// window from the accessibility bus (AT-SPI) while real keystrokes move
// through it. Every cell names its day, its time row and what it holds, never
// its marker code; the arrows move the focused cell; Delete asks before it
// removes. Run in English and in French.
#include "AppFixture.h"
#include "MessageSupport.h"

#include "core/Platform.h"
#include "core/Strings.h"
#include "grid/FlexGrid.h"
#include "grid/FrmConsultGrille.h"
#include "grid/YearGrid.h"
#include "shell/Translations.h"

#include <QAccessible>
#include <QProcess>
#include <QTest>

using namespace tembrel;
using namespace tembrel::test;

namespace {

bool french() {
    return QLocale::system().language() == QLocale::French;
}

QString expected(const char *fr, const char *en) {
    return QString::fromUtf8(french() ? fr : en);
}

// The slots as the bus tells them: "<1 if focused, else 0>\t<name>" each.
QStringList heard(const QList<Slot> &cells) {
    QStringList args{QStringLiteral(TEMBREL_SOURCE_DIR "/tests/app/atspi_cells.py"),
                     QCoreApplication::applicationName()};
    for (const Slot &s : cells)
        args << QStringLiteral("%1,%2").arg(s.row - GridFixedRows).arg(s.col - 1);
    QProcess reader;
    reader.start(QStringLiteral("/usr/bin/python3"), args);
    // The program answers the reader from its event loop: keep it running.
    if (!QTest::qWaitFor([&] { return reader.state() == QProcess::NotRunning; }, 60000) ||
        reader.exitCode() != 0)
        qWarning("reader failed: %s", reader.readAllStandardError().constData());
    return QString::fromUtf8(reader.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

// A real keystroke, through the X server, to the active window.
void press(const char *key) {
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), {"key", QString::fromLatin1(key)}), 0);
}

// What the program announces as focused, heard on its way to the bridge.
QStringList g_announced;
void recordFocus(QAccessibleEvent *event) {
    if (event->type() == QAccessible::Focus && event->accessibleInterface())
        g_announced << event->accessibleInterface()->text(QAccessible::Name);
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(recordFocus);
}

} // namespace

class TestSpeech : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QCOMPARE(installTranslations(), expected("fr", ""));
        QAccessible::installUpdateHandler(recordFocus);
    }

    void gridThroughTheBus() {
        AppFixture app(QDate(2005, 2, 21));
        QVERIFY(app.writeHours({"08:00", "08:30", "09:00"}));
        QVERIFY(storeMessage(2005, {4, 52}, flatSound(100), Marker::Vert));
        QVERIFY(storeMessage(2005, {5, 52}, flatSound(100), Marker::Noir));
        FrmConsultGrille w;
        FlexGrid *g = w.GridLegendes;
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const QString monday = expected("lundi 21 février 2005, ", "Monday 21 February 2005, ");
        const QString empty = expected("vide", "empty");
        // At the opening the keyboard is on today's first time row.
        QCOMPARE(heard({{3, 52}, {4, 52}, {5, 52}}),
                 QStringList(
                     {"1\t" + monday + "08:00, " + empty,
                      "0\t" + monday + expected("08:30, message vert", "08:30, green message"),
                      "0\t" + monday + expected("09:00, message noir", "09:00, black message")}));
        g_announced.clear();
        press("Down");
        QTRY_COMPARE(g->Row(), 4);
        press("Right");
        QTRY_COMPARE(g->Col(), 53);
        // Each move is announced with the new cell's text.
        QCOMPARE(g_announced,
                 QStringList({monday + expected("08:30, message vert", "08:30, green message"),
                              expected("mardi 22 février 2005, 08:30, vide",
                                       "Tuesday 22 February 2005, 08:30, empty")}));
        QCOMPARE(
            heard({{4, 52}, {4, 53}}),
            QStringList({"0\t" + monday + expected("08:30, message vert", "08:30, green message"),
                         "1\t" + expected("mardi 22 février 2005, 08:30, vide",
                                          "Tuesday 22 February 2005, 08:30, empty")}));
        // Delete asks first; only Yes removes the message.
        press("Left");
        QTRY_COMPARE(g->Col(), 52);
        app.messageBox->answers << vbNo << vbYes;
        press("Delete");
        QTRY_COMPARE(app.messageBox->shown.size(), 1);
        QCOMPARE(w.model().marker({4, 52}), Marker::Vert);
        press("Delete");
        QTRY_COMPARE(w.model().marker({4, 52}), Marker::None);
        QCOMPARE(app.messageBox->texts(), QStringList(2, LoadResString(153)));
        QCOMPARE(heard({{4, 52}}), QStringList({"1\t" + monday + "08:30, " + empty}));
    }
};

QTEST_MAIN(TestSpeech)
#include "tst_speech.moc"
