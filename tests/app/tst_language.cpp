// SPDX-License-Identifier: GPL-3.0-or-later
// The interface speaks the system's language: the same test under fr_FR.UTF-8
// and under C.
#include "MainWindow.h"
#include "RecordingBench.h"

#include "help/FrmAbout.h"
#include "help/FrmHlp.h"
#include "holidays/FrmJoursFeries.h"
#include "settings/FrmReglages.h"
#include "shell/MdiMain.h"
#include "shell/Translations.h"
#include "timerows/FrmEmp.h"

#include <QGroupBox>
#include <QMdiArea>
#include <QMenu>
#include <QTest>
#include <QTextEdit>

using namespace tembrel;
using namespace tembrel::test;

namespace {

bool french() {
    return QLocale::system().language() == QLocale::French;
}

// The French text in the French run, the English one otherwise.
QString expected(const char *fr, const char *en) {
    return french() ? QString::fromUtf8(fr) : QString::fromUtf8(en);
}

void saveShot(const QImage &shot, const QString &name) {
    QVERIFY(saveScreenshot(shot, (french() ? "fr_" : "en_") + name));
}

} // namespace

class TestLanguage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        const QString language = installTranslations();
        QCOMPARE(language, expected("fr", ""));
        QCOMPARE(interfaceLanguage(), language);
        if (french()) // Qt's own buttons too, where the system has Qt's French
            QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"),
                     QStringLiteral("Annuler"));
    }

    void mainWindowAndToolWindows() {
        AppFixture app(QDate(2005, 2, 21));
        const auto started = test::startMainWindow();
        QVERIFY(started);
        MdiMain &main = *started;
        QCOMPARE(main.mnuconfiguration->title().remove(u'&'), expected("Fichier", "File"));
        QCOMPARE(main.mnuquitter->text(), expected("&Quitter", "E&xit"));
        QCOMPARE(main.mnujoursferies->text().remove(u'&'),
                 expected("Jours fériés...", "Holidays..."));
        QCOMPARE(main.toolbarButton("koptions")->toolTip(), expected("Réglages...", "Settings..."));
        main.resize(800, 560);
        QVERIFY(exposed(&main));
        const QImage shot = main.grab().toImage();
        saveShot(shot, "mainwindow.png");
        QWidget *area = main.findChild<QMdiArea *>()->viewport();
        QCOMPARE(shot.pixelColor(area->mapTo(&main, QPoint(40, 40))), QColor(Qt::blue));

        FrmEmp hours;
        QCOMPARE(hours.windowTitle(), expected("Horaires", "Hours"));
        FrmJoursFeries holidays;
        QCOMPARE(holidays.windowTitle(), expected("Jours fériés...", "Holidays..."));
        FrmReglages settings;
        QCOMPARE(settings.windowTitle(), expected("Réglages", "Settings"));
        FrmAbout about;
        QVERIFY(!about.windowTitle().isEmpty());
    }

    // The French guide opens in French where it ships; the English one stays
    // the English interface's.
    void helpDocument() {
        AppFixture app;
        for (const char *name : {"Tembrel.rtf", "Tembrel.fr.rtf"})
            QVERIFY(QFile::copy(QStringLiteral(TEMBREL_SOURCE_DIR "/resources/") + name,
                                app.path(name)));
        FrmHlp help;
        QCOMPARE(help.windowTitle(), expected("Aide", "Help"));
        QCOMPARE(helpDocumentName(), expected("Tembrel.fr.rtf", "Tembrel.rtf"));
        QVERIFY(help.TxtRTF->toPlainText().startsWith(
            expected("Guide de l'utilisateur de Tembrel", "Tembrel user guide")));
    }

    // The grid's headings and the recording window's title come from the locale
    // (in the title's own order), its buttons and messages from the translation.
    void gridAndRecording() {
        RecordingBench bench;
        FlexGrid *g = bench.grid->GridLegendes;
        QCOMPARE(g->TextMatrix(0, 52), expected("FÉVRIER", "FEBRUARY"));
        QCOMPARE(g->TextMatrix(1, 52), expected("lundi", "Monday"));
        bench.grid->resize(1000, 600);
        QVERIFY(exposed(bench.grid.get()));
        saveShot(bench.grid->grab().toImage(), "grid.png");

        bench.click(4, 52);
        FrmEnregMessage *w = bench.window;
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), expected("lundi, FÉVRIER 21, 2005 - 08:30 - ",
                                            "Monday, FEBRUARY 21, 2005 - 08:30 - "));
        QCOMPARE(w->CmdRecord->text(), expected("Enregistrer", "Record"));
        QCOMPARE(w->CmdEnreg->text(), expected("Sauvegarder", "Save"));
        QCOMPARE(w->FrameEnreg->title(), expected("ENREGISTREMENT", "RECORDING"));
        bench.speak(3000);
        w->CmdRecord_Click();
        bench.advance(2000);
        QCOMPARE(w->windowTitle(), w->CaptionBase + expected("2/60 secondes", "2/60 seconds"));
        w->cmdStopRecord_Click();
        w->TimerTempo_Timer();
        w->CmdEnreg_Click();
        QCOMPARE(bench.app.messageBox->shown.last().text,
                 expected("Choisissez une couleur !", "Select a color !"));
        w->Option1[2]->setChecked(true);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        // Recorded, as the user sees it; the colour images show their colours
        // beside their option buttons.
        const QImage shot = w->grab().toImage();
        saveShot(shot, "recording.png");
        const auto colourAt = [&](QWidget *image) {
            return shot.pixelColor(image->mapTo(w, image->rect().center()) *
                                   shot.devicePixelRatio());
        };
        const QColor green = colourAt(w->ImgVert), red = colourAt(w->ImgRouge);
        QVERIFY2(green.green() > 2 * green.red() && green.green() > 2 * green.blue(),
                 qPrintable(green.name()));
        QVERIFY2(red.red() > 2 * red.green() && red.red() > 2 * red.blue(), qPrintable(red.name()));
        QVERIFY(w->ImgVert->geometry().top() > w->ImgRouge->geometry().top());
        QVERIFY(w->Option1[2]->geometry().center().y() > w->Option1[1]->geometry().center().y());
    }
};

QTEST_MAIN(TestLanguage)
#include "tst_language.moc"
