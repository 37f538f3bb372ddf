#include "app/qt/GuardedApplication.h"

#include <QMessageBox>
#include <exception>

namespace orv::app::qt {

namespace {
constexpr const char* kInternalError = "内部应用程序出错。";
}

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    std::string text;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        text = e.what();
    } catch (...) {
    }
    if (text.empty()) text = kInternalError;
    // Shown after the handler has unwound: the box runs its own loop.
    try {
        if (onEscaped) {
            onEscaped(text);
            return false;
        }
    } catch (...) {
    }
    QMessageBox::critical(activeWindow(), applicationName(), QString::fromStdString(text));
    return false;
}

}  // namespace orv::app::qt
