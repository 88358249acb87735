#pragma once
// The broker's client, on libmosquitto: the network runs on a thread of its own, so that a
// broker slow to answer, a name slow to resolve or a connection that hangs never holds up a
// frame, a tick or the window. What it hears comes to the owner's thread as signals.
// It reconnects by itself, after 1 s at first and twice as long each time up to a minute.

#include "mqtt/Bridge.h"
#include "mqtt/MqttSettings.h"

#include <QObject>

#include <memory>
#include <string>
#include <thread>

namespace tarnwick {

class MqttClient : public QObject, public IMqttLink {
    Q_OBJECT
public:
    struct Options {
        BrokerAddress broker;
        std::string user;
        std::string password;
        std::string caFile;
        std::string willTopic;    // "offline" there, retained, when the connection is lost
        std::string subscription; // subscribed to after every connect
    };
    explicit MqttClient(const Options& options, QObject* parent = nullptr);
    // Says goodbye to the broker after what was published, waiting a moment at most.
    ~MqttClient() override;

    // Dropped while not connected.
    void Publish(const std::string& topic, const std::string& payload, bool retain) override;

signals:
    void connected();
    // Connected, but commands cannot come: the subscription failed or was refused.
    void deaf(const QString& reason);
    void disconnected(const QString& reason);
    void heard(const QByteArray& topic, const QByteArray& payload, bool retained);

public:
    struct Shared; // what the network's thread and this object share

private:
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

} // namespace tarnwick
