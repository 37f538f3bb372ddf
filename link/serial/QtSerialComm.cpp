#include "link/serial/QtSerialComm.h"

#include <poll.h>
#include <sys/ioctl.h>

#include <QMetaObject>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdint>
#include <utility>

#include "protocol/CommError.h"

namespace orv::link {

namespace {

using protocol::CommError;

QSerialPort::Parity ToQt(Parity p) {
    switch (p) {
    case Parity::Even: return QSerialPort::EvenParity;
    case Parity::Odd: return QSerialPort::OddParity;
    case Parity::Mark: return QSerialPort::MarkParity;
    case Parity::Space: return QSerialPort::SpaceParity;
    case Parity::None: break;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits ToQt(StopBits s) {
    switch (s) {
    case StopBits::OneAndHalf: return QSerialPort::OneAndHalfStop;
    case StopBits::Two: return QSerialPort::TwoStop;
    case StopBits::One: break;
    }
    return QSerialPort::OneStop;
}

// A read error is only believed when the line really is gone. Qt reports
// "would block" as a read error too, which happens when a queued read
// notification finds the bytes already taken by Input's drain.
bool LineGone(int fd) {
    if (fd < 0) {
        return true;
    }
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0) {
        return false;
    }
    return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

}  // namespace

QtSerialComm::QtSerialComm(PortResolver resolver, QObject* parent)
    : QObject(parent), resolver_(std::move(resolver)) {
    connect(&port_, &QSerialPort::readyRead, this, &QtSerialComm::OnReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialComm::OnErrorOccurred);
}

QtSerialComm::~QtSerialComm() {
    // No callbacks into a half-destroyed object while the port shuts down.
    port_.disconnect(this);
    if (port_.isOpen()) {
        port_.close();
    }
}

void QtSerialComm::SetCommPort(short port) { commPort_ = port; }

void QtSerialComm::SetInBufferSize(short size) {
    if (size < 1) {
        throw CommError(protocol::kErrInvalidSettings);
    }
    inBufferSize_ = size;
}

void QtSerialComm::SetOutBufferSize(short size) {
    if (size < 1) {
        throw CommError(protocol::kErrInvalidSettings);
    }
    outBufferSize_ = size;
}

void QtSerialComm::SetInputLen(short length) {
    if (length < 0) {
        throw CommError(protocol::kErrInvalidSettings);
    }
    inputLen_ = length;
}

void QtSerialComm::SetPortOpen(bool open) {
    // Opening or closing on purpose supersedes a failure not yet reported:
    // the user is already acting on it.
    lineFailure_.reset();
    closedEventDue_ = false;
    raised_ = false;
    commEvent_ = 0;
    if (!open) {
        if (port_.isOpen()) {
            port_.close();
        }
        return;
    }
    if (port_.isOpen()) {
        throw CommError(protocol::kErrPortAlreadyOpen);
    }
    const std::string path = resolver_ ? resolver_(commPort_) : std::string();
    if (path.empty()) {
        throw CommError(protocol::kErrInvalidPortNumber);
    }
    port_.setPortName(QString::fromStdString(path));
    port_.clearError();
    if (!port_.open(QIODevice::ReadWrite)) {
        ThrowPortError();
    }
    try {
        ApplyLineSettings();
    } catch (...) {
        port_.close();
        throw;
    }
    // The tty keeps what arrived before anyone listened; that is not an
    // answer to anything this tool will send.
    port_.clear(QSerialPort::AllDirections);
}

bool QtSerialComm::GetPortOpen() { return port_.isOpen(); }

void QtSerialComm::SetRThreshold(short count) {
    ReportLineFailure();
    if (count < 0) {
        throw CommError(protocol::kErrInvalidSettings);
    }
    rThreshold_ = count;
    raised_ = false;
}

void QtSerialComm::SetSettings(const std::string& settings) {
    ReportLineFailure();
    const auto parsed = ParseLineSettings(settings);
    if (!parsed) {
        throw CommError(protocol::kErrInvalidSettings);
    }
    const LineSettings previous = line_;
    line_ = *parsed;
    if (port_.isOpen()) {
        try {
            ApplyLineSettings();
        } catch (...) {
            // Put the line back as it was rather than leave it half changed.
            line_ = previous;
            try {
                ApplyLineSettings();
            } catch (...) {
            }
            throw;
        }
    }
}

void QtSerialComm::SetOutput(const std::vector<std::uint8_t>& bytes) {
    ReportLineFailure();
    RequireOpen();
    const qint64 written =
        port_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    // Push the frame to the device now: the caller may open a modal box next,
    // and the request's time-out runs from here, not from the next loop turn.
    while (written > 0 && port_.bytesToWrite() > 0 && port_.flush()) {
    }
    ReportLineFailure();
    if (written != static_cast<qint64>(bytes.size())) {
        ThrowPortError();
    }
}

std::vector<std::uint8_t> QtSerialComm::GetInput() {
    ReportLineFailure();
    RequireOpen();
    const std::size_t limit = inputLen_ > 0 ? static_cast<std::size_t>(inputLen_) : SIZE_MAX;
    std::vector<std::uint8_t> out;
    auto take = [&] {
        // Ask Qt for no more than it holds: read() reserves its whole maximum
        // up front, which for "everything" is gigabytes on every call.
        const auto waiting = static_cast<std::size_t>(std::max<qint64>(port_.bytesAvailable(), 0));
        const std::size_t room = std::min(limit - out.size(), waiting);
        if (room == 0) {
            return;
        }
        const QByteArray chunk = port_.read(static_cast<qint64>(room));
        out.insert(out.end(), chunk.begin(), chunk.end());
    };
    // Qt's buffer holds the older bytes, the system's the newer ones.
    take();
    if (out.size() < limit) {
        PullFromSystem();
        ReportLineFailure();
        take();
    }
    raised_ = false;
    return out;
}

short QtSerialComm::GetCommEvent() { return commEvent_; }

void QtSerialComm::SetInputMode(long mode) {
    ReportLineFailure();
    RequireOpen();
    if (mode != 1) {
        throw CommError(protocol::kErrInvalidSettings);  // text mode is not offered
    }
    inputMode_ = mode;
}

void QtSerialComm::SetOnComm(std::function<void()> handler) { onComm_ = std::move(handler); }

std::string QtSerialComm::TakeLineFailure() {
    std::string text = lineFailure_.value_or(std::string());
    lineFailure_.reset();
    return text;
}

void QtSerialComm::OnReadyRead() {
    // The event is raised from the event loop rather than from inside Qt's
    // signal: Qt does not emit readyRead again while it is inside one, so a
    // handler that opens a modal box there would leave later bytes unannounced.
    if (deliveryQueued_) {
        return;
    }
    deliveryQueued_ = true;
    QMetaObject::invokeMethod(this, [this] { DeliverReceive(); }, Qt::QueuedConnection);
}

void QtSerialComm::DeliverReceive() {
    deliveryQueued_ = false;
    if (!port_.isOpen() || rThreshold_ <= 0 || raised_) {
        return;
    }
    if (port_.bytesAvailable() < rThreshold_) {
        return;
    }
    raised_ = true;
    commEvent_ = kEvReceive;
    if (!onComm_) {
        return;
    }
    // An exception must not unwind through Qt's event loop; the receive
    // handler has no one to report to, so it ends here.
    try {
        onComm_();
    } catch (...) {
    }
}

void QtSerialComm::OnErrorOccurred(QSerialPort::SerialPortError error) {
    std::string text;
    switch (error) {
    case QSerialPort::ReadError:
        if (!LineGone(static_cast<int>(port_.handle()))) {
            port_.clearError();
            return;
        }
        // A hung-up line reads as end of file, which sets no errno: Qt's text
        // is then left over from an earlier call. Give the reason any further
        // use of the line reports.
        text = std::strerror(EIO);
        break;
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
        text = port_.errorString().toStdString();
        break;
    default:
        return;  // open and setting errors are read where the call is made
    }
    if (!port_.isOpen() || closingOnFailure_) {
        return;
    }
    // Qt keeps reporting a vanished device in a busy loop while the port
    // stays open; closing here makes it one error, told once: to the dialog
    // when the closed event reaches it, or else by the next call.
    lineFailure_ = "COM" + std::to_string(commPort_) +
                   " stopped working; the cable or the device may have been unplugged. " + text + ".";
    raised_ = false;
    closingOnFailure_ = true;
    port_.close();
    closingOnFailure_ = false;
    // The dialog hears of it from the event loop, not from inside whatever
    // call of its own met the failure.
    closedEventDue_ = true;
    QMetaObject::invokeMethod(this, [this] { DeliverPortClosed(); }, Qt::QueuedConnection);
}

void QtSerialComm::DeliverPortClosed() {
    // Opened again meanwhile: the news is out of date.
    if (!closedEventDue_ || port_.isOpen()) {
        return;
    }
    closedEventDue_ = false;
    commEvent_ = kEvPortClosed;
    if (!onComm_) {
        return;
    }
    try {
        onComm_();
    } catch (...) {
    }
}

void QtSerialComm::PullFromSystem() {
    // Bytes the system holds but Qt has not read yet would otherwise survive
    // the drain before a request and prefix its answer. The count comes
    // first so that Qt is asked only when there is something to read.
    for (int round = 0; round < 64 && port_.isOpen(); ++round) {
        int waiting = 0;
        if (::ioctl(static_cast<int>(port_.handle()), FIONREAD, &waiting) != 0 || waiting <= 0) {
            return;
        }
        if (!port_.waitForReadyRead(0)) {
            return;
        }
    }
}

void QtSerialComm::ApplyLineSettings() {
    const bool ok = port_.setBaudRate(line_.baud) &&
                    port_.setDataBits(static_cast<QSerialPort::DataBits>(line_.dataBits)) &&
                    port_.setParity(ToQt(line_.parity)) && port_.setStopBits(ToQt(line_.stopBits)) &&
                    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!ok) {
        ThrowPortError();
    }
}

void QtSerialComm::RequireOpen() {
    if (!port_.isOpen()) {
        throw CommError(protocol::kErrPortNotOpen);
    }
}

void QtSerialComm::ReportLineFailure() {
    if (lineFailure_) {
        const std::string text = std::move(*lineFailure_);
        lineFailure_.reset();
        throw CommError(text);
    }
}

void QtSerialComm::ThrowPortError() {
    // errorString() is stale after a successful call, so it is read only
    // while an error is actually set.
    std::string text;
    if (port_.error() != QSerialPort::NoError) {
        text = port_.errorString().toStdString();
    }
    port_.clearError();
    throw CommError(text);
}

}  // namespace orv::link
