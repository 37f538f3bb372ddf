#include "app/qt/TemplateWidgets.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

namespace orv::app::qt {

namespace {

// A closed drop-down list is as tall as a button; the template's height is
// the extent of the dropped list, which Qt sizes itself.
constexpr int kClosedListHeightDu = 14;

// A group box's title sits on its frame line, the line half a text height
// below the box's top, so boxes nested in the template do not push their
// titles into the controls beneath them.
constexpr const char* kGroupBoxStyle =
    "QGroupBox { border: 1px solid palette(mid); border-radius: 0px; margin-top: 6px; }"
    "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 6px;"
    " padding: 0px 1px; background-color: palette(window); }";

QWidget* Create(QWidget& dialog, const ControlTemplate& c, const QIcon& icon, const DialogBaseUnits& units) {
    switch (c.kind) {
        case ControlKind::GroupBox: {
            auto* w = new QGroupBox(DisplayCaption(c.caption), &dialog);
            // Frames lie over the controls they surround; clicks go through.
            w->setAttribute(Qt::WA_TransparentForMouseEvents);
            return w;
        }
        case ControlKind::Label: {
            auto* w = new QLabel(c.caption, &dialog);
            w->setTextFormat(Qt::PlainText);
            w->setAttribute(Qt::WA_TransparentForMouseEvents);
            return w;
        }
        case ControlKind::Icon: {
            auto* w = new QLabel(&dialog);
            const QRect px = units.ToPixels(c.rect);
            w->setPixmap(icon.pixmap(QSize(32, 32).boundedTo(px.size().expandedTo(QSize(16, 16)))));
            w->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return w;
        }
        case ControlKind::Edit: {
            auto* w = new QLineEdit(&dialog);
            w->setReadOnly(c.readOnly);
            if (c.readOnly) {
                // Read-only fields look like the dialog behind them, as the
                // unit labels and live values do on the original platform.
                QPalette p = w->palette();
                p.setColor(QPalette::Base, p.color(QPalette::Window));
                w->setPalette(p);
            }
            if (c.frameless) {
                // A borderless field reads as a label: no box around the unit.
                w->setFrame(false);
                w->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; }"));
            }
            return w;
        }
        case ControlKind::List: {
            auto* w = new QComboBox(&dialog);
            w->setMaxVisibleItems(12);
            return w;
        }
        case ControlKind::Button: {
            auto* w = new QPushButton(DisplayCaption(c.caption), &dialog);
            if (c.defaultButton) w->setDefault(true);
            return w;
        }
        case ControlKind::Radio: return new QRadioButton(DisplayCaption(c.caption), &dialog);
        case ControlKind::Comm: return nullptr;
    }
    return nullptr;
}

}  // namespace

QString DisplayCaption(const QString& caption) {
    QString s = caption;
    return s.replace(u'&', QStringLiteral("&&"));
}

TemplateWidgets BuildTemplateWidgets(QWidget& dialog, const DialogTemplate& tpl, const QIcon& icon, bool factoryShown) {
    TemplateWidgets out;
    dialog.setFont(DialogFont(tpl.fontFace, tpl.fontPoints));
    dialog.setStyleSheet(QString::fromLatin1(kGroupBoxStyle));
    out.units = DialogBaseUnits::FromFont(dialog.font());

    const bool wide = factoryShown && tpl.factorySize.isValid();
    dialog.setFixedSize(out.units.ToPixels(wide ? tpl.factorySize : tpl.size));

    QList<QWidget*> frames;
    QButtonGroup* radios = nullptr;
    for (const ControlTemplate& c : tpl.controls) {
        QWidget* w = Create(dialog, c, icon, out.units);
        if (!w) continue;

        QRect px = out.units.ToPixels(c.rect);
        if (c.kind == ControlKind::List) px.setHeight(out.units.Y(kClosedListHeightDu));
        w->setGeometry(px);
        // The core enables the panel's buttons and lists as the device model
        // allows; its edit fields are the operator's to type in whenever the
        // panel is shown.
        const bool factoryShownHere = c.factory && factoryShown && !c.neverShown;
        const bool factoryEdit = factoryShownHere && c.kind == ControlKind::Edit;
        if (c.disabled && !factoryEdit) w->setEnabled(false);
        w->setVisible(!c.hidden || factoryShownHere);
        if (c.id > 0) {
            w->setProperty("controlId", c.id);
            out.byId.insert(c.id, w);
        }
        if (c.factory) out.factoryPanel << w;
        if (c.kind == ControlKind::GroupBox) frames << w;

        // A radio group runs from a radio that starts a group to the next
        // control that is not a radio or starts another group.
        if (c.kind == ControlKind::Radio) {
            if (c.group || !radios) {
                radios = new QButtonGroup(&dialog);
                radios->setExclusive(true);
            }
            // The group does the excluding; the button stays auto-exclusive
            // all the same, since that is what tells a screen reader it is
            // a radio button and not a check box.
            auto* button = static_cast<QRadioButton*>(w);
            radios->addButton(button);
            if (c.id > 0) out.radioGroupOf.insert(c.id, radios);
        } else {
            radios = nullptr;
        }
    }
    // Frames were created before what they surround; keep them beneath it.
    for (auto it = frames.rbegin(); it != frames.rend(); ++it) (*it)->lower();

    for (const auto& [listId, entries] : tpl.items) {
        if (auto* list = qobject_cast<QComboBox*>(out.byId.value(listId))) {
            list->addItems(entries);
            list->setCurrentIndex(-1);  // a new list has no selection
        }
    }
    return out;
}

}  // namespace orv::app::qt
