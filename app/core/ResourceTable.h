#pragma once
// The window resources (dialog templates, list entries, string table) read
// from the UTF-8 table compiled into the program. Both front ends build their
// windows from it and the tests check the windows against it, so layout lives
// in one place. Texts stay UTF-8 here; each front end converts at its edge.
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orv::app {

enum class ControlKind { GroupBox, Label, Edit, List, Button, Radio, Icon, Comm };

struct DuRect {  // dialog units
    int x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const DuRect&, const DuRect&) = default;
};

struct DuSize {  // dialog units; 0 x 0 when absent
    int width = 0, height = 0;
    bool Empty() const { return width <= 0 || height <= 0; }
    friend bool operator==(const DuSize&, const DuSize&) = default;
};

struct ControlTemplate {
    int id = -1;  // -1 for statics nobody addresses
    ControlKind kind = ControlKind::Label;
    std::string caption;
    DuRect rect;
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
    std::string caption;
    DuSize size;
    DuSize factorySize;  // empty when the dialog has no factory panel
    std::string fontFace;
    int fontPoints = 9;
    std::vector<ControlTemplate> controls;
    std::map<int, std::vector<std::string>> items;  // list id -> initial entries

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
    static ResourceTable Parse(std::string_view text);

    const DialogTemplate& Dialog(int dialogId) const;  // throws ResourceError
    // An absent string is empty, as a failed string load is.
    std::string String(int stringId) const;

    std::map<int, DialogTemplate> dialogs;
    std::map<int, std::string> strings;
};

}  // namespace orv::app
