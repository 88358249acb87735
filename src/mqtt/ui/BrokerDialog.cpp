#include "mqtt/ui/BrokerDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QSysInfo>

namespace tarnwick {
namespace {

constexpr int kPlainPort = 1883;
constexpr int kTlsPort = 8883;

QLineEdit* AddField(QFormLayout* form, const char* name, const QString& label) {
    auto* field = new QLineEdit(form->parentWidget());
    field->setObjectName(QString::fromLatin1(name));
    form->addRow(label, field);
    return field;
}

QString Text(const QLineEdit* field) {
    return field->text().trimmed();
}

} // namespace

BrokerDialog::BrokerDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmMqtt"));
    setWindowTitle(QStringLiteral("MQTT Broker"));
    auto* form = new QFormLayout(this);
    host_ = AddField(form, "txtBroker", QStringLiteral("&Broker:"));
    host_->setPlaceholderText(QStringLiteral("host name or address; empty: MQTT off"));
    port_ = new QSpinBox(this);
    port_->setObjectName(QStringLiteral("txtPort"));
    port_->setRange(1, 65535);
    port_->setValue(kPlainPort);
    form->addRow(QStringLiteral("&Port:"), port_);
    tls_ = new QCheckBox(QStringLiteral("Use &TLS"), this);
    tls_->setObjectName(QStringLiteral("chkTls"));
    form->addRow(QString(), tls_);
    caFile_ = AddField(form, "txtCaFile", QStringLiteral("&CA file:"));
    caFile_->setPlaceholderText(QStringLiteral("the system's certificates"));
    user_ = AddField(form, "txtUser", QStringLiteral("&User:"));
    password_ = AddField(form, "txtPassword", QStringLiteral("Pass&word:"));
    password_->setEchoMode(QLineEdit::Password);
    topicPrefix_ = AddField(form, "txtTopicPrefix", QStringLiteral("T&opic prefix:"));
    discoveryPrefix_ = AddField(form, "txtDiscoveryPrefix", QStringLiteral("&Discovery prefix:"));
    nodeId_ = AddField(form, "txtNodeId", QStringLiteral("&Node id:"));
    nodeId_->setPlaceholderText(QSysInfo::machineHostName());
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblMqttStatus"));
    status_->setTextFormat(Qt::PlainText);
    status_->setWordWrap(true);
    form->addRow(status_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("btnsMqtt"));
    form->addRow(buttons);

    // The usual port follows TLS, unless the user chose another.
    connect(tls_, &QCheckBox::toggled, this, [this](bool on) {
        if (port_->value() == (on ? kPlainPort : kTlsPort)) port_->setValue(on ? kTlsPort : kPlainPort);
        caFile_->setEnabled(on);
    });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        hide();
        emit settingsChosen(Settings());
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    caFile_->setEnabled(false);
}

void BrokerDialog::ShowSettings(const MqttSettings& settings) {
    const std::optional<BrokerAddress> broker = ParseBrokerUrl(settings.url);
    // A URL that is none is shown as it stands, for the user to mend.
    host_->setText(QString::fromStdString(broker ? broker->host : settings.url));
    tls_->setChecked(broker && broker->tls);
    caFile_->setEnabled(tls_->isChecked());
    port_->setValue(broker ? broker->port : kPlainPort);
    caFile_->setText(QString::fromStdString(settings.caFile));
    user_->setText(QString::fromStdString(settings.user));
    password_->setText(QString::fromStdString(settings.password));
    topicPrefix_->setText(QString::fromStdString(settings.topicPrefix));
    discoveryPrefix_->setText(QString::fromStdString(settings.discoveryPrefix));
    nodeId_->setText(QString::fromStdString(settings.nodeId));
}

void BrokerDialog::ShowStatus(const QString& status) {
    status_->setText(status.isEmpty() ? QStringLiteral("MQTT is off.") : status);
}

MqttSettings BrokerDialog::Settings() const {
    MqttSettings settings;
    // A whole URL typed as the broker is taken as it stands.
    if (const QString host = Text(host_); host.contains(QStringLiteral("://")))
        settings.url = host.toStdString();
    else if (!host.isEmpty())
        settings.url = BrokerUrl({host.toStdString(), port_->value(), tls_->isChecked()});
    settings.caFile = Text(caFile_).toStdString();
    settings.user = Text(user_).toStdString();
    settings.password = password_->text().toStdString();
    settings.topicPrefix = Text(topicPrefix_).toStdString();
    settings.discoveryPrefix = Text(discoveryPrefix_).toStdString();
    settings.nodeId = Text(nodeId_).toStdString();
    return settings;
}

} // namespace tarnwick
