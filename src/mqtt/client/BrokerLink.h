#pragma once
// The broker as both fronts use it: the bridge on the engine with the client under it, the
// status the window shows and the service logs, and a look at the names and entries once a
// minute. Made by the fronts after the engine has loaded, gone before the engine goes.

#include "engine/Engine.h"
#include "mqtt/MqttSettings.h"

#include <QObject>
#include <QString>

#include <memory>
#include <ostream>
#include <string>

class QTimer;

namespace tarnwick {

class Bridge;
class MqttClient;

class BrokerLink : public QObject {
    Q_OBJECT
public:
    // As tarnwick.ini's [mqtt] says, with the URL of --mqtt over it when given; nothing when
    // MQTT is off. Complaints go to log, and with logStatus every change of the status too.
    static std::unique_ptr<BrokerLink> Start(Engine& engine, const std::string& urlOverride,
                                             std::ostream& log, bool logStatus);
    BrokerLink(Engine& engine, const MqttSettings& settings, std::ostream& log, bool logStatus);
    // A clean exit says "offline".
    ~BrokerLink() override;

    // "MQTT: connected to host:1883", "MQTT: not connected (reason)".
    const QString& Status() const { return status_; }

signals:
    void statusChanged(const QString& status);

private:
    void SetStatus(const QString& status, bool log = true);

    std::ostream& log_;
    bool logStatus_;
    QString status_;
    std::unique_ptr<MqttClient> client_;
    std::unique_ptr<Bridge> bridge_;
    QTimer* minute_ = nullptr;
};

} // namespace tarnwick
