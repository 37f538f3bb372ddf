#pragma once
// An in-memory extended dialog template (DLGTEMPLATEEX) built at start-up from
// the resource table compiled into the program, so the Win32 window and the
// Qt window come from the same rows and there is no second copy of the layout.
#include <cstdint>
#include <string>
#include <vector>

#include "app/core/ResourceTable.h"

namespace orv::app::win32 {

inline constexpr int kIconResource = 128;

struct BuiltTemplate {
    // WORD-aligned storage: DialogBoxIndirectParamW needs the template on a
    // DWORD boundary, which std::vector<std::uint32_t> gives.
    std::vector<std::uint32_t> storage;
    int itemCount = 0;
    const void* Data() const { return storage.data(); }
};

// With factoryShown the dialog takes its factory size and the factory panel
// is visible, its edit fields enabled; its buttons and lists stay disabled for
// the core to enable. The serial component has no window and is left out.
// A main window has its own task-bar button; a box it owns does not.
BuiltTemplate BuildDialogTemplate(const DialogTemplate& tpl, bool factoryShown, bool mainWindow);

// What a button's or frame's window text must be for the caption to show as
// written: an ampersand in a caption is a character, not a mnemonic marker.
// Labels need no escaping; they are created without prefix processing.
std::string DisplayCaption(const std::string& caption);

}  // namespace orv::app::win32
