#pragma once
// Builds a dialog's widgets from its template: one widget per control at its
// rectangle converted to pixels, in template order (which is the tab order).
#include <QHash>
#include <QIcon>
#include <QList>

#include "app/qt/DialogUnits.h"
#include "app/qt/ResourceTable.h"

class QButtonGroup;
class QWidget;

namespace orv::app::qt {

struct TemplateWidgets {
    QHash<int, QWidget*> byId;                // controls with an id
    QHash<int, QButtonGroup*> radioGroupOf;   // radio id -> its exclusive group
    QList<QWidget*> factoryPanel;             // the controls flagged factory
    DialogBaseUnits units;
};

// With factoryShown the dialog takes its factory size and the factory panel
// is shown, its edits enabled and its buttons and lists left disabled for
// the core to enable; otherwise the panel stays
// hidden and the dialog keeps its standard size.
TemplateWidgets BuildTemplateWidgets(QWidget& dialog, const DialogTemplate& tpl, const QIcon& icon,
                                     bool factoryShown);

// What a control's widget shows for its caption: an ampersand in a caption is
// a character, not a mnemonic marker.
QString DisplayCaption(const QString& caption);

}  // namespace orv::app::qt
