// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader says: a name for every control reachable by keyboard, and
// the year grid as a real X server's accessibility bus tells it (English, French).
#include "RecordingBench.h"

#include "core/Strings.h"
#include "grid/YearGrid.h"
#include "help/FrmAbout.h"
#include "help/FrmHlp.h"
#include "holidays/FrmJoursFeries.h"
#include "settings/FrmReglages.h"
#include "shell/MdiMain.h"
#include "shell/Translations.h"
#include "timerows/FrmEmp.h"

#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QProcess>
#include <QTabBar>
#include <QTest>

using namespace tembrel;
using namespace tembrel::test;

namespace {

// What a screen reader would say for each reachable control of the window,
// and the controls that would say nothing.
QStringList unnamedControls(QWidget *window, QStringList *names) {
    QHash<const QWidget *, QString> buddies;
    for (const QLabel *label : window->findChildren<QLabel *>())
        if (label->buddy())
            buddies.insert(label->buddy(), label->text());
    QStringList unnamed;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (w->focusPolicy() == Qt::NoFocus || !w->isVisibleTo(window) || !w->isEnabled() ||
            qobject_cast<QGroupBox *>(w) || w->focusProxy())
            continue;
        QString name = QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
        // On Linux Qt names a combo box by its current entry, and a reader
        // says its label (the buddy relation) before it.
        if (qobject_cast<QComboBox *>(w))
            name = buddies.value(w, w->accessibleName()) + u' ' + name;
        if (name.isEmpty())
            name = buddies.value(w);
        name.remove(u'&');
        if (name.trimmed().isEmpty() || name == u"<" || name == u">")
            unnamed << w->objectName() + u'(' + QString::fromLatin1(w->metaObject()->className()) +
                           u')';
        else
            names->append(name);
    }
    return unnamed;
}

// The cells as the bus tells them: "<1 if focused, else 0>\t<name>" each.
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
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"),
                               {QStringLiteral("key"), QString::fromLatin1(key)}),
             0);
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

class TestAccessibility : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyControlHasAName() {
        RecordingBench bench;
        MdiMain main;
        bench.grid->show();
        bench.click(4, 52);
        QVERIFY(bench.window);
        FrmEmp hours;
        FrmJoursFeries holidays;
        FrmReglages settings;
        FrmHlp help;
        FrmAbout about;
        QStringList faults;
        for (QWidget *w :
             std::initializer_list<QWidget *>{bench.grid.get(), bench.window.data(), &hours,
                                              &holidays, &settings, &help, &about, &main}) {
            w->show();
            const QString window = QString::fromLatin1(w->metaObject()->className());
            // Every page of a tabbed window, one after the other.
            auto *tabs = w->findChild<QTabBar *>();
            for (int page = 0; page < (tabs ? tabs->count() : 1); ++page) {
                if (tabs)
                    tabs->setCurrentIndex(page);
                QStringList names;
                const QStringList unnamed = unnamedControls(w, &names);
                if (!unnamed.isEmpty())
                    faults << window + QStringLiteral(" unnamed: ") +
                                  unnamed.join(QStringLiteral(", "));
                // No two reachable controls of a window say the same thing.
                names.sort();
                if (std::adjacent_find(names.begin(), names.end()) != names.end())
                    faults << window + QStringLiteral(" repeats: ") +
                                  names.join(QStringLiteral(" | "));
            }
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }

    void gridThroughTheBus() {
        if (QGuiApplication::platformName() != u"xcb")
            QSKIP("read through the accessibility bus of a real X server");
        const bool fr = installTranslations() == u"fr";
        QCOMPARE(fr, QLocale::system().language() == QLocale::French);
        QAccessible::installUpdateHandler(recordFocus);
        AppFixture app(QDate(2005, 2, 21));
        QVERIFY(app.writeHours({"08:00", "08:30", "09:00"}));
        QVERIFY(storeMessage(2005, {4, 52}, flatSound(100), Marker::Vert));
        QVERIFY(storeMessage(2005, {5, 52}, flatSound(100), Marker::Noir));
        FrmConsultGrille w;
        QVERIFY(active(&w));
        const QString monday = fr ? "lundi 21 février 2005, " : "Monday 21 February 2005, ";
        const QString empty = fr ? "vide" : "empty";
        const QString green = monday + (fr ? "08:30, message vert" : "08:30, green message");
        const QString black = monday + (fr ? "09:00, message noir" : "09:00, black message");
        const QString tuesday =
            fr ? "mardi 22 février 2005, 08:30, vide" : "Tuesday 22 February 2005, 08:30, empty";
        // At the opening the keyboard is on today's first time row.
        QCOMPARE(heard({{3, 52}, {4, 52}, {5, 52}}),
                 QStringList({"1\t" + monday + "08:00, " + empty, "0\t" + green, "0\t" + black}));
        // Each move is announced with the new cell's text.
        g_announced.clear();
        press("Down");
        QTRY_COMPARE(w.GridLegendes->Row(), 4);
        press("Right");
        QTRY_COMPARE(g_announced, QStringList({green, tuesday}));
        QCOMPARE(heard({{4, 52}, {4, 53}}), QStringList({"0\t" + green, "1\t" + tuesday}));
        // Delete asks first, and Yes removes the message.
        press("Left");
        app.messageBox->answers << vbYes;
        press("Delete");
        QTRY_COMPARE(w.model().marker({4, 52}), Marker::None);
        QCOMPARE(app.messageBox->texts(), QStringList{LoadResString(153)});
        QCOMPARE(heard({{4, 52}}), QStringList({"1\t" + monday + "08:30, " + empty}));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
