#pragma once
// Shared pieces of the window tests: the application object, waits with a
// deadline, and a watcher that answers message boxes and records them.
#include <QElapsedTimer>
#include <QMessageBox>
#include <QString>
#include <QTimer>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace orv::apptest {

// Runs the event loop until pred holds or timeoutMs passes; false on timeout.
bool WaitUntil(const std::function<bool()>& pred, int timeoutMs);
// Runs the event loop for ms.
void Pump(int ms);

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon;
};

// Presses OK on every message box that becomes the active modal window.
class BoxWatcher {
public:
    BoxWatcher();
    ~BoxWatcher();
    std::vector<SeenBox> boxes;
    std::vector<QString> Texts() const;

private:
    QTimer timer_;
};

// A thread-safe copy of the simulated device's frame log.
class FrameLog {
public:
    std::function<void(const std::string&)> Sink();
    bool Contains(const std::string& fragment) const;
    std::size_t Size() const;
    std::vector<std::string> Lines() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

}  // namespace orv::apptest
