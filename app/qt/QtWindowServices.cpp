#include "app/qt/QtWindowServices.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <stdexcept>
#include <string>

namespace orv::app::qt {

namespace {
QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string ToUtf8(const QString& s) { return s.toUtf8().toStdString(); }
}  // namespace

QtWindowServices::QtWindowServices(QWidget& owner, TemplateWidgets controls)
    : owner_(owner), controls_(std::move(controls)) {}

QtWindowServices::~QtWindowServices() { KillAllTimers(); }

QString QtWindowServices::MessageTitle() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

QWidget* QtWindowServices::Control(int id) const { return controls_.byId.value(id, nullptr); }

// A wrong id or kind is a fault in the core, not in the line: it surfaces as
// an error the dialog shows instead of a null dereference.
template <class W>
W* QtWindowServices::Require(int id) const {
    W* w = qobject_cast<W*>(Control(id));
    if (!w) throw std::logic_error("no control " + std::to_string(id) + " of the kind asked for");
    return w;
}

void QtWindowServices::EnableControl(int id, bool enable) { Require<QWidget>(id)->setEnabled(enable); }

bool QtWindowServices::IsControlEnabled(int id) const {
    const QWidget* w = Require<QWidget>(id);
    return w->isEnabledTo(w->parentWidget());
}

std::string QtWindowServices::GetControlText(int id) const {
    QWidget* w = Require<QWidget>(id);
    if (auto* e = qobject_cast<QLineEdit*>(w)) return ToUtf8(e->text());
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return ToUtf8(b->text());
    if (auto* l = qobject_cast<QLabel*>(w)) return ToUtf8(l->text());
    if (auto* g = qobject_cast<QGroupBox*>(w)) return ToUtf8(g->title());
    if (auto* c = qobject_cast<QComboBox*>(w)) return ToUtf8(c->currentText());
    return {};
}

void QtWindowServices::SetControlText(int id, const std::string& text) {
    QWidget* w = Require<QWidget>(id);
    const QString t = FromUtf8(text);
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        e->setText(t);
        e->setCursorPosition(0);  // a long value shows its start, as a fresh edit does
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        b->setText(DisplayCaption(t));
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
        l->setText(t);
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
        g->setTitle(DisplayCaption(t));
    }
}

bool QtWindowServices::IsChecked(int id) const { return Require<QAbstractButton>(id)->isChecked(); }

void QtWindowServices::SetChecked(int id, bool checked) {
    auto* button = Require<QAbstractButton>(id);
    QButtonGroup* group = controls_.radioGroupOf.value(id, nullptr);
    // An exclusive group refuses to uncheck its checked button, but the
    // settings need "no button of the group checked" (-1).
    if (!checked && group) group->setExclusive(false);
    button->setChecked(checked);
    if (!checked && group) group->setExclusive(true);
}

int QtWindowServices::GetCurSel(int listId) const { return Require<QComboBox>(listId)->currentIndex(); }

void QtWindowServices::SetCurSel(int listId, int index) {
    auto* list = Require<QComboBox>(listId);
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

int QtWindowServices::GetCount(int listId) const { return Require<QComboBox>(listId)->count(); }

void QtWindowServices::ResetContent(int listId) { Require<QComboBox>(listId)->clear(); }

void QtWindowServices::AddString(int listId, const std::string& text) {
    auto* list = Require<QComboBox>(listId);
    const int selected = list->currentIndex();
    list->addItem(FromUtf8(text));
    // QComboBox selects the first entry added to an empty list; appending
    // must leave the selection as it was.
    if (list->currentIndex() != selected) list->setCurrentIndex(selected);
}

void QtWindowServices::SetTimer(int id, unsigned intervalMs) {
    QPointer<QTimer>& timer = timers_[id];
    if (!timer) {
        timer = new QTimer(&owner_);
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer, &QTimer::timeout, &owner_, [this, id] {
            if (onTimer) onTimer(id);
        });
    }
    timer->start(static_cast<int>(intervalMs));  // restarts a running timer
}

void QtWindowServices::KillTimer(int id) {
    if (QTimer* timer = timers_.value(id)) timer->stop();
}

bool QtWindowServices::TimerRunning(int id) const {
    const QTimer* timer = timers_.value(id);
    return timer && timer->isActive();
}

void QtWindowServices::KillAllTimers() {
    for (const auto& timer : std::as_const(timers_))
        if (timer) timer->stop();
}

void QtWindowServices::MessageBox(const std::string& text, MessageIcon icon) {
    // Before the window is first shown (the start-up message) the box stands
    // alone rather than centring on a window that is not on screen yet.
    QWidget* parent = owner_.isVisible() ? &owner_ : nullptr;
    QMessageBox box(icon == MessageIcon::Stop ? QMessageBox::Critical : QMessageBox::Warning, MessageTitle(),
                    FromUtf8(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace orv::app::qt
