// The real program as a service without a display, and the window and the service taking
// turns in one folder, on the real clock.

#include <QtTest>

#include <csignal>

class ServiceTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> folder;

    // The service sees no display at all; the window draws offscreen.
    void Start(QProcess& p, const QStringList& args, bool window = false) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
        if (window) env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(folder->path());
        p.start(TARNWICK_BINARY, args);
        QVERIFY(p.waitForStarted());
    }
    QByteArray Read(const QString& name) const {
        QFile f(folder->filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static bool EndedCleanly(QProcess& p) {
        p.terminate();
        return p.waitForFinished(20000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }
    // Waits until the clock next reads the given second of a minute, at least a second on.
    static void WaitUntilSecond(double second) {
        const QTime now = QTime::currentTime();
        double wait = second - (now.second() + now.msec() / 1000.0);
        while (wait < 1) wait += 60;
        QTest::qWait(static_cast<int>(wait * 1000));
    }
    // The command due at minute m of any day: each minute one switching of its own, so that a
    // minute scanned twice or skipped shows in what went out.
    static QString CommandAt(int m) {
        const int device = m % 256, half = m / 256;
        return QStringLiteral("%1%2 %3")
            .arg(QChar('A' + device / 16))
            .arg(device % 16 + 1)
            .arg(half < 4 ? "On" : "Off");
    }

private slots:
    void init() { folder = std::make_unique<QTemporaryDir>(); }

    void aServiceRunsWithoutADisplayLogsAndSavesWhenTerminated() {
        QProcess service;
        Start(service, {"--headless", "--simulate"});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder->filePath("names.txt")), 20000);
        QProcess second;
        Start(second, {"--headless", "--simulate"});
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitCode(), 3);
        QVERIFY(second.readAllStandardError().startsWith("Tarnwick is already running in this folder.\n"));
        QFile::remove(folder->filePath("config.txt"));
        QVERIFY(EndedCleanly(service));
        QCOMPARE(service.readAllStandardError(), QByteArray("Simulated interface\n"));
        QVERIFY(Read("config.txt").startsWith("\"COM 2\"\r\n"));
    }

    // Service, window, the window ends, service again: each minute's switching goes out once.
    void theWindowAndTheServiceTakeTurnsScanningEveryMinuteOnce() {
        const QByteArray clear = "#00:00:00#\r\n#FALSE#\r\n0\r\n";
        QByteArray schedule;
        for (int device = 0; device < 256; ++device) {
            QByteArray day;
            for (int pair = 0; pair < 4; ++pair) {
                const int on = pair * 256 + device, off = (pair + 4) * 256 + device;
                const auto half = [&](int m) {
                    return m < 1440 ? QStringLiteral("#%1:%2:00#\r\n#TRUE#\r\n0\r\n")
                                          .arg(m / 60, 2, 10, QChar('0'))
                                          .arg(m % 60, 2, 10, QChar('0'))
                                          .toLatin1()
                                    : clear;
                };
                day += half(on) + half(off);
            }
            schedule += day.repeated(7);
        }
        QFile file(folder->filePath("schedule.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(schedule) == schedule.size());
        file.close();

        QProcess service, window;
        const QTime started = QTime::currentTime();
        // Each handover straddles the start of a minute, which must be scanned once.
        Start(service, {"--headless", "--simulate"});
        WaitUntilSecond(59.5);
        Start(window, {"--simulate"}, true);
        WaitUntilSecond(59.7);
        QVERIFY(EndedCleanly(window));
        WaitUntilSecond(5);
        const QTime ended = QTime::currentTime();
        QVERIFY(EndedCleanly(service));
        QVERIFY2(ended.hour() >= started.hour(), "the test ran over midnight; run it again");

        QStringList expected, sent;
        for (int m = started.hour() * 60 + started.minute() + 1; m <= ended.hour() * 60 + ended.minute(); ++m)
            expected << CommandAt(m);
        for (const QByteArray& line : Read("history.txt").split('\n'))
            if (!line.isEmpty()) sent << QString::fromLatin1(line.split('\t').value(1));
        QCOMPARE(sent, expected);
        QVERIFY(service.readAllStandardError().contains("the folder is free again"));
    }
};

QTEST_GUILESS_MAIN(ServiceTest)
#include "ServiceTest.moc"
