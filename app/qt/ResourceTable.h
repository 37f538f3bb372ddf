#pragma once
// The window resources (dialog templates, list entries, string table) read
// from the UTF-8 table compiled into the program. The widgets are built from
// it and the tests check the widgets against it, so layout lives in one place.
#include <QHash>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <stdexcept>
#include <vector>

namespace orv::app::qt {

enum class ControlKind { GroupBox, Label, Edit, List, Button, Radio, Icon, Comm };

struct ControlTemplate {
    int id = -1;  // -1 for statics nobody addresses
    ControlKind kind = ControlKind::Label;
    QString caption;
    QRect rect;  // dialog units
    bool group = false;
    bool hidden = false;
    bool disabled = false;
    bool readOnly = false;
    bool frameless = false;
    bool defaultButton = false;
    bool factory = false;
    // Holds a bound text and nothing else: hidden in every build, also when
    // the factory panel around it is shown.
    bool neverShown = false;
};

struct DialogTemplate {
    int id = 0;
    QString caption;
    QSize size;         // dialog units
    QSize factorySize;  // dialog units; empty when the dialog has no factory panel
    QString fontFace;
    int fontPoints = 9;
    std::vector<ControlTemplate> controls;
    std::map<int, QStringList> items;  // list id -> initial entries

    const ControlTemplate* Find(int controlId) const;
};

class ResourceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ResourceTable {
public:
    // Throws ResourceError naming the line of the first malformed record: a
    // broken table is a build fault and must not half-build a window.
    static ResourceTable Parse(const QString& text);
    // The table compiled into the program.
    static const ResourceTable& Builtin();

    const DialogTemplate& Dialog(int dialogId) const;  // throws ResourceError
    // An absent string is empty, as a failed string load is.
    QString String(int stringId) const;

    std::map<int, DialogTemplate> dialogs;
    std::map<int, QString> strings;
};

}  // namespace orv::app::qt
