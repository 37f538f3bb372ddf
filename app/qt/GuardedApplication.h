#pragma once
// The application object, with one place where an exception that escapes
// any handler run from the event loop (a menu item, a file dialog's answer,
// the trend, the report, a recording) becomes a stop-icon message instead of
// the end of the program and of the user's unsaved settings. The dialog's
// own handlers already do this in its dispatch; this catches what the
// features beside it let through.
#include <QApplication>
#include <functional>
#include <string>

namespace orv::app::qt {

class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv);

    // Shows the text; without one set, a plain stop-icon message box.
    std::function<void(const std::string&)> onEscaped;

    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace orv::app::qt
