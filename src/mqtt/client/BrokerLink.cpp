#include "mqtt/client/BrokerLink.h"

#include "mqtt/Bridge.h"
#include "mqtt/client/MqttClient.h"

#include <QSysInfo>
#include <QTimer>

#include <cstdlib>

namespace tarnwick {

std::unique_ptr<BrokerLink> BrokerLink::Start(Engine& engine, const std::string& urlOverride,
                                              std::ostream& log, bool logStatus) {
    const MqttSettings settings =
        SettingsForRun(ReadMqttSettings(engine.SettingsFile()), urlOverride,
                       std::getenv(kMqttPasswordVariable), QSysInfo::machineHostName().toStdString());
    if (settings.url.empty()) return nullptr;
    return std::make_unique<BrokerLink>(engine, settings, log, logStatus);
}

BrokerLink::BrokerLink(Engine& engine, const MqttSettings& settings, std::ostream& log, bool logStatus)
    : log_(log), logStatus_(logStatus) {
    const std::optional<BrokerAddress> broker = ParseBrokerUrl(settings.url);
    if (!broker) {
        SetStatus(QStringLiteral("MQTT: not connected (not a broker URL such as mqtt://host:1883: %1)")
                      .arg(QString::fromStdString(settings.url)));
        return;
    }
    const TopicNames names{settings.topicPrefix, settings.discoveryPrefix, settings.nodeId};
    client_ = std::make_unique<MqttClient>(MqttClient::Options{*broker, settings.user, settings.password,
                                                               settings.caFile, StatusTopic(names),
                                                               CommandFilter(names)});
    bridge_ = std::make_unique<Bridge>(engine, names, *client_, log);
    const QString where = QString::fromStdString(BrokerText(*broker));
    SetStatus(QStringLiteral("MQTT: not connected (connecting to %1)").arg(where), false);
    connect(client_.get(), &MqttClient::connected, this, [this, where] {
        bridge_->Connected();
        SetStatus(QStringLiteral("MQTT: connected to %1").arg(where));
    });
    connect(client_.get(), &MqttClient::deaf, this, [this, where](const QString& reason) {
        SetStatus(QStringLiteral("MQTT: connected to %1, but hears no commands (%2)").arg(where, reason));
    });
    connect(client_.get(), &MqttClient::disconnected, this, [this](const QString& reason) {
        bridge_->Disconnected();
        SetStatus(QStringLiteral("MQTT: not connected (%1)").arg(reason));
    });
    connect(client_.get(), &MqttClient::heard, this,
            [this](const QByteArray& topic, const QByteArray& payload, bool retained) {
                bridge_->Heard(topic.toStdString(), payload.toStdString(), retained);
            });
    // The pages do not tell every edit; a name changed there is published within a minute.
    minute_ = new QTimer(this);
    minute_->setInterval(60'000);
    connect(minute_, &QTimer::timeout, this, [this] { bridge_->Refresh(); });
    minute_->start();
}

BrokerLink::~BrokerLink() {
    if (bridge_) bridge_->Leaving();
    bridge_.reset();
    client_.reset();
}

void BrokerLink::SetStatus(const QString& status, bool log) {
    if (status == status_) return;
    status_ = status;
    if (log && logStatus_) log_ << status.toStdString() << std::endl;
    emit statusChanged(status_);
}

} // namespace tarnwick
