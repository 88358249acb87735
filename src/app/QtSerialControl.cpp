#include "app/QtSerialControl.h"

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
        if (gone && port_.isOpen()) {
            failure_ = port_.errorString().toStdString();
            port_.close();
        }
    });
    // Whatever arrives (a device on the adapter's pass-through, a port mapped by mistake, line
    // noise) is read, so that the read errors of a lost device still show, and dropped: months of
    // it must not pile up. The buffer's bound holds while a frame keeps the event loop away.
    port_.setReadBufferSize(kReadBufferBytes);
    QObject::connect(&port_, &QSerialPort::readyRead, &port_, [this] { port_.skip(port_.bytesAvailable()); });
}

std::string QtSerialControl::DeviceName(int port) const {
    const auto it = devices_.find(port);
    return it != devices_.end() ? it->second : DefaultDeviceForPort(port).toStdString();
}

bool QtSerialControl::Open(int port) {
    if (port_.isOpen()) return true;
    port_.setPortName(QString::fromStdString(DeviceName(port)));
    if (!port_.open(QIODevice::ReadWrite)) {
        failure_ = port_.errorString().toStdString();
        return false;
    }
    failure_.clear();
    // No data byte is ever sent; the line settings only have to be sane. RTS cannot be
    // driven by hand while hardware flow control owns it.
    port_.setBaudRate(QSerialPort::Baud9600);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    // The system asserts both lines as it opens the port; make sure of it, raising only.
    SetLines(true, true);
    return true;
}

void QtSerialControl::Close() {
    if (port_.isOpen()) port_.close();
}

bool QtSerialControl::SetLine(Line line, bool asserted) {
    if (!port_.isOpen()) {
        failure_ = "the port is not open";
        return false;
    }
    if (observer_) observer_(line, asserted);
    const bool moved =
        line == Line::Dtr ? port_.setDataTerminalReady(asserted) : port_.setRequestToSend(asserted);
    if (!moved)
        failure_ = (line == Line::Dtr ? "DTR" : "RTS") + std::string(" would not change: ") +
                   port_.errorString().toStdString();
    return moved;
}

} // namespace tarnwick
