// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile copies of the user's files: each window opens, shows what it can, loses
// no message and leaves the files as they were (each file's own damage: its test).

#include "archive/ZipClass.h"
#include "core/Shared.h"
#include "core/Strings.h"
#include "core/TextRecords.h"
#include "grid/YearFile.h"
#include "help/FrmHlp.h"
#include "shell/MdiMain.h"
#include "shell/PlatformReal.h"
#include "sound/WaveFile.h"
#include "timerows/FrmEmp.h"

#include "AppFixture.h"
#include "GridWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tembrel;
using namespace tembrel::test;

namespace {

// Frees a reader that waits on the FIFO once two seconds have passed, by
// opening the other end while a reader holds it: such a reader then fails
// the test instead of hanging it. stop() says whether one had to be freed.
class FifoWatchdog final {
public:
    explicit FifoWatchdog(const QString &fifo)
        : m_thread([this, path = QFile::encodeName(fifo)] {
            using namespace std::chrono_literals;
            const auto deadline = std::chrono::steady_clock::now() + 2s;
            for (; !m_stop; std::this_thread::sleep_for(20ms)) {
                if (std::chrono::steady_clock::now() < deadline)
                    continue;
                const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                struct stat st {};
                if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISFIFO(st.st_mode))
                    m_freed = true;
                if (fd >= 0)
                    ::close(fd);
            }
        }) {}
    ~FifoWatchdog() { stop(); }
    bool stop() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        return m_freed;
    }

private:
    std::atomic<bool> m_stop = false;
    std::atomic<bool> m_freed = false;
    std::thread m_thread; // last: starts once the rest is ready
};

} // namespace

class TestHostileFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The grid and the time rows window read hours.dat with one reader, so
    // both show the same rows; opening and closing the window rewrites nothing.
    void hoursDatOneReader_data() {
        QTest::addColumn<QByteArray>("content"); // empty: a sparse 30 GB file
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("unclosed quote") << QByteArray("\"08:00\"\r\n\"Lunch, team\r\n\"09:00\"\r\n")
                                        << QStringList{"08:00", "Lunch, team", "09:00"};
        QTest::newRow("empty record")
            << QByteArray("\"08:00\"\r\n\"\"\r\n\"09:00\"\r\n") << QStringList{"08:00", "09:00"};
        QTest::newRow("NUL bytes") << QByteArray("\"08:\x00"
                                                 "00\"\r\n\x00\x00\r\n\"09:00\"\n",
                                                 23)
                                   << QStringList{"08:00", "09:00"};
        QTest::newRow("sparse 30 GB") << QByteArray() << QStringList{};
    }
    void hoursDatOneReader() {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, rows);
        AppFixture app(QDate(2005, 3, 10));
        QVERIFY(app.write(QStringLiteral("hours.dat"), content));
        if (content.isEmpty())
            QVERIFY(QFile::resize(app.path(QStringLiteral("hours.dat")), qint64(30) << 30));
        const qint64 size = QFileInfo(app.path(QStringLiteral("hours.dat"))).size();
        QCOMPARE(timeRowLabels(FrmConsultGrille().GridLegendes), rows);
        FrmEmp hours;
        QCOMPARE(hours.labels(), rows); // the rows its list shows
        hours.close();
        QCOMPARE(QFileInfo(app.path(QStringLiteral("hours.dat"))).size(), size);
        if (!content.isEmpty())
            QCOMPARE(app.read(QStringLiteral("hours.dat")), content);
    }

    // Month and weekday names that Windows-1252 cannot hold are saved as
    // "?" and still show from the locale when the year is opened again.
    void headingsFromTheLocale_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("Russian") << QLocale(QLocale::Russian, QLocale::Russia);
        QTest::newRow("Polish") << QLocale(QLocale::Polish, QLocale::Poland);
    }
    void headingsFromTheLocale() {
        QFETCH(QLocale, locale);
        const QLocale before;
        QLocale::setDefault(locale);
        AppFixture app(QDate(2005, 3, 10));
        QVERIFY(app.writeHours({QStringLiteral("08:00"), QStringLiteral("09:00")}));
        const int col = 257; // Wednesday 14 September: "środa", "wrzesień"
        {
            FrmConsultGrille w;
            w.model().setMarker(Slot{3, col}, Marker::Noir);
            QVERIFY(w.EnregistrerGrille());
        }
        const YearContent saved = loadYearContent(app.path(yearFileName(2005)), 2005);
        const QString month = locale.standaloneMonthName(9).toUpper();
        const QString weekday = locale.standaloneDayName(Qt::Wednesday);
        QVERIFY(saved.text(0, col) != month && saved.text(0, col).contains(QLatin1Char('?')));
        FrmConsultGrille w;
        QLocale::setDefault(before);
        QCOMPARE(w.GridLegendes->TextMatrix(0, col), month);
        QCOMPARE(w.GridLegendes->TextMatrix(1, col), weekday);
        QCOMPARE(w.GridLegendes->TextMatrix(3, col), QStringLiteral(","));
    }

    // A lock file that cannot be made is no other instance: the next place
    // is tried, and without any the program runs. A lock held is one.
    void singleInstance() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath(QStringLiteral("a file"));
        QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        const QString nowhere = file + QStringLiteral("/Tembrel.lock"); // not even root
        const QString fallback = dir.filePath(QStringLiteral("Tembrel.lock"));
        LockFileInstance none({nowhere});
        QVERIFY(!none.anotherInstanceRunning());
        QVERIFY(none.heldPath().isEmpty());
        LockFileInstance first({nowhere, fallback});
        QVERIFY(!first.anotherInstanceRunning());
        QCOMPARE(first.heldPath(), fallback);
        LockFileInstance second({nowhere, fallback});
        QVERIFY(second.anotherInstanceRunning());
    }

    // A FIFO in place of any file the program reads counts as missing (a year
    // file's as damaged): nothing waits for a writer that never comes.
    void fifosAreNoFiles_data() {
        QTest::addColumn<QString>("name");
        for (const char *name : {"param.ini", "pos.ini", "hours.dat", "_2005.dte", "F2005.ini",
                                 "JFValid.ini", "Tembrel.rtf", "D2005/W2005003001.tbr", "temp.wav"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void fifosAreNoFiles() {
        QFETCH(QString, name);
        AppFixture app(QDate(2005, 3, 10));
        QVERIFY(QDir().mkpath(app.path(QStringLiteral("D2005"))));
        QCOMPARE(::mkfifo(QFile::encodeName(app.path(name)).constData(), 0600), 0);
        FifoWatchdog watchdog(app.path(name));
        {
            MdiMain main;
            QVERIFY(main.Form_Load());
            FrmConsultGrille grid;
            FrmHlp help;
            QVERIFY(!readWaveFile(scratchWavePath()).sound);
            QVERIFY(!ZipClass().AddFile(QFile::encodeName(scratchWavePath()).toStdString()));
            QVERIFY(!extractSlotArchive(2005, 3, 1).ok); // removes temp.wav first
        }
        QVERIFY2(!watchdog.stop(), "a reader waited on the FIFO");
        if (name == u"_2005.dte") {
            // Set aside as damaged, and the grid written in its place.
            QVERIFY(QFileInfo(app.path(name)).isFile());
            const QStringList aside =
                QDir(app.path(QString()))
                    .entryList({name + QStringLiteral(".damaged-*")}, QDir::Files | QDir::System);
            QCOMPARE(aside.size(), 1);
        }
    }

    // One program per data folder: a start on a folder in use says so (111) and
    // ends, touching nothing; the lock of a copy that was killed is taken over.
    void oneProgramPerDataFolder() {
        AppFixture app(QDate(2005, 3, 10));
        // The real program, in the folder, keeps its files there.
        QVERIFY(
            QFile::copy(QStringLiteral(TEMBREL_BINARY_DIR "/bin/Tembrel"), app.path("Tembrel")));
        QVERIFY(QDir().mkpath(app.path(QStringLiteral("run"))));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // Its user's own folders: only the data folder is shared.
        for (const char *name : {"XDG_RUNTIME_DIR", "XDG_CACHE_HOME", "TMPDIR"})
            env.insert(QLatin1String(name), app.path(QStringLiteral("run")));
        QProcess other;
        other.setProcessEnvironment(env);
        other.start(app.path(QStringLiteral("Tembrel")));
        QTRY_VERIFY_WITH_TIMEOUT(app.exists(QStringLiteral("Tembrel.lock")), 30000);
        const QDir folder(app.path(QString()));
        const QStringList files = folder.entryList(QDir::AllEntries | QDir::Hidden);
        const QByteArray lock = app.read(QStringLiteral("Tembrel.lock"));
        {
            MdiMain second;
            QVERIFY(!second.Form_Load());
            QCOMPARE(app.messageBox->shown.size(), 1);
            QCOMPARE(app.messageBox->shown[0].text, LoadResString(111));
        }
        QCOMPARE(folder.entryList(QDir::AllEntries | QDir::Hidden), files);
        QCOMPARE(app.read(QStringLiteral("Tembrel.lock")), lock);

        other.kill();
        QVERIFY(other.waitForFinished());
        MdiMain next;
        QVERIFY(next.Form_Load());
        qint64 pid = 0;
        QString host, appName;
        QLockFile held(app.path(QStringLiteral("Tembrel.lock")));
        QVERIFY(held.getLockInfo(&pid, &host, &appName));
        QCOMPARE(pid, QCoreApplication::applicationPid());
    }

    // A program folder whose name is not valid UTF-8 is used as it is,
    // never turned into the root folder.
    void programFolderNamedInAnyBytes() {
        QTemporaryDir dir;
        const QByteArray native = QFile::encodeName(dir.path()) + "/Tembrel-\xff\xfe-\xe9t\xe9";
        namespace fs = std::filesystem;
        QVERIFY(fs::create_directory(fs::path(native.toStdString())));
        const QString folder = usableFolder(native);
        QVERIFY(!folder.isEmpty());
        QVERIFY(folderAcceptsFiles(folder));
        const QString previous = AppFolder;
        setAppFolder(folder);
        QVERIFY(writeFileSafely(appFile(QStringLiteral("param.ini")), "\"Arial\"\r\n"));
        AppFolder = previous;
        std::ifstream written(native.toStdString() + "/param.ini", std::ios::binary);
        std::string line;
        QVERIFY(std::getline(written, line));
        QCOMPARE(QByteArray::fromStdString(line), QByteArray("\"Arial\"\r"));
        QCOMPARE(usableFolder(QFile::encodeName(dir.path())), dir.path());
        // Without a program folder, the user's folder; never "/".
        const QString user = dir.filePath(QStringLiteral("user"));
        QCOMPARE(chooseAppFolder(QString(), user), user);
        QVERIFY(QFileInfo(user).isDir());
    }
};

QTEST_MAIN(TestHostileFiles)
#include "tst_hostilefiles.moc"
