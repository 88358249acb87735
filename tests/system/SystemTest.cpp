// Starts the real program, as a user or a script would, in a temporary folder.

#include <QtTest>

#include <csignal>
#include <thread>

class SystemTest : public QObject {
    Q_OBJECT

    const QStringList names{"config.txt", "schedule.txt", "Sunrise.txt", "names.txt"};
    std::unique_ptr<QTemporaryDir> folder;

    void Start(QProcess& p, const QStringList& args) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        p.setWorkingDirectory(folder->path());
        p.start(TARNWICK_BINARY, args);
        QVERIFY(p.waitForStarted());
    }
    QByteArray Read(const QString& name) const {
        QFile f(QDir(folder->path()).filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void Write(const QString& name, const QByteArray& bytes) const {
        QFile f(folder->filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size());
    }
    static bool EndedCleanly(QProcess& p) {
        return p.waitForFinished(20000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

private slots:
    void init() { folder = std::make_unique<QTemporaryDir>(); }

    void aSignalEndsTheProgramCleanlyAndItSavesEverything_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }
    void aSignalEndsTheProgramCleanlyAndItSavesEverything() {
        QFETCH(int, signal);
        QProcess p;
        Start(p, {"--simulate"});
        // Start-up writes the missing files, names.txt last.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder->filePath("names.txt")), 20000);
        for (const QString& name : names) QVERIFY(QFile::remove(folder->filePath(name)));
        ::kill(static_cast<pid_t>(p.processId()), signal);
        QVERIFY(EndedCleanly(p));
        // The four, and the settings file with the last minute scanned; no temporary left.
        QCOMPARE(QDir(folder->path()).entryList(QDir::Files | QDir::Hidden).size(), 5);
        QVERIFY(Read("schedule.txt").size() == 344064);
        QVERIFY(Read("config.txt").startsWith("\"COM 2\"\r\n"));
    }

    void terminationDuringTheStartUpMessageLosesNothing() {
        const QByteArray config =
            "\"COM 1\"\r\n\"Pentium IV\"\r\n\"3200MHz\"\r\n30\r\n32.78\r\n-96.8\r\n6\r\n#FALSE#\r\n";
        const QByteArray deviceNames = "\"Porch\"\r\n" + QByteArray("\"\"\r\n").repeated(255);
        const QByteArray clear = "#00:00:00#\r\n#FALSE#\r\n0\r\n#00:00:00#\r\n#FALSE#\r\n0\r\n";
        const QByteArray schedule = "#07:30:00#\r\n#TRUE#\r\n0\r\n" + clear.mid(24) + clear.repeated(7167);
        const QByteArray sun = "2\r\n#00:30:00#\r\n1\r\n#00:00:00#\r\n" +
                               QByteArray("0\r\n#00:00:00#\r\n0\r\n#00:00:00#\r\n").repeated(1023);
        const QMap<QString, QByteArray> files = {{"config.txt", config},
                                                 {"names.txt", deviceNames},
                                                 {"schedule.txt", schedule},
                                                 {"Sunrise.txt", sun}};
        for (auto it = files.begin(); it != files.end(); ++it) Write(it.key(), it.value());
        QProcess p;
        // The port is refused, so start-up stops at "Comm Port is already open".
        Start(p, {"--port", "1=/nonexistent/tty"});
        QTest::qWait(1500);
        QCOMPARE(p.state(), QProcess::Running);
        p.terminate();
        QVERIFY(EndedCleanly(p));
        for (auto it = files.begin(); it != files.end(); ++it)
            QVERIFY2(Read(it.key()) == it.value(), qPrintable(it.key()));
    }

    // One program per data folder: a second start says so and leaves the files alone, while a
    // send goes out; a lock left by a killed program holds nobody back.
    void aSecondProgramInTheSameFolderSaysSoAndWritesNothing() {
        QProcess first, second;
        Start(first, {"--simulate"});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder->filePath("names.txt")), 20000);
        QVERIFY(QFile::remove(folder->filePath("names.txt")));
        Start(second, {"--simulate"});
        QVERIFY(second.waitForFinished(20000));
        QVERIFY(second.exitCode() != 0);
        const QByteArray said = second.readAllStandardError();
        QVERIFY2(said.contains("Tarnwick is already running in this folder.\n\n" +
                               QFileInfo(folder->path()).canonicalFilePath().toUtf8()),
                 said.constData());
        QVERIFY(!QFile::exists(folder->filePath("names.txt"))); // it read and wrote nothing
        Start(second, {"send", "--simulate", "C5", "on"});
        QVERIFY(EndedCleanly(second));
        ::kill(static_cast<pid_t>(first.processId()), SIGKILL);
        QVERIFY(first.waitForFinished(20000));
        Start(second, {"--simulate"});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder->filePath("names.txt")), 20000);
        second.terminate();
        QVERIFY(EndedCleanly(second));
    }

    // A folder the program may not write still takes one program at a time; the lock lies
    // elsewhere, and the exit says what was not saved.
    void aReadOnlyFolderStillTakesOneProgramAndItsExitSaysWhatWasNotSaved() {
        QFile::setPermissions(folder->path(), QFile::ReadOwner | QFile::ExeOwner);
        QProcess first, second;
        Start(first, {"--simulate"});
        QTest::qWait(1500);
        Start(second, {"--simulate"});
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitCode(), 3);
        QVERIFY(second.readAllStandardError().contains("Tarnwick is already running in this folder."));
        QVERIFY(QDir(folder->path()).isEmpty()); // not even the lock
        first.terminate();
        QVERIFY(first.waitForFinished(20000));
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        QCOMPARE(first.exitCode(), 1);
        const QByteArray said = first.readAllStandardError();
        QVERIFY2(
            said.contains("Changes could not be saved to config.txt, schedule.txt, Sunrise.txt, names.txt, "
                          "tarnwick.ini."),
            said.constData());
        QFile::setPermissions(folder->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void sendPutsTheFramesOnTheLinesInOrderOrSaysWhyNot() {
        QProcess p;
        Start(p, {"send", "--simulate", "C5", "on", "A", "bright", "P16", "OFF"});
        QVERIFY(EndedCleanly(p));
        QCOMPARE(p.readAllStandardError(), QByteArray("C5 On\nA Bright\nP16 Off\n"));
        QVERIFY(QDir(folder->path()).isEmpty()); // writes no data file
        for (const QStringList& args : {QStringList{"Q7", "on"}, {"A17", "on"}, {"A1", "up"}, {"A", "on"}}) {
            Start(p, QStringList{"send", "--simulate"} + args);
            QVERIFY(p.waitForFinished(20000));
            QVERIFY(p.exitCode() != 0);
            const QByteArray err = p.readAllStandardError();
            QVERIFY2(err.startsWith("tarnwick: "), err.constData());
            QVERIFY2(!err.contains(" On\n"), err.constData());
        }
        // COM 3 of config.txt is mapped to a device that does not exist: the send fails and says so.
        Write("config.txt", "\"COM 3\"\r\n\"Pentium I\"\r\n\"200MHz\"\r\n45\r\n0\r\n0\r\n6\r\n#TRUE#\r\n");
        Start(p, {"send", "--port", "3=/nonexistent/tty", "A1", "on"});
        QVERIFY(p.waitForFinished(20000));
        QVERIFY(p.exitCode() != 0);
        const QByteArray err = p.readAllStandardError();
        QVERIFY2(err.contains("COM 3"), err.constData());
        QVERIFY2(err.contains("/nonexistent/tty"), err.constData());
    }

    // A mistake on a service's command line is answered without a display, as any other.
    void aHeadlessStartWithABadArgumentSaysSoWithoutADisplay() {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(folder->path());
        for (const QStringList& args :
             {QStringList{"--headless", "--catchup"}, {"--headless", "-platform", "offscreen"}}) {
            p.start(TARNWICK_BINARY, args);
            QVERIFY(p.waitForFinished(20000));
            QCOMPARE(p.exitStatus(), QProcess::NormalExit);
            QCOMPARE(p.exitCode(), 2);
            const QByteArray err = p.readAllStandardError();
            QVERIFY2(err.startsWith("tarnwick: unknown argument"), err.constData());
        }
        QVERIFY(QDir(folder->path()).isEmpty());
    }

    // SIGKILL while the program writes its files at exit, again and again: every data file must be
    // found old or new byte for byte, never half-written. The old files hold the same settings with
    // bare line feeds, which the program reads alike and always writes anew.
    // A1 is on every day at a time twelve hours off: the week before any start holds it, the
    // next seconds never do. Only a start asked to catch up sends it.
    void aStartCatchesUpOnlyWhenAsked() {
        const QByteArray clear = "#00:00:00#\r\n#FALSE#\r\n0\r\n";
        const QByteArray on =
            QTime::currentTime().addSecs(12 * 3600).toString("#hh:mm:00#\r\n#TRUE#\r\n0\r\n").toLatin1();
        const QByteArray day = on + clear + (clear + clear).repeated(3);
        Write("schedule.txt", day.repeated(7) + (clear + clear).repeated(4 * 7 * 255));
        for (const bool catchUp : {false, true}) {
            QProcess p;
            Start(p, catchUp ? QStringList{"--simulate", "--catch-up"} : QStringList{"--simulate"});
            QTest::qWait(4000);
            p.terminate();
            QVERIFY(EndedCleanly(p));
            const QByteArray said = p.readAllStandardError();
            QCOMPARE(said.contains("A1 On"), catchUp);
            QCOMPARE(Read("history.txt").contains("\tA1 On\t\tcatch-up\r\n"), catchUp);
        }
    }

    // plan lists what the week's plan holds, beside a running program, and writes nothing.
    void planListsTheComingSwitchingsAndChangesNothing() {
        const QByteArray clear = "#00:00:00#\r\n#FALSE#\r\n0\r\n";
        const QDateTime at = QDateTime::currentDateTime().addSecs(2 * 3600);
        const QByteArray on = at.toString("#hh:mm:00#\r\n#TRUE#\r\n0\r\n").toLatin1();
        const QByteArray day = on + clear + (clear + clear).repeated(3);
        Write("schedule.txt", day.repeated(7) + (clear + clear).repeated(4 * 7 * 255));
        Write("names.txt", "\"Porch\tLight\"\r\n");
        const auto plan = [this](const QStringList& args, int status = 0) -> QByteArray {
            QProcess p;
            p.setWorkingDirectory(folder->path());
            p.start(TARNWICK_BINARY, QStringList{"plan"} + args);
            return p.waitForFinished(20000) && p.exitCode() == status ? p.readAllStandardOutput() : "failed";
        };
        const QByteArray first = at.toString("yyyy-MM-ddThh:mm").toLatin1() + "\tA1 On\tPorch Light\t" +
                                 QLocale::c().dayName(at.date().dayOfWeek()).toLatin1() + ", pair 1\n";
        QCOMPARE(plan({"--days", "1"}), first);
        QCOMPARE(plan({}).count('\n'), 7);
        QCOMPARE(plan({"--days=0"}, 2), QByteArray());
        QCOMPARE(QDir(folder->path()).entryList(QDir::Files).size(), 2); // none written
    }

    void filesAreOldOrNewAfterAKillAtAnyMoment() {
        const int rounds = qEnvironmentVariableIsSet("TARNWICK_KILL_ROUNDS")
                               ? qEnvironmentVariableIntValue("TARNWICK_KILL_ROUNDS")
                               : 200;
        // A first run makes the files and shows how long a start and an exit take here.
        QElapsedTimer took;
        took.start();
        QProcess first;
        Start(first, {"--simulate"});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder->filePath("names.txt")), 20000);
        const qint64 startUp = took.restart();
        first.terminate();
        QVERIFY(EndedCleanly(first));
        const qint64 exitUs = took.nsecsElapsed() / 1000 + 1;
        QMap<QString, QByteArray> fresh, old;
        for (const QString& n : names) old[n] = QByteArray(fresh[n] = Read(n)).replace("\r\n", "\n");
        for (int round = 0; round < rounds; ++round) {
            for (const QString& n : names) Write(n, old[n]);
            QProcess p;
            Start(p, {"--simulate"});
            // Once it is up, ask it to end, which writes all four files, and kill it at a random
            // moment of that.
            std::this_thread::sleep_for(std::chrono::milliseconds(2 * startUp));
            ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
            std::this_thread::sleep_for(
                std::chrono::microseconds(QRandomGenerator::global()->bounded(exitUs)));
            ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
            QVERIFY(p.waitForFinished(20000));
            for (const QString& n : names)
                QVERIFY2(Read(n) == old[n] || Read(n) == fresh[n],
                         qPrintable(QStringLiteral("round %1: %2").arg(round).arg(n)));
        }
    }
};

QTEST_GUILESS_MAIN(SystemTest)
#include "SystemTest.moc"
