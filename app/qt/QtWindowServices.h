#pragma once
// The dialog core's window services on Qt widgets: controls by id, repeating
// window timers on QTimer and modal message boxes on QMessageBox.
#include <QHash>
#include <QPointer>
#include <QString>
#include <functional>

#include "app/core/WindowServices.h"
#include "app/qt/TemplateWidgets.h"

class QTimer;
class QWidget;

namespace orv::app::qt {

class QtWindowServices : public WindowServices {
public:
    // owner parents the timers and the message boxes.
    QtWindowServices(QWidget& owner, TemplateWidgets controls);
    ~QtWindowServices() override;

    // Receives every tick of a running timer.
    std::function<void(int)> onTimer;

    // The program file's name without extension.
    static QString MessageTitle();
    QWidget* Control(int id) const;  // nullptr for an unknown id
    bool TimerRunning(int id) const;
    void KillAllTimers();

    void EnableControl(int id, bool enable) override;
    bool IsControlEnabled(int id) const override;
    std::string GetControlText(int id) const override;
    void SetControlText(int id, const std::string& text) override;
    bool IsChecked(int id) const override;
    void SetChecked(int id, bool checked) override;
    int GetCurSel(int listId) const override;
    void SetCurSel(int listId, int index) override;
    int GetCount(int listId) const override;
    void ResetContent(int listId) override;
    void AddString(int listId, const std::string& text) override;
    void SetTimer(int id, unsigned intervalMs) override;
    void KillTimer(int id) override;
    void MessageBox(const std::string& text, MessageIcon icon) override;

private:
    template <class W>
    W* Require(int id) const;

    QWidget& owner_;
    TemplateWidgets controls_;
    QHash<int, QPointer<QTimer>> timers_;
};

}  // namespace orv::app::qt
