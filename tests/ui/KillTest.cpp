// Kills the real program with SIGKILL while it writes its files, again and again:
// every data file must be found whole, old or new, never half-written.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <thread>

class KillTest : public QObject {
    Q_OBJECT

    const QStringList names{"config.txt", "schedule.txt", "Sunrise.txt", "names.txt"};

    static QByteArray Read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static void Write(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    static QProcessEnvironment Environment() {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        return env;
    }
    // True once the process has its own handler for SIGTERM, so the signal makes it save.
    static bool CatchesTerm(qint64 pid) {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly)) return false;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("SigCgt:"))
                return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
        return false;
    }
    static bool WritingStarted(const QDir& dir) {
        return !dir.entryList({"*.tarnwick-tmp"}, QDir::Files | QDir::Hidden).isEmpty();
    }

private slots:
    void filesAreOldOrNewAfterAKillAtAnyMoment() {
#ifndef Q_OS_UNIX
        QSKIP("signals are a Unix matter");
#else
        const int rounds = qEnvironmentVariableIntValue("TARNWICK_KILL_ROUNDS") > 0
                               ? qEnvironmentVariableIntValue("TARNWICK_KILL_ROUNDS")
                               : 200;
        QTemporaryDir folder;
        QDir dir(folder.path());

        // A first run writes the files the program makes; the "old" files are the same
        // settings with bare line feeds, which it reads alike and always writes anew.
        {
            QProcess p;
            p.setProcessEnvironment(Environment());
            p.setWorkingDirectory(folder.path());
            p.start(TARNWICK_BINARY, {"--simulate"});
            QVERIFY(p.waitForStarted());
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder.filePath("names.txt")), 20000);
            p.terminate();
            QVERIFY(p.waitForFinished(20000));
        }
        QMap<QString, QByteArray> fresh, old;
        for (const auto& n : names) {
            fresh[n] = Read(folder.filePath(n));
            old[n] = QByteArray(fresh[n]).replace("\r\n", "\n");
            QVERIFY(old[n] != fresh[n]);
        }

        int killedWhileWriting = 0;
        int mixed = 0;
        for (int round = 0; round < rounds; ++round) {
            for (const auto& n : names) Write(folder.filePath(n), old[n]);
            for (const auto& stale : dir.entryList({"*.tarnwick-tmp"}, QDir::Files | QDir::Hidden))
                dir.remove(stale);

            QProcess p;
            p.setProcessEnvironment(Environment());
            p.setWorkingDirectory(folder.path());
            p.start(TARNWICK_BINARY, {"--simulate"});
            QVERIFY(p.waitForStarted());
            QElapsedTimer starting;
            starting.start();
            while (!CatchesTerm(p.processId()) && starting.elapsed() < 20000) {
            }
            // Ask it to end (it writes all four files), then kill it at a random moment of that.
            ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
            QElapsedTimer waited;
            waited.start();
            while (!WritingStarted(dir) && waited.elapsed() < 5000) {
            }
            if (WritingStarted(dir)) ++killedWhileWriting;
            std::this_thread::sleep_for(std::chrono::microseconds(QRandomGenerator::global()->bounded(6000)));
            ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
            QVERIFY(p.waitForFinished(20000));

            int fromNew = 0;
            for (const auto& n : names) {
                const QByteArray now = Read(folder.filePath(n));
                QVERIFY2(now == old[n] || now == fresh[n],
                         qPrintable(QStringLiteral("round %1: %2 is neither old nor new (%3 bytes)")
                                        .arg(round)
                                        .arg(n)
                                        .arg(now.size())));
                fromNew += now == fresh[n];
            }
            mixed += fromNew > 0 && fromNew < names.size();
        }
        qInfo("%d kills, %d of them after writing had begun, %d left old and new files side by side", rounds,
              killedWhileWriting, mixed);
        QVERIFY(killedWhileWriting > rounds / 2);
#endif
    }
};

QTEST_GUILESS_MAIN(KillTest)
#include "KillTest.moc"
