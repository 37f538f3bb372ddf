#pragma once
// The shared resource table in Qt's types, for the widgets built from it.
#include <QHash>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <vector>

#include "app/core/ResourceTable.h"

namespace orv::app::qt {

using app::ControlKind;
using app::ResourceError;

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
