// SPDX-License-Identifier: GPL-3.0-or-later
// The year's model without widgets.
#include "grid/SpokenText.h"
#include "grid/YearModel.h"

#include "AppFixture.h"
#include "MessageSupport.h"
#include "YearFiles.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

#include <sys/wait.h>
#include <unistd.h>

using namespace tembrel;
using namespace tembrel::test;

namespace {

const QStringList Labels = {"08:00", "08:30", "09:00"};

// What a model holds in its slots, as "row,col:code" sorted.
QStringList slotTexts(const YearModel &m) {
    QStringList out;
    for (int c = 1; c < m.cols(); ++c)
        for (int r = 3; r < m.rows(); ++r)
            if (!m.text(r, c).isEmpty())
                out << QStringLiteral("%1,%2:%3").arg(r).arg(c).arg(m.text(r, c));
    return out;
}

} // namespace

Q_DECLARE_METATYPE(QList<YearCell>)

class TestYearModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // What opening makes of a year file (rows given, 0: none) and the archives
    // in D2005, and whether it wrote the file back.
    void opening_data() {
        QTest::addColumn<int>("fileRows");
        QTest::addColumn<QList<YearCell>>("cells");
        QTest::addColumn<QList<Slot>>("archives");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("rewritten");
        const QList<Slot> none;
        QTest::newRow("nothing yet")
            << 0 << QList<YearCell>{} << none << QStringList{} << 6 << false;
        QTest::newRow("markers with their archives")
            << 6 << QList<YearCell>{{3, 1, ".."}, {5, 365, ":"}} << QList<Slot>{{3, 1}, {5, 365}}
            << QStringList{"3,1:..", "5,365::"} << 6 << false;
        QTest::newRow("an archive without its marker gets the black one")
            << 6 << QList<YearCell>{{3, 1, ".."}} << QList<Slot>{{3, 1}, {4, 10}}
            << QStringList{"3,1:..", "4,10:,"} << 6 << true;
        QTest::newRow("no file, an archive")
            << 0 << QList<YearCell>{} << QList<Slot>{{4, 10}} << QStringList{"4,10:,"} << 6 << true;
        QTest::newRow("an archive below the rows gets its row")
            << 6 << QList<YearCell>{} << QList<Slot>{{9, 2}} << QStringList{"9,2:,"} << 10 << true;
        QTest::newRow("the file's own rows")
            << 8 << QList<YearCell>{{7, 3, "-"}} << none << QStringList{"7,3:-"} << 8 << false;
        QTest::newRow("texts that are no marker stay")
            << 6 << QList<YearCell>{{4, 4, "note"}} << none << QStringList{"4,4:note"} << 6
            << false;
    }
    void opening() {
        QFETCH(int, fileRows);
        QFETCH(QList<YearCell>, cells);
        QFETCH(QList<Slot>, archives);
        QFETCH(QStringList, shown);
        QFETCH(int, rows);
        QFETCH(bool, rewritten);
        AppFixture app(QDate(2005, 3, 10));
        const QByteArray file = fileRows ? yearBytes(2005, fileRows, cells) : QByteArray();
        for (const Slot &slot : archives)
            QVERIFY(storeMessage(2005, slot, flatSound(100)));
        QVERIFY(QDir().mkpath(app.path("D2005")));
        QVERIFY(app.write("D2005/W2005003002.tbr", "")); // empty: no message
        // As the grid opens it (the file, then the archives settled, each
        // change told), and all at once.
        for (const bool deferred : {true, false}) {
            QVERIFY(fileRows ? app.write("_2005.dte", file)
                             : !QFile::exists(app.path("_2005.dte")) ||
                                   QFile::remove(app.path("_2005.dte")));
            YearModel m;
            QSignalSpy reset(&m, &YearModel::reset);
            QSignalSpy changed(&m, &YearModel::changed);
            YearModel::Opening opening;
            if (deferred) {
                m.openFile(2005, Labels);
                QVERIFY(!m.archivesSettled());
                QCOMPARE(slotTexts(m).size(), shown.size() - int(rewritten)); // one restored
                for (const Slot &slot : archives) // settles first: none is recorded over
                    QVERIFY(!m.setRecordingSlot(slot));
                opening = m.settleArchives();
                QCOMPARE(m.settleArchives().restoredMarkers, opening.restoredMarkers);
            } else {
                opening = m.open(2005, Labels);
            }
            const bool grown = deferred && rows > (fileRows ? fileRows : 6);
            QCOMPARE(reset.size(), grown ? 2 : 1);
            QCOMPARE(changed.size(), deferred && !grown ? opening.restoredMarkers : 0);
            QCOMPARE(m.rows(), rows);
            QCOMPARE(m.cols(), 366);
            QCOMPARE(slotTexts(m), shown);
            QCOMPARE(opening.restoredMarkers > 0, rewritten);
            QCOMPARE(app.exists("_2005.dte"), fileRows > 0 || rewritten);
            if (fileRows && !rewritten)
                QCOMPARE(app.read("_2005.dte"), file);
            // Labels from the file or hours.dat (headings: tst_gridwindow).
            QCOMPARE(m.text(3, 0), fileRows ? QStringLiteral("row 3") : Labels[0]);
            if (rewritten) {
                YearModel again;
                QCOMPARE(again.open(2005, Labels).restoredMarkers, 0);
                QCOMPARE(slotTexts(again), shown);
            }
        }
    }

    // Another year opened while the archives of one are listed: the listing
    // that arrives late changes nothing.
    void yearLeftWhileListed() {
        AppFixture app(QDate(2005, 3, 10));
        QVERIFY(storeMessage(2005, {4, 10}, flatSound(100)));
        YearModel m;
        m.openFile(2005, Labels);
        m.openFile(2004, Labels);
        QCoreApplication::processEvents(); // what the 2005 listing posted
        QVERIFY(slotTexts(m).isEmpty());
        QVERIFY(!app.exists("_2005.dte") && !app.exists("_2004.dte"));
        m.openFile(2005, Labels);
        QTRY_VERIFY(m.archivesSettled()); // delivered by the event loop
        QCOMPARE(slotTexts(m), QStringList{"4,10:,"});
    }

    // A damaged file is set aside, never overwritten; what stands of it is
    // recovered and written in its place.
    void damagedFile() {
        AppFixture app(QDate(2005, 3, 10));
        const QByteArray whole = yearBytes(2005, 6, {{3, 1, ".."}, {5, 300, "-"}, {3, 365, ":"}});
        QVERIFY(app.write("_2005.dte", whole.left(whole.size() - 30)));
        YearModel m;
        const YearModel::Opening opening = m.open(2005, Labels);
        QCOMPARE(opening.file, YearContent::State::Damaged);
        QVERIFY(opening.setAside.contains(".damaged-"));
        QCOMPARE(QFileInfo(opening.setAside).size(), whole.size() - 30);
        QCOMPARE(slotTexts(m), (QStringList{"3,1:..", "5,300:-"})); // the last column is cut
        QCOMPARE(loadYearContent(app.path("_2005.dte"), 2005).state, YearContent::State::Whole);
    }

    // A year file that may not be read is neither set aside nor written over,
    // and nothing can be marked in it. Root reads any file, so the opening
    // runs in a child that gives root up.
    void unreadableFile() {
        AppFixture app(QDate(2005, 3, 10));
        const QByteArray whole = yearBytes(2005, 6, {{3, 1, ".."}});
        QVERIFY(app.write("_2005.dte", whole));
        QVERIFY(storeMessage(2005, {4, 9}, flatSound(100)));
        QVERIFY(QFile::setPermissions(app.path("_2005.dte"), {}));
        QVERIFY(QFile::setPermissions(app.path({}), QFile::Permissions(0x7777)));
        const pid_t child = fork();
        if (child == 0) {
            if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
                _exit(2);
            YearModel m;
            const YearModel::Opening opening = m.open(2005, Labels);
            m.setMarker({3, 10}, Marker::Rouge);
            _exit(opening.file == YearContent::State::Unreadable && m.isUnreadable() &&
                          slotTexts(m).isEmpty() && !m.save()
                      ? 0
                      : 1);
        }
        int status = -1;
        QCOMPARE(waitpid(child, &status, 0), child);
        QCOMPARE(WEXITSTATUS(status), 0);
        QVERIFY(QFile::setPermissions(app.path("_2005.dte"), QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(app.read("_2005.dte"), whole);
        QCOMPARE(QDir(app.path({})).entryList({"_2005.dte*"}, QDir::Files),
                 QStringList{"_2005.dte"});
    }

    // What a screen reader says for a cell: never a marker code. A length
    // given for an empty slot is not said.
    void spokenTexts() {
        AppFixture app(QDate(2005, 3, 10));
        YearModel m;
        m.open(2005, Labels + QStringList{QString()});
        m.setMarker({4, 52}, Marker::Vert);
        m.setMarker({5, 365}, Marker::Noir);
        const QStringList said = {spokenText(m, 4, 52),   spokenText(m, 5, 365, 7),
                                  spokenText(m, 3, 1, 7), spokenText(m, 6, 1),
                                  spokenText(m, 1, 365),  spokenText(m, 4, 0),
                                  spokenText(m, 4, 366)};
        QCOMPARE(said, QStringList({"Monday 21 February 2005, 08:30, green message",
                                    "Saturday 31 December 2005, 09:00, black message, 7 seconds",
                                    "Saturday 1 January 2005, 08:00, empty",
                                    "Saturday 1 January 2005, row 4, empty",
                                    "Saturday 31 December 2005", "08:30", ""}));
    }

    // Marking tells the views, saving writes every cell, and the next opening
    // reads them back. (The caption: the recording and playback windows' titles.)
    void markingAndSaving() {
        AppFixture app(QDate(2005, 3, 10));
        YearModel m;
        m.open(2005, Labels);
        QSignalSpy changed(&m, &YearModel::changed);
        m.setMarker({4, 52}, Marker::Vert);
        m.setMarker({2, 52}, Marker::Vert);  // a heading is no slot
        m.setMarker({4, 366}, Marker::Vert); // nor a day past the year
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed[0][0].value<Slot>(), Slot({4, 52}));
        int reported = 0;
        QVERIFY(m.save(
            [&](int done, int total) { reported = done == total ? reported + 1 : reported; }));
        QCOMPARE(reported, 1);
        YearModel again;
        again.open(2005, Labels);
        QCOMPARE(slotTexts(again), QStringList{"4,52:.."});
        again.clear({4, 52});
        QVERIFY(again.save());
        m.open(2005, Labels);
        QVERIFY(slotTexts(m).isEmpty());
        QCOMPARE(QFileInfo(app.path("_2005.dte")).size(), qint64(6) * 366 * YearRecordSize);
    }
};

QTEST_GUILESS_MAIN(TestYearModel)
#include "tst_yearmodel.moc"
