#include "QtTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "app/qt/GuardedApplication.h"

namespace orv::apptest {

namespace {

// One QApplication for the whole run, on the offscreen platform unless the
// caller chose another, with a private runtime folder.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
            runtime_ = std::make_unique<QTemporaryDir>();
            QFile::setPermissions(runtime_->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            qputenv("XDG_RUNTIME_DIR", runtime_->path().toLocal8Bit());
        }
        app_ = std::make_unique<app::qt::GuardedApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[10] = "app_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QTemporaryDir> runtime_;
    std::unique_ptr<app::qt::GuardedApplication> app_;
};

[[maybe_unused]] auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

bool WaitUntil(const std::function<bool()>& pred, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!pred()) {
        if (clock.elapsed() > timeoutMs) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void Pump(int ms) {
    WaitUntil([] { return false; }, ms);
}

BoxWatcher::BoxWatcher() {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            boxes.push_back({box->windowTitle(), box->text(), box->icon()});
            if (QAbstractButton* ok = box->button(QMessageBox::Ok))
                ok->click();
            else
                box->reject();
        }
    });
    timer_.start();
}

BoxWatcher::~BoxWatcher() { timer_.stop(); }

std::vector<QString> BoxWatcher::Texts() const {
    std::vector<QString> out;
    for (const auto& b : boxes) out.push_back(b.text);
    return out;
}

std::function<void(const std::string&)> FrameLog::Sink() {
    return [this](const std::string& line) {
        std::lock_guard lock(mutex_);
        lines_.push_back(line);
    };
}

bool FrameLog::Contains(const std::string& fragment) const {
    std::lock_guard lock(mutex_);
    for (const auto& l : lines_)
        if (l.find(fragment) != std::string::npos) return true;
    return false;
}

std::size_t FrameLog::Size() const {
    std::lock_guard lock(mutex_);
    return lines_.size();
}

std::vector<std::string> FrameLog::Lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

}  // namespace orv::apptest
