// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppFixture.h"
#include "Screenshots.h"
#include "core/Strings.h"
#include "help/FrmAbout.h"
#include "help/FrmHlp.h"
#include "shell/MdiMain.h"

#include <QFile>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

using namespace tembrel;
using namespace tembrel::test;

namespace {

QByteArray shippedGuide() {
    return fileBytes(TEMBREL_SOURCE_DIR "/resources/Tembrel.rtf");
}

// Text of a PDF as pdftotext reads it, blanks collapsed.
QString pdfText(const QString &pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"),
            {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput()).simplified();
}

QString collapsed(QString s) {
    for (QChar c : {QChar(QChar::ParagraphSeparator), QChar(QChar::LineSeparator), QChar(0x2022)})
        s.replace(c, u' ');
    return s.simplified();
}

} // namespace

class TestHelpWindows : public QObject {
    Q_OBJECT

    std::optional<AppFixture> app; // a fresh one for each test

private Q_SLOTS:
    void init() { app.emplace(); }
    void cleanup() { app.reset(); }

    void unreadableDocumentShowsNotice() {
        for (const char *content : {(const char *)nullptr, "", "PK\x03\x04 junk"}) {
            if (content)
                QVERIFY(app->write(QStringLiteral("Tembrel.rtf"), content));
            FrmHlp w;
            QVERIFY(w.TxtRTF->toPlainText().contains(QLatin1String("Tembrel.rtf")));
            QVERIFY(!w.CmdPrint->isEnabled());
            w.CmdPrint_Click();
            QVERIFY(app->dialogs->printerSelectionChosen.isEmpty());
            QVERIFY(app->messageBox->shown.isEmpty());
        }
    }

    void printing_data() {
        QTest::addColumn<bool>("select");
        QTest::addColumn<bool>("dialogSwitchesToAll");
        QTest::addColumn<bool>("accept");
        QTest::newRow("whole document") << false << false << true;
        QTest::newRow("selection") << true << false << true;
        QTest::newRow("selection, All chosen in the dialog") << true << true << true;
        QTest::newRow("cancelled") << false << false << false;
    }
    void printing() {
        QFETCH(bool, select);
        QFETCH(bool, dialogSwitchesToAll);
        QFETCH(bool, accept);
        QVERIFY(app->write(QStringLiteral("Tembrel.rtf"), shippedGuide()));
        const QString pdf = app->path(QStringLiteral("printed.pdf"));
        app->dialogs->acceptPrinter = accept;
        app->dialogs->setUpPrinter = [&](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            if (dialogSwitchesToAll)
                printer.setPrintRange(QPrinter::AllPages);
        };

        FrmHlp w;
        const QTextDocument *doc = w.TxtRTF->document();
        // A selection: the paragraph under the recording heading.
        QTextBlock heading = doc->begin();
        while (heading.isValid() && !heading.text().startsWith(QLatin1String("Recording")))
            heading = heading.next();
        const QTextBlock chosen = heading.next();
        QVERIFY(chosen.text().size() > 40);
        if (select) {
            QTextCursor c(chosen);
            c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            w.TxtRTF->setTextCursor(c);
        }

        w.CmdPrint_Click();

        QCOMPARE(app->dialogs->printerSelectionChosen, QList<bool>{select});
        QCOMPARE(QFile::exists(pdf), accept);
        if (!accept)
            return;
        const QString printed = pdfText(pdf);
        // pdftotext hyphenates nothing but breaks lines; compare word runs.
        QVERIFY2(printed.contains(collapsed(chosen.text()).left(40)),
                 qPrintable(printed.left(300)));
        const bool whole = !select || dialogSwitchesToAll;
        for (const QString &other : {collapsed(doc->firstBlock().text()), collapsed(heading.text()),
                                     collapsed(doc->lastBlock().text()).right(30)})
            QVERIFY2(!other.isEmpty() && printed.contains(other) == whole, qPrintable(other));
    }

    void viewerShowsTheGuide() {
        QVERIFY(app->write(QStringLiteral("Tembrel.rtf"), shippedGuide()));
        FrmHlp w;
        QVERIFY(w.TxtRTF->isReadOnly());
        w.resize(760, 560);
        QVERIFY(active(&w));
        const QImage image = w.grab().toImage();
        // Text drawn in the document: many distinct shades, not a blank box.
        QSet<QRgb> shades;
        for (int y = 0; y < image.height(); y += 3)
            for (int x = 0; x < image.width(); x += 3)
                shades.insert(image.pixel(x, y));
        QVERIFY(shades.size() > 20);
        QVERIFY(test::saveScreenshot(image, QStringLiteral("frmhlp.png")));
    }

    void aboutCopiesAddresses_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("key"); // 0: a mouse click
        QTest::addColumn<QString>("copied");
        QTest::addColumn<int>("message"); // the first of the two strings shown
        const QString mail = QString::fromLatin1(MailAddress);
        QTest::newRow("e-mail, mouse") << "Label2" << 0 << mail << 130;
        QTest::newRow("e-mail, space") << "Label2" << int(Qt::Key_Space) << mail << 130;
        QTest::newRow("web page, enter")
            << "Label8" << int(Qt::Key_Return) << QString::fromLatin1(WebPageAddress) << 132;
    }
    void aboutCopiesAddresses() {
        QFETCH(QString, label);
        QFETCH(int, key);
        QFETCH(int, message);
        app->clipboard->content = QStringLiteral("something older");
        FrmAbout w;
        QVERIFY(active(&w));
        auto *target = w.findChild<QLabel *>(label);
        QVERIFY(target);
        if (key)
            target->setFocus(), QTest::keyClick(target, Qt::Key(key));
        else
            QTest::mouseClick(target, Qt::LeftButton);
        QTEST(app->clipboard->content, "copied");
        QCOMPARE(app->messageBox->texts(),
                 QStringList{LoadResString(message) + u"\r\n"_qs + LoadResString(message + 1)});
    }

    // Only Yes opens the page; a browser that cannot be started is said,
    // with the address to type by hand.
    void netAsksBeforeOpeningTheWebPage_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("browser");
        QTest::addColumn<int>("opened");
        QTest::addColumn<QStringList>("shown");
        const QString ask = LoadResString(148) + " [68]"; // Yes/No, question
        const QString address = QString::fromLatin1(WebPageAddress);
        QTest::newRow("no") << int(vbNo) << true << 0 << QStringList{ask};
        QTest::newRow("yes") << int(vbYes) << true << 1 << QStringList{ask};
        QTest::newRow("yes, no browser")
            << int(vbYes) << false << 1
            << QStringList{ask, LoadResString(192) + "\r\n" + address + " [48]"};
    }
    void netAsksBeforeOpeningTheWebPage() {
        QFETCH(int, answer);
        QFETCH(bool, browser);
        MdiMain main;
        app->messageBox->answers.enqueue(answer);
        app->browser->available = browser;
        main.mnuweb->trigger();
        QTEST(app->messageBox->texts(true), "shown");
        QTEST(int(app->browser->opened.size()), "opened");
        for (const QUrl &url : app->browser->opened)
            QCOMPARE(url, QUrl(QString::fromLatin1(WebPageAddress)));
    }
};

QTEST_MAIN(TestHelpWindows)
#include "tst_helpwindows.moc"
