#pragma once
// A bitmap written as a PNG file, through GDI+ (part of every Windows).
#include "app/win32/Win32Api.h"

#include <filesystem>
#include <string>

namespace orv::app::win32 {

// Empty when written, else why not. A file left half written is removed.
std::string SavePng(HBITMAP bitmap, const std::filesystem::path& file);

}  // namespace orv::app::win32
