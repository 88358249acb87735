#pragma once
// Configure > MQTT Broker...: the broker, its port and TLS, the user and password, and the
// topic prefixes, with whether the program is connected now. OK hands the settings on; an
// empty broker turns MQTT off.

#include "mqtt/MqttSettings.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace tarnwick {

class BrokerDialog : public QDialog {
    Q_OBJECT
public:
    explicit BrokerDialog(QWidget* parent = nullptr);

    // Fills the fields from the settings file's values.
    void ShowSettings(const MqttSettings& settings);
    // "MQTT: connected to host:1883", "MQTT: not connected (reason)"; empty when MQTT is off.
    void ShowStatus(const QString& status);
    // What the fields say.
    MqttSettings Settings() const;

signals:
    void settingsChosen(const tarnwick::MqttSettings& settings);

private:
    QLineEdit* host_ = nullptr;
    QSpinBox* port_ = nullptr;
    QCheckBox* tls_ = nullptr;
    QLineEdit* caFile_ = nullptr;
    QLineEdit* user_ = nullptr;
    QLineEdit* password_ = nullptr;
    QLineEdit* topicPrefix_ = nullptr;
    QLineEdit* discoveryPrefix_ = nullptr;
    QLineEdit* nodeId_ = nullptr;
    QLabel* status_ = nullptr;
};

} // namespace tarnwick
