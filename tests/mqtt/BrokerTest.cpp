// The bridge against a real broker: the Debian mosquitto on a free local port, the real program
// headless and the real window, and a client of the test's own on libmosquitto.

#include "app/MainWindow.h"
#include "base/RandomOffset.h"

#include "support/Fakes.h"

#include <QtNetwork>
#include <QtTest>
#include <QtWidgets>

#include <mosquitto.h>

#include <csignal>
#include <map>
#include <mutex>

using namespace tarnwick;
using namespace tarnwick::testing;
using Steady = std::chrono::steady_clock;

namespace {

int FreePort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

// The broker, on 127.0.0.1 only, with a configuration the test writes; nothing kept across a restart.
class Broker {
public:
    Broker() : port(FreePort()) {}
    ~Broker() { Stop(); }
    void Start() {
        const QString program = QStandardPaths::findExecutable("mosquitto", {"/usr/sbin", "/usr/bin"});
        QVERIFY2(!program.isEmpty(), "the broker, Debian's mosquitto, is not installed");
        QFile conf(dir.filePath("mosquitto.conf"));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write(QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\npersistence false\n")
                       .arg(port)
                       .toLatin1());
        conf.close();
        process.start(program, {"-c", conf.fileName()});
        QVERIFY(process.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(Listening(), 10000);
    }
    void Stop() {
        if (process.state() == QProcess::NotRunning) return;
        process.terminate();
        process.waitForFinished(10000);
    }
    bool Listening() {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        return probe.waitForConnected(200);
    }
    QString Url() const { return QStringLiteral("mqtt://127.0.0.1:%1").arg(port); }

    const int port;
    QTemporaryDir dir;
    QProcess process;
};

// The test's own client: the last message heard on every topic.
class Client {
public:
    explicit Client(int port) : mosq_(mosquitto_new(nullptr, true, this)) {
        mosquitto_connect_callback_set(
            mosq_, [](mosquitto* m, void*, int) { mosquitto_subscribe(m, nullptr, "#", 0); });
        mosquitto_message_callback_set(mosq_, [](mosquitto*, void* self, const mosquitto_message* m) {
            auto* c = static_cast<Client*>(self);
            std::lock_guard lock(c->mutex_);
            c->last_[m->topic] = QByteArray(static_cast<const char*>(m->payload), m->payloadlen);
        });
        if (mosquitto_connect(mosq_, "127.0.0.1", port, 30) == MOSQ_ERR_SUCCESS) mosquitto_loop_start(mosq_);
    }
    ~Client() {
        mosquitto_disconnect(mosq_);
        mosquitto_loop_stop(mosq_, false);
        mosquitto_destroy(mosq_);
    }
    QByteArray Last(const std::string& topic) {
        std::lock_guard lock(mutex_);
        const auto it = last_.find(topic);
        return it == last_.end() ? QByteArray("<none>") : it->second;
    }
    QJsonObject Document(const std::string& topic) { return QJsonDocument::fromJson(Last(topic)).object(); }
    void Publish(const std::string& topic, const QByteArray& payload, bool retain = false) {
        mosquitto_publish(mosq_, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                          payload.constData(), 1, retain);
    }

private:
    mosquitto* mosq_;
    std::mutex mutex_;
    std::map<std::string, QByteArray> last_;
};

// Notes when the first line moves: the start of the first frame.
struct Stamping : RecordingSerialControl {
    std::optional<Steady::time_point> first;
    QEventLoop waiting;
    bool SetLine(Line line, bool asserted) override {
        if (!first) {
            first = Steady::now();
            waiting.quit();
        }
        return RecordingSerialControl::SetLine(line, asserted);
    }
};

const std::string kC5Config = "homeassistant/light/tarnwick_den_C5/config";

} // namespace

class BrokerTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> folder;
    QByteArray said; // the program's standard error so far

    void Write(const QString& name, const QByteArray& bytes) {
        QFile f(folder->filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    const QByteArray& Said(QProcess& p) { return said += p.readAllStandardError(); }
    void Start(QProcess& p, const QString& url) {
        said.clear();
        p.setWorkingDirectory(folder->path());
        p.start(TARNWICK_BINARY, {"--headless", "--simulate", "--mqtt", url});
        QVERIFY(p.waitForStarted());
    }

private slots:
    void initTestCase() { mosquitto_lib_init(); }
    void init() {
        folder = std::make_unique<QTemporaryDir>();
        Write("tarnwick.ini", "[mqtt]\r\nnode_id=den\r\n");
    }

    // A command published goes out on the line and comes back as state and last frame; Home
    // Assistant finds the devices; bad input costs a line; a broker gone and back is told it
    // all again; a program killed leaves "offline".
    void theHeadlessProgramOnTheBroker() {
        Write("names.txt", QByteArray("\"\"\r\n").repeated(36) + "\"Porch Light\"\r\n" +
                               QByteArray("\"\"\r\n").repeated(219));
        Broker broker;
        broker.Start();
        Client client(broker.port);
        // A config an earlier run left, and a stale command that must never switch a light.
        client.Publish("homeassistant/light/tarnwick_den_A1/config", "{}", true);
        client.Publish("tarnwick/C6/set", "ON", true);
        QTRY_COMPARE(client.Last("tarnwick/C6/set"), QByteArray("ON"));
        QProcess program;
        Start(program, broker.Url());
        QTRY_COMPARE_WITH_TIMEOUT(client.Last("tarnwick/status"), QByteArray("online"), 20000);
        QTRY_COMPARE(client.Last("homeassistant/light/tarnwick_den_A1/config"), QByteArray());
        QTRY_VERIFY(client.Document(kC5Config).contains("device"));
        const QJsonObject config = client.Document(kC5Config);
        for (const QString field : {"name=Porch Light", "unique_id=tarnwick_den_C5",
                                    "command_topic=tarnwick/C5/set", "state_topic=tarnwick/C5/state",
                                    "payload_on=ON", "payload_off=OFF", "availability_topic=tarnwick/status"})
            QCOMPARE(field.section('=', 0, 0) + "=" + config[field.section('=', 0, 0)].toString(), field);
        QCOMPARE(config["device"]["identifiers"][0].toString(), "tarnwick_den");

        client.Publish("tarnwick/C5/set", "on");
        QTRY_VERIFY(Said(program).contains("\nC5 On\n"));
        QTRY_COMPARE(client.Last("tarnwick/C5/state"), QByteArray("ON"));
        const QJsonObject frame = client.Document("tarnwick/last_frame");
        QCOMPARE(frame["command"].toString() + "|" + frame["name"].toString() + "|" +
                     frame["source"].toString(),
                 "C5 On|Porch Light|mqtt");
        QVERIFY(frame["sent"].toBool());
        QVERIFY(QDateTime::fromString(frame["time"].toString(), Qt::ISODate).isValid());

        // Said once a minute per kind, in the order heard; nothing more goes out.
        for (const char* topic : {"tarnwick/Q1/set", "tarnwick/A17/set", "tarnwick/Q1/set"})
            client.Publish(topic, "ON");
        client.Publish("tarnwick/C5/set", QByteArray(17, 'O'));
        QTRY_VERIFY(Said(program).contains("longer than 16 bytes"));
        QCOMPARE(Said(program).count("no such device or house"), 1);
        QVERIFY(Said(program).contains("ignored tarnwick/C6/set: a retained command is stale"));
        QCOMPARE(Said(program).count(" On\n"), 1);

        broker.Stop();
        QTRY_VERIFY(Said(program).contains("MQTT: not connected ("));
        broker.Start();
        Client again(broker.port);
        QTRY_COMPARE_WITH_TIMEOUT(again.Last("tarnwick/status"), QByteArray("online"), 10000);
        QTRY_COMPARE(again.Last("tarnwick/C5/state"), QByteArray("ON"));
        QTRY_COMPARE(again.Document(kC5Config)["name"].toString(), "Porch Light");
        QCOMPARE(Said(program).count("MQTT: connected to 127.0.0.1:"), 2);

        ::kill(static_cast<pid_t>(program.processId()), SIGKILL);
        QVERIFY(program.waitForFinished(10000));
        QTRY_COMPARE(again.Last("tarnwick/status"), QByteArray("offline"));
    }

    // A broker that refuses the commands' subscription, as an access list may: the program says it
    // hears none. (Debian's mosquitto grants every subscription and filters later, so a
    // stand-in speaks for it: it accepts the connection and refuses the subscription.)
    void aRefusedSubscriptionIsSaid() {
        QTcpServer fake;
        QVERIFY(fake.listen(QHostAddress::LocalHost, 0));
        std::map<QTcpSocket*, QByteArray> received;
        connect(&fake, &QTcpServer::newConnection, this, [&] {
            while (QTcpSocket* socket = fake.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [socket, &received] {
                    QByteArray& in = received[socket];
                    in += socket->readAll();
                    // Each packet: a type byte, its remaining length (one byte here), its body.
                    while (in.size() >= 2 && in.size() >= 2 + static_cast<unsigned char>(in[1])) {
                        const auto type = static_cast<unsigned char>(in[0]) >> 4;
                        const QByteArray body = in.mid(2, static_cast<unsigned char>(in[1]));
                        in.remove(0, 2 + body.size());
                        if (type == 1) socket->write(QByteArray("\x20\x02\x00\x00", 4)); // CONNACK
                        if (type == 8) socket->write(QByteArray("\x90\x03", 2) + body.left(2) + '\x80');
                    }
                });
            }
        });
        QProcess program;
        Start(program, QStringLiteral("mqtt://127.0.0.1:%1").arg(fake.serverPort()));
        QTRY_VERIFY_WITH_TIMEOUT(
            Said(program).contains("but hears no commands (the broker refused the subscription)"), 10000);
        program.terminate();
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitCode(), 0);
    }

    // A "broker" that answers with garbage or hangs up halfway through its answer is left and
    // tried again after 1 s, then 2, then 4; the program runs on and ends cleanly.
    void aBrokerSpeakingGarbageIsTriedAgainLaterAndLater() {
        QTcpServer fake;
        QVERIFY(fake.listen(QHostAddress::LocalHost, 0));
        QList<Steady::time_point> tries;
        connect(&fake, &QTcpServer::newConnection, this, [&] {
            while (QTcpSocket* socket = fake.nextPendingConnection()) {
                tries << Steady::now();
                socket->write(tries.size() % 2 ? QByteArray("\xff\xff\xff\xff\xff", 5)
                                               : QByteArray("\x20\x02\x00", 3));
                socket->flush();
                socket->disconnectFromHost();
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        QProcess program;
        Start(program, QStringLiteral("mqtt://127.0.0.1:%1").arg(fake.serverPort()));
        QTRY_VERIFY_WITH_TIMEOUT(tries.size() >= 4, 20000);
        for (int i = 1; i < 4; ++i) {
            const double gap = std::chrono::duration<double>(tries[i] - tries[i - 1]).count();
            const double expected = 1 << (i - 1);
            QVERIFY2(gap > expected * 0.9 && gap < expected + 1.5, qPrintable(QString::number(gap)));
        }
        QVERIFY(Said(program).contains("MQTT: not connected ("));
        program.terminate();
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    }

    // The window: Configure > MQTT Broker... connects, says so in the status bar, keeps the
    // password for the user alone; a command published reaches the line at once; its exit says
    // "offline".
    void theWindowConnectsWhereTheDialogSays() {
        Broker broker;
        broker.Start();
        Client client(broker.port);
        Stamping serial;
        FakeClock clock(LocalAt(2026, 12, 8, 7, 30, 2));
        DefaultRandom random;
        Engine engine(Platform{&serial, &clock, nullptr, &random, folder->path().toStdString()});
        MainWindow window(engine, folder->path().toStdString());
        window.SetEndAction([] {});
        window.Load();
        window.show();
        auto* panel = window.findChild<QLabel*>("lblMqtt");
        QVERIFY(panel);
        QVERIFY(panel->isHidden());

        window.findChild<QAction*>("mnuMqtt")->trigger();
        auto* dialog = window.findChild<QDialog*>("frmMqtt");
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->findChild<QLabel*>("lblMqttStatus")->text(), "MQTT is off.");
        QCOMPARE(dialog->findChild<QLineEdit*>("txtNodeId")->text(), "den");
        QTest::keyClicks(dialog->findChild<QLineEdit*>("txtBroker"), "127.0.0.1");
        auto* port = dialog->findChild<QSpinBox*>("txtPort");
        port->selectAll();
        QTest::keyClicks(port, QString::number(broker.port));
        QTest::keyClicks(dialog->findChild<QLineEdit*>("txtPassword"), "s3cret");
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        QTRY_COMPARE_WITH_TIMEOUT(panel->text(),
                                  QStringLiteral("MQTT: connected to 127.0.0.1:%1").arg(broker.port), 10000);
        QVERIFY(panel->isVisible());
        QTRY_COMPARE(client.Last("tarnwick/status"), QByteArray("online"));
        QCOMPARE(QFile::permissions(folder->filePath("tarnwick.ini")),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        QFile ini(folder->filePath("tarnwick.ini"));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QVERIFY(ini.readAll().contains("url=" + broker.Url().toLatin1() + "\r\n"));

        // Waiting in an event loop as the program's own does, not in a test's polling one.
        QTimer::singleShot(10000, &serial.waiting, &QEventLoop::quit);
        const Steady::time_point published = Steady::now();
        client.Publish("tarnwick/C5/set", "ON");
        serial.waiting.exec();
        QVERIFY(serial.first.has_value());
        const double ms = std::chrono::duration<double, std::milli>(*serial.first - published).count();
        qInfo("from the publish to the first line change: %.1f ms", ms);
        QVERIFY(ms < 1000);
        QCOMPARE(serial.TakeFrames(), std::vector<std::string>{"C5 On"});

        window.Shutdown();
        QTRY_COMPARE(client.Last("tarnwick/status"), QByteArray("offline"));
    }
};

QTEST_MAIN(BrokerTest)
#include "BrokerTest.moc"
