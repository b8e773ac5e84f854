// SPDX-License-Identifier: GPL-3.0-or-later
// The list of messages without widgets.
#include "grid/MessagesModel.h"
#include "sound/SoundExport.h"

#include "AppFixture.h"
#include "MessageSupport.h"

#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

using namespace tembrel;
using namespace tembrel::test;

namespace {

const QStringList Labels = {"08:00", "08:30", "Lunch"};
constexpr int Dec8 = 342;

struct Listed {
    AppFixture app;
    YearModel year;
    std::unique_ptr<MessagesModel> model;
    MessagesFilter filter;

    // Three messages in 2005, one in 2004.
    Listed() {
        app.writeHours(Labels);
        storeMessage(2005, {3, Dec8}, flatSound(1500), Marker::Rouge);
        storeMessage(2005, {5, 3}, flatSound(3000), Marker::Bleu);
        storeMessage(2005, {4, Dec8}, flatSound(500), Marker::Jaune);
        storeMessage(2004, {3, 60}, flatSound(2000), Marker::Vert);
        year.open(2005, Labels);
        model = std::make_unique<MessagesModel>(year);
        filter.setSourceModel(model.get());
        waitForLengths();
    }
    void waitForLengths() {
        QSignalSpy done(model.get(), &MessagesModel::lengthsDone);
        QVERIFY(model->lengthsKnown() || done.wait(5000));
    }
    // The filtered rows, each column's text joined by "|".
    QStringList rows() const {
        QStringList out;
        for (int r = 0; r < filter.rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < MessagesModel::ColumnCount; ++c)
                cells << filter.index(r, c).data().toString();
            out << cells.join('|');
        }
        return out;
    }
};

const QString Jan3 = "Monday 3 January 2005|Lunch|Blue|3.0";
const QString Red = "Thursday 8 December 2005|08:00|Red|1.5";
const QString Yellow = "Thursday 8 December 2005|08:30|Yellow|0.5";
const QString Feb29 = "Sunday 29 February 2004|08:00|Green|2.0";

} // namespace

class TestMessagesModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void listing_data() {
        QTest::addColumn<bool>("everyYear");
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("descending");
        QTest::addColumn<int>("hidden"); // a Marker, None: all shown
        QTest::addColumn<QString>("search");
        QTest::addColumn<QStringList>("shown");
        const int none = int(Marker::None);
        QTest::newRow("by date") << false << 0 << false << none << ""
                                 << QStringList{Jan3, Red, Yellow};
        QTest::newRow("every year")
            << true << 0 << false << none << "" << QStringList{Feb29, Jan3, Red, Yellow};
        QTest::newRow("by time row")
            << false << 1 << false << none << "" << QStringList{Red, Yellow, Jan3};
        QTest::newRow("by colour")
            << false << 2 << false << none << "" << QStringList{Red, Jan3, Yellow};
        QTest::newRow("longest first")
            << false << 3 << true << none << "" << QStringList{Jan3, Red, Yellow};
        QTest::newRow("red hidden")
            << false << 0 << false << int(Marker::Rouge) << "" << QStringList{Jan3, Yellow};
        QTest::newRow("month name")
            << false << 0 << false << none << "december" << QStringList{Red, Yellow};
        QTest::newRow("short date")
            << false << 0 << false << none << "08/12" << QStringList{Red, Yellow};
        QTest::newRow("label") << false << 0 << false << none << "Lunch" << QStringList{Jan3};
        QTest::newRow("time") << true << 0 << false << none << "08:00" << QStringList{Feb29, Red};
        QTest::newRow("nothing") << false << 0 << false << none << "Dinner" << QStringList{};
    }
    void listing() {
        QFETCH(bool, everyYear);
        QFETCH(int, column);
        QFETCH(bool, descending);
        QFETCH(int, hidden);
        QFETCH(QString, search);
        Listed l;
        l.model->setEveryYear(everyYear);
        l.waitForLengths();
        l.filter.setColourShown(Marker(hidden), false);
        l.filter.setSearchText(search);
        l.filter.sort(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
        QTEST(l.rows(), "shown");
    }

    // Storing, deleting and reopening show at once, without rereading D2005.
    void followsTheYear() {
        Listed l;
        l.filter.sort(0);
        QVERIFY(storeMessage(2005, {4, 3}, flatSound(2500)));
        l.year.setMarker({4, 3}, Marker::Noir);
        QCOMPARE(l.rows().value(0), "Monday 3 January 2005|08:30|Black|2.5");
        l.year.clear({3, Dec8});
        QCOMPARE(l.rows(), (QStringList{"Monday 3 January 2005|08:30|Black|2.5", Jan3, Yellow}));
        l.year.open(2004, Labels);
        l.waitForLengths();
        QCOMPARE(l.rows(), QStringList{Feb29});
        // A hidden list does nothing, and catches up when it shows again.
        l.model->setActive(false);
        l.year.open(2005, Labels);
        l.year.clear({5, 3});
        QCOMPARE(l.rows(), QStringList{});
        l.model->setActive(true);
        l.waitForLengths();
        QCOMPARE(l.rows(), (QStringList{"Monday 3 January 2005|08:30|Black|2.5", Red, Yellow}));
    }

    // A WAV is the stored wave byte for byte, an empty slot has none, and a
    // dragged row is a WAV file named after the message. (Other formats and
    // failures as the user meets them: tst_messageslist.)
    void exporting() {
        Listed l;
        const QByteArray wave = *encodeWave(flatSound(1500));
        const QString wav = l.app.path("out.wav");
        QCOMPARE(exportSlot(2005, {3, Dec8}, wav, *exportTypeForFile(wav)), QString());
        QCOMPARE(l.app.read("out.wav"), wave);
        QCOMPARE(exportFileName(QDate(2005, 12, 8), "08:00", Marker::Rouge, "flac"),
                 "2005-12-08 08-00 Red.flac");
        QVERIFY(!exportSlot(2005, {3, 4}, wav, *exportTypeForFile(wav)).isEmpty());

        const int row = l.model->rowOf(2005, {3, Dec8});
        std::unique_ptr<QMimeData> mime(l.model->mimeData({l.model->index(row, 0)}));
        QVERIFY(mime && mime->urls().size() == 1);
        const QString dragged = mime->urls().first().toLocalFile();
        QCOMPARE(QFileInfo(dragged).fileName(), "2005-12-08 08-00 Red.wav");
        QCOMPARE(fileBytes(dragged), wave);
    }
};

QTEST_GUILESS_MAIN(TestMessagesModel)
#include "tst_messagesmodel.moc"
