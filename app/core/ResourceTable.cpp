#include "app/core/ResourceTable.h"

#include <charconv>

namespace orv::app {

namespace {

std::string_view Trim(std::string_view s) {
    constexpr std::string_view blanks = " \t\r";
    const auto first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(blanks);
    return s.substr(first, last - first + 1);
}

std::vector<std::string_view> Split(std::string_view s, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const auto at = s.find(separator);
        parts.push_back(s.substr(0, at));
        if (at == std::string_view::npos) return parts;
        s.remove_prefix(at + 1);
    }
}

// Blanks pad the columns of the table for reading; quotes protect the blanks
// that belong to a caption ("Input Meas. " ends in one).
std::string Unquote(std::string_view field) {
    const std::string_view t = Trim(field);
    if (t.size() >= 2 && t.front() == '"' && t.back() == '"') return std::string(t.substr(1, t.size() - 2));
    return std::string(t);
}

[[noreturn]] void Fail(int line, const std::string& why) {
    throw ResourceError("resource table line " + std::to_string(line) + ": " + why);
}

int ToInt(std::string_view field, int line) {
    const std::string_view t = Trim(field);
    int v = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || ec != std::errc{} || end != t.data() + t.size()) Fail(line, "not a number: '" + std::string(t) + "'");
    return v;
}

ControlKind ToKind(std::string_view field, int line) {
    static const std::map<std::string_view, ControlKind> kinds{
        {"groupbox", ControlKind::GroupBox}, {"label", ControlKind::Label},   {"edit", ControlKind::Edit},
        {"list", ControlKind::List},         {"button", ControlKind::Button}, {"radio", ControlKind::Radio},
        {"icon", ControlKind::Icon},         {"comm", ControlKind::Comm},
    };
    const auto it = kinds.find(Trim(field));
    if (it == kinds.end()) Fail(line, "unknown control kind '" + std::string(Trim(field)) + "'");
    return it->second;
}

void ApplyFlags(ControlTemplate& c, std::string_view field, int line) {
    for (std::string_view flag : Split(field, ' ')) {
        flag = Trim(flag);
        if (flag.empty()) continue;
        if (flag == "group") c.group = true;
        else if (flag == "hidden") c.hidden = true;
        else if (flag == "disabled") c.disabled = true;
        else if (flag == "readonly") c.readOnly = true;
        else if (flag == "frameless") c.frameless = true;
        else if (flag == "default") c.defaultButton = true;
        else if (flag == "factory") c.factory = true;
        else if (flag == "nevershown") c.hidden = c.neverShown = true;
        else Fail(line, "unknown flag '" + std::string(flag) + "'");
    }
}

DialogTemplate& Existing(ResourceTable& table, int dialogId, int line) {
    const auto it = table.dialogs.find(dialogId);
    if (it == table.dialogs.end()) Fail(line, "dialog " + std::to_string(dialogId) + " used before its DIALOG record");
    return it->second;
}

}  // namespace

const ControlTemplate* DialogTemplate::Find(int controlId) const {
    for (const auto& c : controls)
        if (c.id == controlId) return &c;
    return nullptr;
}

ResourceTable ResourceTable::Parse(std::string_view text) {
    ResourceTable table;
    const std::vector<std::string_view> lines = Split(text, '\n');
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const int line = static_cast<int>(n) + 1;
        const std::string_view raw = Trim(lines[n]);
        if (raw.empty() || raw.front() == '#') continue;
        const std::vector<std::string_view> f = Split(raw, '|');
        const std::string record(Trim(f[0]));
        auto need = [&](std::size_t count) {
            if (f.size() < count) Fail(line, record + " needs " + std::to_string(count) + " fields");
        };
        if (record == "DIALOG") {
            need(5);
            DialogTemplate d;
            d.id = ToInt(f[1], line);
            d.caption = Unquote(f[2]);
            d.size = {ToInt(f[3], line), ToInt(f[4], line)};
            if (f.size() >= 7) d.factorySize = {ToInt(f[5], line), ToInt(f[6], line)};
            const int dialogId = d.id;
            if (!table.dialogs.emplace(dialogId, std::move(d)).second)
                Fail(line, "dialog " + std::to_string(dialogId) + " defined twice");
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
            c.rect = {ToInt(f[5], line), ToInt(f[6], line), ToInt(f[7], line), ToInt(f[8], line)};
            if (f.size() >= 10) ApplyFlags(c, f[9], line);
            // Two controls with one id would make every lookup by id ambiguous.
            if (c.id > 0 && d.Find(c.id)) Fail(line, "control " + std::to_string(c.id) + " defined twice");
            d.controls.push_back(std::move(c));
        } else if (record == "ITEMS") {
            need(3);
            auto& d = Existing(table, ToInt(f[1], line), line);
            const int listId = ToInt(f[2], line);
            const ControlTemplate* list = d.Find(listId);
            if (!list || list->kind != ControlKind::List) Fail(line, std::to_string(listId) + " is not a list");
            std::vector<std::string> entries;
            for (std::size_t k = 3; k < f.size(); ++k) entries.push_back(Unquote(f[k]));
            d.items[listId] = std::move(entries);
        } else if (record == "STRING") {
            need(3);
            table.strings[ToInt(f[1], line)] = Unquote(f[2]);
        } else {
            Fail(line, "unknown record '" + record + "'");
        }
    }
    return table;
}

const DialogTemplate& ResourceTable::Dialog(int dialogId) const {
    const auto it = dialogs.find(dialogId);
    if (it == dialogs.end()) throw ResourceError("no dialog template " + std::to_string(dialogId));
    return it->second;
}

std::string ResourceTable::String(int stringId) const {
    const auto it = strings.find(stringId);
    return it == strings.end() ? std::string() : it->second;
}

}  // namespace orv::app
