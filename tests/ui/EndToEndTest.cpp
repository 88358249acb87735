// Starts the real program, as a user or a script would, in a temporary folder.

#include "remote/NamesFile.h"
#include "schedule/ScheduleFile.h"
#include "sun/SunriseFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class EndToEndTest : public QObject {
    Q_OBJECT

    static QProcessEnvironment Environment() {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        return env;
    }

    struct Run {
        int exitCode = -1;
        QProcess::ExitStatus status = QProcess::CrashExit;
        QString err;
    };

    static Run Send(const QString& folder, const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(Environment());
        p.setWorkingDirectory(folder);
        p.start(TARNWICK_BINARY, QStringList{"send", "--simulate"} + args);
        if (!p.waitForFinished(30000)) p.kill();
        return {p.exitCode(), p.exitStatus(), QString::fromLocal8Bit(p.readAllStandardError())};
    }

private slots:
    void politeTerminationSavesOnceAndExitsCleanly() {
#ifndef Q_OS_UNIX
        QSKIP("signals are a Unix matter");
#endif
        QTemporaryDir folder;
        QProcess p;
        p.setProcessEnvironment(Environment());
        p.setWorkingDirectory(folder.path());
        p.start(TARNWICK_BINARY, {"--simulate"});
        QVERIFY(p.waitForStarted());
        // Start-up creates the missing files; once names.txt is there the window is up.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder.filePath("names.txt")), 20000);
        for (const char* name : {"config.txt", "schedule.txt", "Sunrise.txt", "names.txt"})
            QVERIFY(QFile::remove(folder.filePath(name)));
        p.terminate(); // SIGTERM
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        // Shutdown wrote all four again.
        for (const char* name : {"config.txt", "schedule.txt", "Sunrise.txt", "names.txt"})
            QVERIFY2(QFile::exists(folder.filePath(name)), name);
        QCOMPARE(QFile(folder.filePath("schedule.txt")).size(), 344064);
        QVERIFY(QDir(folder.path()).entryList(QDir::Files).size() == 4); // no temporary files left
    }

    void terminationDuringTheStartUpMessageLosesNothing() {
#ifndef Q_OS_UNIX
        QSKIP("signals are a Unix matter");
#endif
        QTemporaryDir folder;
        auto schedule = std::make_unique<tarnwick::WeeklyTable>();
        (*schedule)[36][2][0] = {tarnwick::MakeTime(7, 30), tarnwick::kTrue, 0, 0, tarnwick::kFalse, 0};
        auto sun = std::make_unique<tarnwick::SunriseTable>();
        (*sun)[0][2] = {2, tarnwick::MakeTime(0, 30), 1, 0};
        auto names = std::make_unique<tarnwick::DeviceNameTable>();
        (*names)[0][0] = "Porch";
        const QMap<QString, QByteArray> files = {
            {"schedule.txt", QByteArray::fromStdString(tarnwick::FormatSchedule(*schedule))},
            {"Sunrise.txt", QByteArray::fromStdString(tarnwick::FormatSunriseSchedule(*sun))},
            {"names.txt", QByteArray::fromStdString(tarnwick::FormatNames(*names))}};
        for (auto it = files.begin(); it != files.end(); ++it) {
            QFile f(folder.filePath(it.key()));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(it.value()) == it.value().size());
        }
        QProcess p;
        p.setProcessEnvironment(Environment());
        p.setWorkingDirectory(folder.path());
        // The port is refused, so start-up stops at "Comm Port is already open".
        p.start(TARNWICK_BINARY, {"--port", "2=/nonexistent/tty"});
        QVERIFY(p.waitForStarted());
        QTest::qWait(1500);
        QCOMPARE(p.state(), QProcess::Running);
        p.terminate();
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        for (auto it = files.begin(); it != files.end(); ++it) {
            QFile f(folder.filePath(it.key()));
            QVERIFY(f.open(QIODevice::ReadOnly));
            QVERIFY2(f.readAll() == it.value(), qPrintable(it.key()));
        }
    }

    void sendPutsTheFramesOnTheLinesInOrder() {
        QTemporaryDir folder;
        const Run run = Send(folder.path(), {"C5", "on", "A", "bright", "P16", "OFF"});
        QCOMPARE(run.status, QProcess::NormalExit);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QStringLiteral("C5 On\nA Bright\nP16 Off\n"));
        QVERIFY(QDir(folder.path()).entryList(QDir::Files).isEmpty()); // writes no data file
    }

    void sendUsesThePortOfTheConfigFile() {
        QTemporaryDir folder;
        QFile config(folder.filePath("config.txt"));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("\"COM 3\"\r\n\"Pentium I\"\r\n\"200MHz\"\r\n45\r\n0\r\n0\r\n6\r\n#TRUE#\r\n");
        config.close();
        // COM 3 is mapped to a device that does not exist, so the send must fail and say so.
        QProcess p;
        p.setProcessEnvironment(Environment());
        p.setWorkingDirectory(folder.path());
        p.start(TARNWICK_BINARY, {"send", "--port", "3=/nonexistent/tty", "A1", "on"});
        QVERIFY(p.waitForFinished(30000));
        QVERIFY(p.exitCode() != 0);
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        QVERIFY2(err.contains("COM 3") && err.contains("/nonexistent/tty"), qPrintable(err));
    }

    void sendRejectsBadCommands() {
        QTemporaryDir folder;
        for (const QStringList& args : {QStringList{"Q7", "on"}, {"A17", "on"}, {"A1", "up"}}) {
            const Run run = Send(folder.path(), args);
            QVERIFY(run.exitCode != 0);
            QVERIFY2(run.err.startsWith("tarnwick: "), qPrintable(run.err));
            QVERIFY2(!run.err.contains(" On\n"), qPrintable(run.err)); // nothing was sent
        }
    }
};

QTEST_GUILESS_MAIN(EndToEndTest)
#include "EndToEndTest.moc"
