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

    bool Open(int port) override;
    void Close() override;
    bool IsOpen() const override { return port_.isOpen(); }

    std::string DeviceName(int port) const override;
    std::string FailureReason() const override { return failure_; }

    // Bytes that came in and wait unread: a few at most, as none is wanted.
    qint64 UnreadInput() const { return port_.bytesAvailable(); }
    static constexpr qint64 kReadBufferBytes = 4096;

    // Sees every level the adapter asks of the port, in order.
    void SetLineObserver(std::function<void(Line, bool)> observer) { observer_ = std::move(observer); }

protected:
    bool SetLine(Line line, bool asserted) override;

private:
    QSerialPort port_;
    std::map<int, std::string> devices_;
    std::function<void(Line, bool)> observer_;
    std::string failure_;
};

} // namespace tarnwick
