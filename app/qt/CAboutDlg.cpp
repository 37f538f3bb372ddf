#include "app/qt/CAboutDlg.h"

#include <QAbstractButton>

#include "app/core/ControlIds.h"
#include "app/qt/AppIcon.h"
#include "app/qt/ResourceTable.h"
#include "app/qt/TemplateWidgets.h"

namespace orv::app::qt {

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    const DialogTemplate& tpl = ResourceTable::Builtin().Dialog(id::AboutDialog);
    setWindowTitle(tpl.caption);
    setWindowIcon(AppIcon());
    const TemplateWidgets widgets = BuildTemplateWidgets(*this, tpl, AppIcon(), false);
    if (auto* ok = qobject_cast<QAbstractButton*>(widgets.byId.value(id::Exit)))
        connect(ok, &QAbstractButton::clicked, this, &QDialog::accept);
}

}  // namespace orv::app::qt
