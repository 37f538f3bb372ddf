#include "app/win32/Win32Api.h"

#include <shellapi.h>

#include <string>
#include <vector>

#include "app/win32/CMyApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // The wide command line keeps non-ASCII words intact whatever the code page.
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> args;
    for (int k = 1; argv && k < argc; ++k) args.emplace_back(argv[k]);
    if (argv) LocalFree(argv);
    orv::app::win32::CMyApp app(instance);
    return app.Run(args);
}
