// The program in places that fight back: folders and files it may not write,
// a data file that is a folder, a schedule.txt of a gigabyte, a serial device
// that goes away in the middle of a frame.

#include "support/WindowFixture.h"

#include "schedule/ScheduleFile.h"
#include "x10/CodeTable.h"
#include "app/QtSerialControl.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QtTest>

#include <filesystem>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>
#endif

using namespace tarnwick;
using tarnwick::testing::WindowFixture;

namespace fs = std::filesystem;

class HostileTest : public QObject {
    Q_OBJECT

    const QStringList names{"config.txt", "schedule.txt", "Sunrise.txt", "names.txt"};

    static QByteArray Read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static void RunMinutes(WindowFixture& f, int minutes) {
        for (int i = 0; i < minutes * 40; ++i) {
            f.clock.AdvanceSeconds(1.5);
            f.window->Tick();
        }
    }
    QMap<QString, QByteArray> Snapshot(const QString& folder) {
        QMap<QString, QByteArray> files;
        for (const auto& n : QDir(folder).entryList(QDir::Files | QDir::Hidden))
            files[n] = Read(folder + "/" + n);
        return files;
    }
    // A folder with the program's own files in it, made by a first run.
    void MakeFiles(const QString& folder) {
        WindowFixture first(false, MakeDateTime(2026, 12, 8, 7, 29, 10), folder);
        first.window->Load();
        first.window->Shutdown();
    }

private slots:
    void readOnlyFolderOrFilesAreLeftAloneAndNothingIsLost_data() {
        QTest::addColumn<bool>("folderReadOnly");
        QTest::newRow("read-only folder") << true;
        QTest::newRow("read-only files") << false;
    }
    void readOnlyFolderOrFilesAreLeftAloneAndNothingIsLost() {
        QFETCH(bool, folderReadOnly);
        QTemporaryDir data;
        MakeFiles(data.path());
        const auto before = Snapshot(data.path());
        const auto readOnly = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
        if (folderReadOnly)
            fs::permissions(data.path().toStdString(), readOnly, fs::perm_options::remove);
        else
            for (const auto& n : names)
                fs::permissions(data.filePath(n).toStdString(), readOnly, fs::perm_options::remove);

        WindowFixture f(false, MakeDateTime(2026, 12, 8, 7, 29, 10), data.path());
        f.window->Load();
        f.window->State().WeeklySchedule[36][2][0] = {MakeTime(7, 45), kTrue, 0, 0, kFalse, 0};
        f.window->State().DeviceNames[1][2] = "Den Lamp";
        f.window->findChild<QAction*>("mnuCOM3")->trigger();
        RunMinutes(f, 3); // three minute saves, all refused
        QCOMPARE(Snapshot(data.path()), before);
        QCOMPARE(f.window->State().WeeklySchedule[36][2][0].OnTime, MakeTime(7, 45));

        // Once the user lets it write again, everything entered is still there to save.
        fs::permissions(data.path().toStdString(), fs::perms::owner_write, fs::perm_options::add);
        for (const auto& n : names)
            fs::permissions(data.filePath(n).toStdString(), fs::perms::owner_write, fs::perm_options::add);
        f.window->Shutdown();
        QVERIFY(Read(data.filePath("names.txt")).contains("\"Den Lamp\""));
        QVERIFY(Read(data.filePath("config.txt")).startsWith("\"COM 3\""));
        QVERIFY(Read(data.filePath("schedule.txt")).contains("#07:45:00#"));
    }

    void aDataFileThatIsAFolderStopsNothing() {
        QTemporaryDir data;
        QVERIFY(QDir(data.path()).mkdir("schedule.txt"));
        WindowFixture f(false, MakeDateTime(2026, 12, 8, 7, 29, 10), data.path());
        f.window->Load();
        f.window->State().WeeklySchedule[0][2][0] = {MakeTime(7, 30), kTrue, 0, 0, kFalse, 0};
        RunMinutes(f, 1);
        QCOMPARE(f.TakeSent(), QStringList{"A1 On"}); // it runs on what it has in memory
        f.window->Shutdown();
        QVERIFY(QFileInfo(data.filePath("schedule.txt")).isDir());
        for (const char* other : {"config.txt", "Sunrise.txt", "names.txt"})
            QVERIFY(QFile::exists(data.filePath(other)));
    }

    void aGigabyteScheduleIsReadOnlyAsFarAsNeeded() {
        QTemporaryDir data;
        auto table = std::make_unique<WeeklyTable>();
        (*table)[255][6][3] = {MakeTime(23, 59), kTrue, 0, MakeTime(0, 1), kTrue, -5};
        {
            QFile schedule(data.filePath("schedule.txt"));
            QVERIFY(schedule.open(QIODevice::WriteOnly));
            schedule.write(QByteArray::fromStdString(FormatSchedule(*table)));
            QVERIFY(schedule.resize(1024LL * 1024 * 1024)); // the rest is a hole of zero bytes
        }
        WindowFixture f(false, MakeDateTime(2026, 12, 8, 7, 29, 10), data.path());
        f.window->Load();
        QCOMPARE(f.window->State().WeeklySchedule[255][6][3], (*table)[255][6][3]);
        f.window->Shutdown();
        // Written back whole and sound.
        QCOMPARE(Read(data.filePath("schedule.txt")), QByteArray::fromStdString(FormatSchedule(*table)));
    }

    void aDeviceThatGoesAwayMidFrameKeepsTheTimingAndComesBack() {
        // The serial control goes dead after a few line changes, as an unplugged adapter does.
        struct Vanishing : testing::RecordingSerialControl {
            int changesLeft = -1;
            void SetDTREnable(bool a) override { Change(testing::LineChange::DTR, a); }
            void SetRTSEnable(bool a) override { Change(testing::LineChange::RTS, a); }
            void Change(testing::LineChange::Line line, bool a) {
                if (changesLeft == 0) {
                    SetPortOpen(false);
                    return;
                }
                if (changesLeft > 0) --changesLeft;
                line == testing::LineChange::DTR ? RecordingSerialControl::SetDTREnable(a)
                                                 : RecordingSerialControl::SetRTSEnable(a);
            }
        };
        auto state = std::make_unique<AppState>();
        InitializeData(*state, 0);
        state->CpuFactor = 1;
        state->ClockFactor = 25;
        Vanishing serial;
        QVERIFY(OpenPort(serial));
        serial.changes.clear();
        serial.changesLeft = 20;
        testing::SteppingSteadyClock steady(250'000);
        Transmitter transmitter(*state, serial, &steady);
        transmitter.Transmit_Message(76);
        QVERIFY(!serial.PortOpen());
        QCOMPARE(serial.changes.size(), size_t(20));
        QVERIFY(steady.reads() >= 79 * 5); // every half-step still waited its full length
        QCOMPARE(state->FrameStep, 0);
        serial.changesLeft = -1; // plugged in again
        QVERIFY(OpenPort(serial));
        serial.changes.clear();
        transmitter.Transmit_Message(76);
        QCOMPARE(serial.changes.size(), size_t(79 * 2 + 2));
    }

    // A pseudo-terminal stands in for a USB adapter: its device can go away and come
    // back under a fixed path. It has no modem lines, so what the port is asked to do
    // with them is watched instead.
    void aRealPortOpensWithBothLinesUpAndIsOpenedAgainAfterItWentAway() {
#ifndef Q_OS_UNIX
        QSKIP("pseudo-terminals are a Unix matter");
#else
        QTemporaryDir dir;
        const std::string link = dir.filePath("ttyUSB0").toStdString();
        const auto plugIn = [&link] {
            const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
            if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return -1;
            ::unlink(link.c_str());
            return ::symlink(::ptsname(master), link.c_str()) == 0 ? master : -1;
        };
        int master = plugIn();
        QVERIFY(master >= 0);

        QtSerialControl serial({{2, link}});
        QStringList calls;
        serial.SetLineObserver([&calls](QtSerialControl::Line line, bool up) {
            calls << QString(line == QtSerialControl::Line::Dtr ? "DTR" : "RTS") + (up ? "+" : "-");
        });
        serial.SetCommPort(2);
        QVERIFY(OpenPort(serial));
        QCOMPARE(calls, (QStringList{"DTR+", "RTS+"})); // nothing lowers a line at the open

        ::close(master); // unplugged
        QTRY_VERIFY_WITH_TIMEOUT(!serial.PortOpen(), 5000);
        auto state = std::make_unique<AppState>();
        InitializeData(*state, 0);
        Transmitter transmitter(*state, serial, nullptr);
        transmitter.ReopenBeforeFrames();
        transmitter.Transmit_Message(76); // no adapter: the frame is lost, the program goes on
        QVERIFY(!serial.PortOpen());

        master = plugIn(); // plugged in again
        QVERIFY(master >= 0);
        calls.clear();
        transmitter.Transmit_Message(76);
        QVERIFY(serial.PortOpen());
        QCOMPARE(calls.mid(0, 2), (QStringList{"DTR+", "RTS+"}));
        QCOMPARE(calls.size(), 2 + 79 * 2 + 2); // then the whole frame
        serial.SetPortOpen(false);
        ::close(master);
#endif
    }
};

QTEST_MAIN(HostileTest)
#include "HostileTest.moc"
