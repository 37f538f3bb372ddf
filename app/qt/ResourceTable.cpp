#include "app/qt/ResourceTable.h"

#include <QFile>

namespace orv::app::qt {

namespace {

// Blanks pad the columns of the table for reading; quotes protect the blanks
// that belong to a caption ("Input Meas. " ends in one).
QString Unquote(const QString& field) {
    const QString t = field.trimmed();
    if (t.size() >= 2 && t.startsWith(u'"') && t.endsWith(u'"')) return t.mid(1, t.size() - 2);
    return t;
}

[[noreturn]] void Fail(int line, const QString& why) {
    throw ResourceError(QStringLiteral("resource table line %1: %2").arg(line).arg(why).toStdString());
}

int ToInt(const QString& field, int line) {
    bool ok = false;
    const int v = field.trimmed().toInt(&ok);
    if (!ok) Fail(line, QStringLiteral("not a number: '%1'").arg(field.trimmed()));
    return v;
}

ControlKind ToKind(const QString& field, int line) {
    static const QHash<QString, ControlKind> kinds{
        {"groupbox", ControlKind::GroupBox}, {"label", ControlKind::Label}, {"edit", ControlKind::Edit},
        {"list", ControlKind::List},         {"button", ControlKind::Button}, {"radio", ControlKind::Radio},
        {"icon", ControlKind::Icon},         {"comm", ControlKind::Comm},
    };
    const auto it = kinds.find(field.trimmed());
    if (it == kinds.end()) Fail(line, QStringLiteral("unknown control kind '%1'").arg(field.trimmed()));
    return *it;
}

void ApplyFlags(ControlTemplate& c, const QString& field, int line) {
    for (const QString& flag : field.split(u' ', Qt::SkipEmptyParts)) {
        if (flag == "group") c.group = true;
        else if (flag == "hidden") c.hidden = true;
        else if (flag == "disabled") c.disabled = true;
        else if (flag == "readonly") c.readOnly = true;
        else if (flag == "frameless") c.frameless = true;
        else if (flag == "default") c.defaultButton = true;
        else if (flag == "factory") c.factory = true;
        else if (flag == "nevershown") c.hidden = c.neverShown = true;
        else Fail(line, QStringLiteral("unknown flag '%1'").arg(flag));
    }
}

DialogTemplate& Existing(ResourceTable& table, int dialogId, int line) {
    const auto it = table.dialogs.find(dialogId);
    if (it == table.dialogs.end()) Fail(line, QStringLiteral("dialog %1 used before its DIALOG record").arg(dialogId));
    return it->second;
}

}  // namespace

const ControlTemplate* DialogTemplate::Find(int controlId) const {
    for (const auto& c : controls)
        if (c.id == controlId) return &c;
    return nullptr;
}

ResourceTable ResourceTable::Parse(const QString& text) {
    ResourceTable table;
    const QStringList lines = text.split(u'\n');
    for (int n = 0; n < lines.size(); ++n) {
        const int line = n + 1;
        const QString raw = lines[n].trimmed();
        if (raw.isEmpty() || raw.startsWith(u'#')) continue;
        const QStringList f = raw.split(u'|');
        const QString record = f[0].trimmed();
        auto need = [&](qsizetype count) {
            if (f.size() < count) Fail(line, QStringLiteral("%1 needs %2 fields").arg(record).arg(count));
        };
        if (record == "DIALOG") {
            need(5);
            DialogTemplate d;
            d.id = ToInt(f[1], line);
            d.caption = Unquote(f[2]);
            d.size = QSize(ToInt(f[3], line), ToInt(f[4], line));
            if (f.size() >= 7) d.factorySize = QSize(ToInt(f[5], line), ToInt(f[6], line));
            if (!table.dialogs.emplace(d.id, d).second) Fail(line, QStringLiteral("dialog %1 defined twice").arg(d.id));
        } else if (record == "FONT") {
            need(4);
            auto& d = Existing(table, ToInt(f[1], line), line);
            d.fontFace = Unquote(f[2]);
            d.fontPoints = ToInt(f[3], line);
        } else if (record == "CONTROL") {
            need(9);
            auto& d = Existing(table, ToInt(f[1], line), line);
            ControlTemplate c;
            c.id = ToInt(f[2], line);
            c.kind = ToKind(f[3], line);
            c.caption = Unquote(f[4]);
            c.rect = QRect(ToInt(f[5], line), ToInt(f[6], line), ToInt(f[7], line), ToInt(f[8], line));
            if (f.size() >= 10) ApplyFlags(c, f[9], line);
            // Two controls with one id would make every lookup by id ambiguous.
            if (c.id > 0 && d.Find(c.id)) Fail(line, QStringLiteral("control %1 defined twice").arg(c.id));
            d.controls.push_back(c);
        } else if (record == "ITEMS") {
            need(3);
            auto& d = Existing(table, ToInt(f[1], line), line);
            const int listId = ToInt(f[2], line);
            const ControlTemplate* list = d.Find(listId);
            if (!list || list->kind != ControlKind::List) Fail(line, QStringLiteral("%1 is not a list").arg(listId));
            QStringList entries;
            for (qsizetype k = 3; k < f.size(); ++k) entries << Unquote(f[k]);
            d.items[listId] = entries;
        } else if (record == "STRING") {
            need(3);
            table.strings[ToInt(f[1], line)] = Unquote(f[2]);
        } else {
            Fail(line, QStringLiteral("unknown record '%1'").arg(record));
        }
    }
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
