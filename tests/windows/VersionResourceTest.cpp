// The version resource that cmake/VersionInfo.cmake generates, compiled with
// windres and read back with the calls the version information reader makes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <windows.h>

#include "services/VersionResource.h"

namespace {

std::filesystem::path ThisProgram()
{
    wchar_t Path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, Path, MAX_PATH);
    return Path;
}

TEST(Win32VersionResource, ReadsTheUsEnglishTableOnly)
{
    const std::filesystem::path Dir = ThisProgram().parent_path();
    const std::filesystem::path Plain = std::filesystem::temp_directory_path() / "calvista-plain.txt";
    std::ofstream(Plain) << "no resource here";
    using TValues = std::map<std::string, std::wstring>;
    const struct {
        const char* Name;
        std::filesystem::path File;
        bool HasResource;
        TValues Expected;
    } Cases[] = {
        {"generated resource",
         ThisProgram(),
         true,
         {{"ProductName", L"Calvista \"Wine\" test"},
          {"FileVersion", L"3.1.4.0"},
          {"Comments", L"C:\\build\\team"},
          {"CompanyName", L"Norvane"}}},
        {"German table only", Dir / "german_version.exe", true, {}},
        {"file without a resource", Plain, false, {}},
        {"missing file", Dir / "no-such-program.exe", false, {}},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        DWORD Ignored = 0;
        EXPECT_EQ(GetFileVersionInfoSizeW(C.File.wstring().c_str(), &Ignored) > 0, C.HasResource);
        EXPECT_EQ(ReadWin32VersionStrings(C.File.wstring()), C.Expected);
    }
    std::filesystem::remove(Plain);
}

}  // namespace
