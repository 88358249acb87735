#pragma once
// The serial control on QSerialPort. Only the control lines are used: the
// interface draws its power from DTR and RTS and never sees a data byte.

#include "base/Interfaces.h"

#include <QSerialPort>
#include <QString>

#include <functional>
#include <map>

namespace tarnwick {

// COM n is /dev/ttyS<n-1> on Linux and COMn on Windows, unless mapped otherwise.
QString DefaultDeviceForPort(int port);

class QtSerialControl final : public ISerialControl {
public:
    explicit QtSerialControl(std::map<int, std::string> devices = {});

    void SetCommPort(std::int16_t port) override;
    std::int16_t CommPort() const override { return commPort_; }
    void SetSettings(const std::string& settings) override;
    void SetPortOpen(bool open) override;
    bool PortOpen() const override { return port_.isOpen(); }
    void SetDTREnable(bool asserted) override;
    void SetRTSEnable(bool asserted) override;

    QString DeviceName() const;

    enum class Line { Dtr, Rts };
    // Sees every level the adapter asks of the port, in order.
    void SetLineObserver(std::function<void(Line, bool)> observer) { observer_ = std::move(observer); }

private:
    void ApplySettings();
    void ApplyLines();
    void WriteLine(Line line, bool asserted);

    QSerialPort port_;
    std::map<int, std::string> devices_;
    std::int16_t commPort_ = 0;
    qint32 baud_ = 9600;
    QSerialPort::Parity parity_ = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits_ = QSerialPort::Data8;
    QSerialPort::StopBits stopBits_ = QSerialPort::OneStop;
    bool dtr_ = false;
    bool rts_ = false;
    std::function<void(Line, bool)> observer_;
};

} // namespace tarnwick
