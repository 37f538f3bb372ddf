// Discovery on Windows end to end: the vendor library loaded from disk and
// called by ordinal (here a stand-in that reports chosen bridges), the port
// name read from the registry, and the platform version query deciding which
// lookup runs, all under the program's own manifest.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "link/discovery/FindBridgePort.h"

namespace {

const char kUsbEnum[] = "SYSTEM\\CurrentControlSet\\Enum\\USB";

std::wstring StandInFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.erase(folder.find_last_of(L'\\'));
    return folder + L"\\standin";
}

struct PortEntry {
    std::string device;  // under Enum\USB, e.g. "Vid_10c4&Pid_ea60\\0001"
    std::string portName;
};

void WriteEntry(const PortEntry& entry) {
    const std::string path = std::string(kUsbEnum) + "\\" + entry.device + "\\Device Parameters";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS)
        << path;
    RegSetValueExA(key, "PortName", 0, REG_SZ, reinterpret_cast<const BYTE*>(entry.portName.c_str()),
                   static_cast<DWORD>(entry.portName.size() + 1));
    RegCloseKey(key);
}

void RemoveEntries() {
    for (const char* device : {"Vid_10c4&Pid_ea60", "Vid_10c4&Pid_ea60&Mi_00", "Vid_10c4&Pid_ea70"}) {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string(kUsbEnum) + "\\" + device).c_str());
    }
}

TEST(BridgeDiscovery, FindsThePortOfWhatIsPluggedIn) {
    const std::string longSerial(70, 'S');
    const struct {
        const char* what;
        bool library;
        std::string bridges;
        std::vector<PortEntry> registry;
        int port;
    } cases[] = {
        {"no library", false, "10c4:ea60:0001", {{"Vid_10c4&Pid_ea60\\0001", "COM3"}}, 0},
        {"library, no bridge", true, "", {{"Vid_10c4&Pid_ea60\\0001", "COM3"}}, 0},
        {"one bridge", true, "10c4:ea60:0001", {{"Vid_10c4&Pid_ea60\\0001", "COM3"}}, 3},
        {"composite interface path, blank in serial", true, "10c4:ea60:AB 12",
         {{"Vid_10c4&Pid_ea60&Mi_00\\AB_12_00", "COM12"}, {"Vid_10c4&Pid_ea60\\AB_12", "COM4"}}, 12},
        {"one bridge without a port entry", true, "10c4:ea60:0002", {{"Vid_10c4&Pid_ea60\\0001", "COM3"}}, -1},
        {"two bridges: the last one decides", true, "10c4:ea60:0001;10c4:ea70:0009",
         {{"Vid_10c4&Pid_ea60\\0001", "COM3"}, {"Vid_10c4&Pid_ea70\\0009", "COM7"}}, 7},
        {"serial longer than the library's area", true, "10c4:ea60:" + longSerial,
         {{"Vid_10c4&Pid_ea60\\" + longSerial.substr(0, 63), "COM3"}}, 0},
    };
    const std::wstring folder = StandInFolder();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RemoveEntries();
        for (const auto& entry : c.registry) WriteEntry(entry);
        SetEnvironmentVariableA("ORV_STANDIN_BRIDGES", c.bridges.c_str());
        SetDllDirectoryW(c.library ? folder.c_str() : nullptr);
        EXPECT_EQ(orv::discovery::FindBridgePortOnThisPlatform(), c.port);
    }
    SetDllDirectoryW(nullptr);
    RemoveEntries();
}

// The program's manifest declares no compatibility with Windows 8.1 or later,
// so the version query keeps answering 6.2 on Windows 10 and 11 and the NT
// lookup runs (a major version of 10 would run no lookup at all). The true
// version comes from ntdll, which no manifest changes.
TEST(BridgeDiscovery, VersionQueryPicksTheNtLookupUnderTheProgramsManifest) {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    ASSERT_NE(rtlGetVersion, nullptr);
    OSVERSIONINFOW actual{};
    actual.dwOSVersionInfoSize = sizeof actual;
    rtlGetVersion(&actual);

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const DWORD word = GetVersion();
#pragma GCC diagnostic pop
    const DWORD gate = word & 0x8000000Fu;  // the 9x flag and the low four bits of the major version
    // Only on Windows 10 or later does the manifest make a difference.
    ASSERT_GE(actual.dwMajorVersion, 10u) << "the test system must report Windows 10 or later";
    EXPECT_TRUE(gate == 5 || gate == 6) << "version word " << std::hex << word << " on Windows "
                                        << std::dec << actual.dwMajorVersion << "." << actual.dwMinorVersion;
}

}  // namespace
