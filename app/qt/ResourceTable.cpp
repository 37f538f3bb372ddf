#include "app/qt/ResourceTable.h"

#include <QFile>

namespace orv::app::qt {

namespace {

QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

ControlTemplate Convert(const app::ControlTemplate& c) {
    ControlTemplate out;
    out.id = c.id;
    out.kind = c.kind;
    out.caption = FromUtf8(c.caption);
    out.rect = QRect(c.rect.x, c.rect.y, c.rect.width, c.rect.height);
    out.group = c.group;
    out.hidden = c.hidden;
    out.disabled = c.disabled;
    out.readOnly = c.readOnly;
    out.frameless = c.frameless;
    out.defaultButton = c.defaultButton;
    out.factory = c.factory;
    out.neverShown = c.neverShown;
    return out;
}

DialogTemplate Convert(const app::DialogTemplate& d) {
    DialogTemplate out;
    out.id = d.id;
    out.caption = FromUtf8(d.caption);
    out.size = QSize(d.size.width, d.size.height);
    if (!d.factorySize.Empty()) out.factorySize = QSize(d.factorySize.width, d.factorySize.height);
    out.fontFace = FromUtf8(d.fontFace);
    out.fontPoints = d.fontPoints;
    for (const auto& c : d.controls) out.controls.push_back(Convert(c));
    for (const auto& [listId, entries] : d.items) {
        QStringList list;
        for (const auto& e : entries) list << FromUtf8(e);
        out.items[listId] = list;
    }
    return out;
}

}  // namespace

const ControlTemplate* DialogTemplate::Find(int controlId) const {
    for (const auto& c : controls)
        if (c.id == controlId) return &c;
    return nullptr;
}

ResourceTable ResourceTable::Parse(const QString& text) {
    const app::ResourceTable parsed = app::ResourceTable::Parse(text.toUtf8().toStdString());
    ResourceTable table;
    for (const auto& [dialogId, d] : parsed.dialogs) table.dialogs.emplace(dialogId, Convert(d));
    for (const auto& [stringId, s] : parsed.strings) table.strings[stringId] = FromUtf8(s);
    return table;
}

const ResourceTable& ResourceTable::Builtin() {
    static const ResourceTable table = [] {
        QFile file(QStringLiteral(":/orvane/dialogs.txt"));
        if (!file.open(QIODevice::ReadOnly)) throw ResourceError("the resource table is missing from the program");
        return Parse(QString::fromUtf8(file.readAll()));
    }();
    return table;
}

const DialogTemplate& ResourceTable::Dialog(int dialogId) const {
    const auto it = dialogs.find(dialogId);
    if (it == dialogs.end()) throw ResourceError("no dialog template " + std::to_string(dialogId));
    return it->second;
}

QString ResourceTable::String(int stringId) const {
    const auto it = strings.find(stringId);
    return it == strings.end() ? QString() : it->second;
}

}  // namespace orv::app::qt
