#include "app/win32/DialogTemplateBuilder.h"

#include "app/win32/Win32Api.h"

#include <cstring>

#include "app/win32/Utf16.h"

namespace orv::app::win32 {

namespace {

// Predefined window classes by atom, as resource compilers write them.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;
constexpr WORD kComboBoxClass = 0x0085;

// The Song face of the template is a GB2312 font; asking for that character
// set lets the font mapper find a face with the Chinese captions where the
// named one is not installed.
constexpr BYTE kDialogCharset = GB2312_CHARSET;

class Writer {
public:
    void Word(WORD v) { Raw(&v, sizeof v); }
    void Dword(DWORD v) { Raw(&v, sizeof v); }
    void Short(short v) { Raw(&v, sizeof v); }
    void Byte(BYTE v) { bytes_.push_back(v); }
    void Text(const std::string& utf8) {
        const std::wstring w = Widen(utf8);
        Raw(w.c_str(), (w.size() + 1) * sizeof(wchar_t));
    }
    void Ordinal(WORD v) {
        Word(0xFFFF);
        Word(v);
    }
    void AlignDword() {
        while (bytes_.size() % 4) bytes_.push_back(0);
    }
    std::size_t Size() const { return bytes_.size(); }
    void Patch(std::size_t at, WORD v) { std::memcpy(bytes_.data() + at, &v, sizeof v); }
    const std::vector<BYTE>& Bytes() const { return bytes_; }

private:
    void Raw(const void* p, std::size_t n) {
        const auto* b = static_cast<const BYTE*>(p);
        bytes_.insert(bytes_.end(), b, b + n);
    }
    std::vector<BYTE> bytes_;
};

struct ItemClass {
    WORD atom;
    DWORD style;
};

ItemClass ClassOf(const ControlTemplate& c) {
    switch (c.kind) {
        case ControlKind::GroupBox: return {kButtonClass, BS_GROUPBOX};
        case ControlKind::Label: return {kStaticClass, SS_LEFT | SS_NOPREFIX};
        case ControlKind::Icon: return {kStaticClass, SS_ICON};
        case ControlKind::Edit: {
            DWORD style = ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP;
            if (!c.frameless) style |= WS_BORDER;
            if (c.readOnly) style |= ES_READONLY;
            return {kEditClass, style};
        }
        case ControlKind::List: return {kComboBoxClass, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP};
        case ControlKind::Button:
            return {kButtonClass, DWORD(c.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP};
        case ControlKind::Radio: return {kButtonClass, BS_AUTORADIOBUTTON};
        case ControlKind::Comm: break;
    }
    return {0, 0};
}

}  // namespace

std::string DisplayCaption(const std::string& caption) {
    std::string out;
    for (char ch : caption) {
        out += ch;
        if (ch == '&') out += '&';
    }
    return out;
}

BuiltTemplate BuildDialogTemplate(const DialogTemplate& tpl, bool factoryShown, bool mainWindow) {
    const bool wide = factoryShown && !tpl.factorySize.Empty();
    const DuSize size = wide ? tpl.factorySize : tpl.size;

    Writer w;
    w.Word(1);       // dlgVer
    w.Word(0xFFFF);  // signature of the extended form
    w.Dword(0);      // helpID
    w.Dword(mainWindow ? WS_EX_APPWINDOW : 0);
    w.Dword(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    const std::size_t countAt = w.Size();
    w.Word(0);  // item count, patched below
    w.Short(0);
    w.Short(0);
    w.Short(static_cast<short>(size.width));
    w.Short(static_cast<short>(size.height));
    w.Word(0);  // no menu
    w.Word(0);  // the dialog class
    w.Text(tpl.caption);
    w.Word(static_cast<WORD>(tpl.fontPoints));
    w.Word(FW_NORMAL);
    w.Byte(FALSE);
    w.Byte(kDialogCharset);
    w.Text(tpl.fontFace);

    int count = 0;
    bool inRadioGroup = false;
    for (const ControlTemplate& c : tpl.controls) {
        const ItemClass cls = ClassOf(c);
        if (cls.atom == 0) continue;
        DWORD style = WS_CHILD | cls.style;
        // A radio group runs from a radio that starts a group to the next
        // control that starts one; the first radio also takes the tab stop.
        if (c.group) style |= WS_GROUP;
        if (c.kind == ControlKind::Radio) {
            if (c.group || !inRadioGroup) style |= WS_GROUP | WS_TABSTOP;
            inRadioGroup = true;
        } else if (inRadioGroup) {
            // Whatever follows a group must start the next one, or the auto
            // radios would treat it as one of theirs.
            style |= WS_GROUP;
            inRadioGroup = false;
        }
        if (!c.hidden || (c.factory && factoryShown && !c.neverShown)) style |= WS_VISIBLE;
        // The panel's edit fields are the operator's to type in whenever the
        // panel is shown; its buttons and lists wait for the core.
        const bool factoryEdit = c.factory && factoryShown && !c.neverShown && c.kind == ControlKind::Edit;
        if (c.disabled && !factoryEdit) style |= WS_DISABLED;

        w.AlignDword();
        w.Dword(0);  // helpID
        w.Dword(0);  // exStyle
        w.Dword(style);
        w.Short(static_cast<short>(c.rect.x));
        w.Short(static_cast<short>(c.rect.y));
        w.Short(static_cast<short>(c.rect.width));
        w.Short(static_cast<short>(c.rect.height));
        w.Dword(static_cast<DWORD>(c.id < 0 ? 0xFFFF : c.id));
        w.Ordinal(cls.atom);
        if (c.kind == ControlKind::Icon) w.Ordinal(kIconResource);
        else w.Text(c.kind == ControlKind::Label ? c.caption : DisplayCaption(c.caption));
        w.Word(0);  // no creation data
        ++count;
    }
    w.Patch(countAt, static_cast<WORD>(count));

    BuiltTemplate out;
    out.itemCount = count;
    out.storage.resize((w.Size() + 3) / 4);
    std::memcpy(out.storage.data(), w.Bytes().data(), w.Size());
    return out;
}

}  // namespace orv::app::win32
