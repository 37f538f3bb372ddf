#pragma once
// The serial component on Qt SerialPort: the calls the dialog makes on the
// communications control, carried out on a real serial device, with the
// receive event raised on the UI thread.
#include <QObject>
#include <QSerialPort>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/serial/LineSettings.h"
#include "link/serial/PortNaming.h"
#include "protocol/CMSComm.h"

namespace orv::link {

// Turns a port number into the device path to open ("" when it names none).
using PortResolver = std::function<std::string(int)>;

class QtSerialComm : public QObject, public protocol::CMSComm {
    Q_OBJECT
public:
    explicit QtSerialComm(PortResolver resolver = DefaultPortPath, QObject* parent = nullptr);
    ~QtSerialComm() override;

    void SetCommPort(short port) override;
    void SetInBufferSize(short size) override;
    void SetInputLen(short length) override;
    void SetOutBufferSize(short size) override;
    void SetPortOpen(bool open) override;
    bool GetPortOpen() override;
    void SetRThreshold(short count) override;
    void SetSettings(const std::string& settings) override;
    void SetOutput(const std::vector<std::uint8_t>& bytes) override;
    std::vector<std::uint8_t> GetInput() override;
    short GetCommEvent() override;
    void SetInputMode(long mode) override;
    void SetOnComm(std::function<void()> handler) override;
    std::string TakeLineFailure() override;

private:
    void OnReadyRead();
    void OnErrorOccurred(QSerialPort::SerialPortError error);
    void DeliverReceive();
    void DeliverPortClosed();
    void PullFromSystem();
    void ApplyLineSettings();
    void RequireOpen();
    void ReportLineFailure();
    [[noreturn]] void ThrowPortError();

    QSerialPort port_;
    PortResolver resolver_;
    std::function<void()> onComm_;

    short commPort_ = 1;
    short inBufferSize_ = 1024;
    short outBufferSize_ = 512;
    short inputLen_ = 0;
    long inputMode_ = 1;
    short rThreshold_ = 0;
    short commEvent_ = 0;
    LineSettings line_;

    // An event was raised for the bytes now waiting; the next one needs Input
    // to take them (or a new threshold) and fresh bytes to reach it again.
    bool raised_ = false;
    bool deliveryQueued_ = false;
    bool closingOnFailure_ = false;
    // The text of a line failure that closed the port, told by the next call.
    std::optional<std::string> lineFailure_;
    // The dialog is still to hear that the port closed after a line failure.
    bool closedEventDue_ = false;
};

}  // namespace orv::link
