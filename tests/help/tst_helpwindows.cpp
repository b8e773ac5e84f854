// SPDX-License-Identifier: GPL-3.0-or-later
#include "Fakes.h"
#include "TestApp.h"
#include "help/FrmAbout.h"
#include "help/FrmHlp.h"
#include "shell/MdiMain.h"
#include "shell/Strings.h"
#include "shell/Twips.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

using namespace tembrel;
using namespace tembrel::test;

namespace {

QByteArray fileBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray shippedGuide() {
    return fileBytes(QStringLiteral(TEMBREL_SOURCE_DIR "/resources/Tembrel.rtf"));
}

// Text of a PDF as pdftotext reads it, blanks collapsed.
QString pdfText(const QString &pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"),
            {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput()).simplified();
}

QString collapsed(QString s) {
    return s.replace(QChar::ParagraphSeparator, u' ')
        .replace(QChar::LineSeparator, u' ')
        .replace(QChar(0x2022), u' ')
        .simplified();
}

// The text of the block whose text starts with prefix, or an empty string.
QTextBlock blockStarting(const QTextDocument &doc, const QString &prefix) {
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        if (b.text().startsWith(prefix))
            return b;
    return {};
}

} // namespace

class TestHelpWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(!shippedGuide().isEmpty(), "resources/Tembrel.rtf is missing");
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(),
                 "pdftotext (poppler-utils) is needed to read the printed pages");
    }

    void viewerShowsTheGuide() {
        FakePlatform platform;
        TempAppFolder app;
        QVERIFY(app.write(QStringLiteral("Tembrel.rtf"), shippedGuide()));
        FrmHlp w;
        QCOMPARE(w.windowTitle(), LoadResString(182));
        QCOMPARE(w.CmdPrint->text(), LoadResString(181));
        QVERIFY(w.CmdPrint->isEnabled());
        QVERIFY(w.TxtRTF->isReadOnly());
        const QTextDocument *doc = w.TxtRTF->document();
        QVERIFY(doc->blockCount() > 20);
        const QTextBlock first = doc->firstBlock();
        QVERIFY(first.text().contains(QLatin1String("Tembrel")));
        QVERIFY(first.charFormat().fontWeight() >= QFont::Bold ||
                first.begin().fragment().charFormat().fontWeight() >= QFont::Bold);
        // Placed 100 twips below the top of the screen, centred across it.
        const QRect area = w.screen()->availableGeometry();
        QCOMPARE(w.y(), area.top() + twipsToPixels(100, &w));
        QCOMPARE(w.x(), area.left() + (area.width() - w.width()) / 2);
        // The document is read, never written.
        QCOMPARE(app.read(QStringLiteral("Tembrel.rtf")), shippedGuide());
    }

    void unreadableDocumentShowsNotice_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("missing") << 0;
        QTest::newRow("a folder in its place") << 1;
        QTest::newRow("not rich text") << 2;
        QTest::newRow("empty") << 3;
    }
    void unreadableDocumentShowsNotice() {
        QFETCH(int, kind);
        FakePlatform platform;
        TempAppFolder app;
        if (kind == 1)
            QVERIFY(QDir(app.path(QString())).mkdir(QStringLiteral("Tembrel.rtf")));
        else if (kind == 2)
            QVERIFY(app.write(QStringLiteral("Tembrel.rtf"), "PK\x03\x04 not a document"));
        else if (kind == 3)
            QVERIFY(app.write(QStringLiteral("Tembrel.rtf"), QByteArray()));
        FrmHlp w;
        QVERIFY(w.TxtRTF->toPlainText().contains(QLatin1String("Tembrel.rtf")));
        QVERIFY(!w.CmdPrint->isEnabled());
        w.CmdPrint_Click();
        QVERIFY(platform.dialogs->printerSelectionChosen.isEmpty());
        QVERIFY(platform.messageBox->shown.isEmpty());
    }

    void focusStaysOnTheFocusButton() {
        FakePlatform platform;
        TempAppFolder app;
        QVERIFY(app.write(QStringLiteral("Tembrel.rtf"), shippedGuide()));
        FrmHlp w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(QApplication::focusWidget(), w.CmdFocus);
        w.TxtRTF->setFocus();
        QCOMPARE(QApplication::focusWidget(), w.TxtRTF);
        // A click on the window's background, outside every control.
        const QPoint background(1, 1);
        QCOMPARE(w.childAt(background), nullptr);
        QTest::mouseClick(&w, Qt::LeftButton, {}, background);
        QCOMPARE(QApplication::focusWidget(), w.CmdFocus);
        // Coming back to the window puts it there too.
        w.TxtRTF->setFocus();
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&w, &activate);
        QCOMPARE(QApplication::focusWidget(), w.CmdFocus);
    }

    void printing_data() {
        QTest::addColumn<bool>("select");
        QTest::addColumn<bool>("dialogSwitchesToAll");
        QTest::addColumn<bool>("accept");
        QTest::newRow("whole document") << false << false << true;
        QTest::newRow("selection") << true << false << true;
        QTest::newRow("selection, All chosen in the dialog") << true << true << true;
        QTest::newRow("cancelled") << false << false << false;
        QTest::newRow("cancelled with selection") << true << false << false;
    }
    void printing() {
        QFETCH(bool, select);
        QFETCH(bool, dialogSwitchesToAll);
        QFETCH(bool, accept);
        FakePlatform platform;
        TempAppFolder app;
        QVERIFY(app.write(QStringLiteral("Tembrel.rtf"), shippedGuide()));
        const QString pdf = app.path(QStringLiteral("printed.pdf"));
        platform.dialogs->acceptPrinter = accept;
        platform.dialogs->setUpPrinter = [&](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            if (dialogSwitchesToAll)
                printer.setPrintRange(QPrinter::AllPages);
        };

        FrmHlp w;
        QTextDocument *doc = w.TxtRTF->document();
        const QString firstText = collapsed(doc->firstBlock().text());
        const QString lastText = collapsed(doc->lastBlock().text());
        QVERIFY(!firstText.isEmpty() && !lastText.isEmpty());
        // A selection: the paragraph under the recording heading.
        const QTextBlock heading = blockStarting(*doc, QStringLiteral("Recording"));
        QVERIFY(heading.isValid());
        const QTextBlock chosen = heading.next();
        QVERIFY(chosen.text().size() > 40);
        if (select) {
            QTextCursor c(chosen);
            c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            w.TxtRTF->setTextCursor(c);
        }

        w.CmdPrint_Click();

        QCOMPARE(platform.dialogs->printerSelectionChosen, QList<bool>{select});
        if (!accept) {
            QVERIFY(!QFile::exists(pdf));
            return;
        }
        const QString printed = pdfText(pdf);
        QVERIFY2(!printed.isEmpty(), "no readable PDF was printed");
        const bool whole = !select || dialogSwitchesToAll;
        // pdftotext hyphenates nothing but breaks lines; compare word runs.
        const QString chosenText = collapsed(chosen.text());
        QVERIFY2(printed.contains(chosenText.left(40)), qPrintable(printed.left(300)));
        QCOMPARE(printed.contains(firstText), whole);
        QCOMPARE(printed.contains(lastText.right(30)), whole);
        QCOMPARE(printed.contains(collapsed(heading.text())), whole);
    }

    void screenshot() {
        FakePlatform platform;
        TempAppFolder app;
        QVERIFY(app.write(QStringLiteral("Tembrel.rtf"), shippedGuide()));
        FrmHlp w;
        w.resize(760, 560);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QImage image = w.grab().toImage();
        QVERIFY(!image.isNull());
        // Text drawn in the document: many distinct shades, not a blank box.
        QSet<QRgb> shades;
        for (int y = 0; y < image.height(); y += 3)
            for (int x = 0; x < image.width(); x += 3)
                shades.insert(image.pixel(x, y));
        QVERIFY(shades.size() > 20);
        const QString dir = QStringLiteral(TEMBREL_BINARY_DIR "/screenshots");
        QVERIFY(QDir().mkpath(dir));
        QVERIFY(image.save(dir + QStringLiteral("/frmhlp.png")));
    }

    void aboutCopiesAddresses_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("key"); // 0: a mouse click
        QTest::addColumn<QString>("copied");
        QTest::addColumn<QString>("message");
        const QString mail = LoadResString(130) + u"\r\n"_qs + LoadResString(131);
        const QString web = LoadResString(132) + u"\r\n"_qs + LoadResString(133);
        const QString mailAddress = QString::fromLatin1(MailAddress);
        const QString webAddress = QString::fromLatin1(WebPageAddress);
        QTest::newRow("e-mail, mouse") << "Label2" << 0 << mailAddress << mail;
        QTest::newRow("e-mail, space") << "Label2" << int(Qt::Key_Space) << mailAddress << mail;
        QTest::newRow("web page, mouse") << "Label8" << 0 << webAddress << web;
        QTest::newRow("web page, enter") << "Label8" << int(Qt::Key_Return) << webAddress << web;
    }
    void aboutCopiesAddresses() {
        QFETCH(QString, label);
        QFETCH(int, key);
        FakePlatform platform;
        platform.clipboard->content = QStringLiteral("something older");
        FrmAbout w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto *target = w.findChild<QLabel *>(label);
        QVERIFY(target);
        if (key == 0) {
            QTest::mouseClick(target, Qt::LeftButton);
        } else {
            target->setFocus();
            QTest::keyClick(target, Qt::Key(key));
        }
        QTEST(platform.clipboard->content, "copied");
        QCOMPARE(platform.clipboard->clears, 1);
        QCOMPARE(platform.messageBox->shown.size(), 1);
        QTEST(platform.messageBox->shown[0].text, "message");
        QCOMPARE(platform.messageBox->shown[0].style, int(vbOKOnly));
        QCOMPARE(platform.messageBox->shown[0].title, QStringLiteral("Tembrel"));
        QVERIFY(w.isVisible());
    }

    void aboutCloses() {
        FakePlatform platform;
        QPointer<FrmAbout> w = new FrmAbout;
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->show();
        QTest::mouseClick(w->Command1, Qt::LeftButton);
        QTRY_VERIFY(w.isNull());
        QPointer<FrmAbout> byKey = new FrmAbout;
        byKey->show();
        QVERIFY(QTest::qWaitForWindowActive(byKey));
        QTest::keyClick(byKey, Qt::Key_Escape);
        QVERIFY(!byKey->isVisible());
        delete byKey;
    }

    void netAsksBeforeOpeningTheWebPage_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("opened");
        QTest::newRow("no") << int(vbNo) << 0;
        QTest::newRow("yes") << int(vbYes) << 1;
    }
    void netAsksBeforeOpeningTheWebPage() {
        QFETCH(int, answer);
        QFETCH(int, opened);
        FakePlatform platform;
        MdiMain::unregisterAll();
        MdiMain main;
        platform.messageBox->answers.enqueue(answer);
        main.mnuweb->trigger();
        QCOMPARE(platform.messageBox->shown.size(), 1);
        QCOMPARE(platform.messageBox->shown[0].text, LoadResString(148));
        QCOMPARE(platform.messageBox->shown[0].style, 68);
        QCOMPARE(platform.browser->opened.size(), opened);
        if (opened)
            QCOMPARE(platform.browser->opened[0], QUrl(QString::fromLatin1(WebPageAddress)));
    }

    void mainWindowOpensTheWindows() {
        FakePlatform platform;
        TempAppFolder app;
        QVERIFY(app.write(QStringLiteral("Tembrel.rtf"), shippedGuide()));
        MdiMain::unregisterAll();
        MdiMain main;
        QVERIFY(!main.mnuindexaide->isEnabled());
        MdiMain::registerWindow(MdiMain::Tool::Help, [](QWidget *p) { return new FrmHlp(p); });
        MdiMain::registerWindow(MdiMain::Tool::About, [](QWidget *p) { return new FrmAbout(p); });
        QVERIFY(main.mnuindexaide->isEnabled());
        QVERIFY(main.mnuabout->isEnabled());

        main.Toolbar1_ButtonClick(QStringLiteral("kaide"));
        QPointer<QWidget> help = main.toolWindow(MdiMain::Tool::Help);
        QVERIFY(qobject_cast<FrmHlp *>(help));
        QVERIFY(help->isVisible() && help->isWindow());
        main.mnuindexaide->trigger();
        QCOMPARE(main.toolWindow(MdiMain::Tool::Help), help.data()); // one instance

        main.mnuabout->trigger();
        QPointer<QWidget> about = main.toolWindow(MdiMain::Tool::About);
        QVERIFY(qobject_cast<FrmAbout *>(about));
        static_cast<FrmAbout *>(about.data())->Command1_Click();
        QTRY_VERIFY(about.isNull());
        help->close();
        QTRY_VERIFY(help.isNull());
        MdiMain::unregisterAll();
    }
};

QTEST_MAIN(TestHelpWindows)
#include "tst_helpwindows.moc"
