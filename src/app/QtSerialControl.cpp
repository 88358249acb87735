#include "app/QtSerialControl.h"

#include <QStringList>

namespace tarnwick {

QString DefaultDeviceForPort(int port) {
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(port);
#else
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
#endif
}

QtSerialControl::QtSerialControl(std::map<int, std::string> devices) : devices_(std::move(devices)) {
    // An unplugged adapter leaves a dead handle that reports read errors without end (no
    // data is ever read here, so any read error means the device failed): close it, so
    // that it can be opened afresh once it is back; frames meanwhile keep their timing.
    QObject::connect(&port_, &QSerialPort::errorOccurred, &port_, [this](QSerialPort::SerialPortError error) {
        const bool gone = error == QSerialPort::ResourceError || error == QSerialPort::ReadError;
        if (gone && port_.isOpen()) port_.close();
    });
}

QString QtSerialControl::DeviceName() const {
    const auto it = devices_.find(commPort_);
    return it != devices_.end() ? QString::fromStdString(it->second) : DefaultDeviceForPort(commPort_);
}

void QtSerialControl::SetCommPort(std::int16_t port) {
    commPort_ = port;
    if (!port_.isOpen()) port_.setPortName(DeviceName());
}

// "9600,N,8,1": baud rate, parity, data bits, stop bits; parts that do not parse keep their value.
void QtSerialControl::SetSettings(const std::string& settings) {
    const QStringList parts = QString::fromStdString(settings).split(',');
    if (parts.size() > 0) {
        bool ok = false;
        const int baud = parts[0].trimmed().toInt(&ok);
        if (ok && baud > 0) baud_ = baud;
    }
    if (parts.size() > 1) {
        const QString p = parts[1].trimmed().toUpper();
        if (p == "N")
            parity_ = QSerialPort::NoParity;
        else if (p == "E")
            parity_ = QSerialPort::EvenParity;
        else if (p == "O")
            parity_ = QSerialPort::OddParity;
        else if (p == "M")
            parity_ = QSerialPort::MarkParity;
        else if (p == "S")
            parity_ = QSerialPort::SpaceParity;
    }
    if (parts.size() > 2) {
        const int bits = parts[2].trimmed().toInt();
        if (bits >= 5 && bits <= 8) dataBits_ = static_cast<QSerialPort::DataBits>(bits);
    }
    if (parts.size() > 3) {
        const QString s = parts[3].trimmed();
        if (s == "1")
            stopBits_ = QSerialPort::OneStop;
        else if (s == "1.5")
            stopBits_ = QSerialPort::OneAndHalfStop;
        else if (s == "2")
            stopBits_ = QSerialPort::TwoStop;
    }
    if (port_.isOpen()) ApplySettings();
}

void QtSerialControl::ApplySettings() {
    port_.setBaudRate(baud_);
    port_.setParity(parity_);
    port_.setDataBits(dataBits_);
    port_.setStopBits(stopBits_);
    // RTS cannot be driven by hand while hardware flow control owns it.
    port_.setFlowControl(QSerialPort::NoFlowControl);
}

void QtSerialControl::SetPortOpen(bool open) {
    if (!open) {
        if (port_.isOpen()) port_.close();
        return;
    }
    if (port_.isOpen()) return;
    port_.setPortName(DeviceName());
    if (!port_.open(QIODevice::ReadWrite)) return;
    ApplySettings();
    ApplyLines();
}

// The system asserts both lines as it opens the port. The levels chosen while it was
// closed take effect now, raising before lowering: both lines low cut the interface's power.
void QtSerialControl::ApplyLines() {
    if (dtr_) WriteLine(Line::Dtr, true);
    if (rts_) WriteLine(Line::Rts, true);
    if (!dtr_ && rts_) WriteLine(Line::Dtr, false);
    if (!rts_ && dtr_) WriteLine(Line::Rts, false);
}

void QtSerialControl::WriteLine(Line line, bool asserted) {
    if (observer_) observer_(line, asserted);
    if (line == Line::Dtr)
        port_.setDataTerminalReady(asserted);
    else
        port_.setRequestToSend(asserted);
}

void QtSerialControl::SetDTREnable(bool asserted) {
    dtr_ = asserted;
    if (port_.isOpen()) WriteLine(Line::Dtr, asserted);
}

void QtSerialControl::SetRTSEnable(bool asserted) {
    rts_ = asserted;
    if (port_.isOpen()) WriteLine(Line::Rts, asserted);
}

} // namespace tarnwick
