// What the download- and install-stage tests share: a clean Temp folder with the carried
// extractor, packages made with it, and fixture programs.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "config/package_info.h"
#include "download/md5_core.h"
#include "system/carried_files.h"
#include "system/folder_set.h"
#include "system/folder_tree.h"
#include "system/install_log.h"
#include "system/process.h"
#include "win/download_test_support.h"
#include "win/system_test_support.h"
#include "win/workflow_test_support.h"

namespace stage_test {

using test_support::ReadFileBytes;
using test_support::WriteFileBytes;

// An empty Temp folder holding only the extractor, as the first worker leaves it.
inline void PrepareTempFolder() {
  DeleteFolderTree(GetTempFolder());
  ASSERT_TRUE(system_test::RemakeWorkingFolder());
  ASSERT_TRUE(ExtractFileResource(IDR_FILE_7ZA, GetTempFolder() + L"\\7za.exe"));
}

// Writes each file (relative path -> bytes) under `root`, creating folders on the way.
inline void WriteTree(const std::wstring& root, const std::map<std::wstring, std::string>& files) {
  CreateFolderPath(root);
  for (const auto& [relative, bytes] : files) {
    const std::wstring path = root + L"\\" + relative;
    CreateFolderPath(path.substr(0, path.rfind(L'\\')));
    WriteFileBytes(path, bytes);
  }
}

struct Published {
  std::string md5;
  int size = 0;
  std::string bytes;
};

inline Published Describe(std::string bytes) {
  return Published{Md5OfBytes(bytes), static_cast<int>(bytes.size()), std::move(bytes)};
}

// A 7-Zip package in the release folder: one top folder named like the archive without
// its extension, holding `files`. Made with the extractor the installer carries.
inline Published PublishPackage(const std::wstring& archiveName,
                                const std::map<std::wstring, std::string>& files) {
  const std::wstring work = GetTempFolder() + L"\\..\\package-maker";
  DeleteFolderTree(work);
  const std::wstring top = archiveName.substr(0, archiveName.rfind(L'.'));
  WriteTree(work + L"\\" + top, files);
  CreateFolderPath(work + L"\\" + top);
  const std::wstring release = download_test::ReleaseFile(archiveName);
  DeleteFileW(release.c_str());
  const auto code = RunProgramForExitCode(SW_HIDE, work, GetTempFolder() + L"\\7za.exe",
                                          L"a -bd \"" + release + L"\" \"" + top + L"\"");
  EXPECT_EQ(code.value_or(99), 0u) << "7za could not make the package";
  DeleteFolderTree(work);
  return Describe(ReadFileBytes(release));
}

inline std::wstring FixtureExe(const wchar_t* name) { return system_test::FixturePath(name); }

// <ProgramData>\LumetraFixtures\<role>.txt, as the prerequisite stand-ins write it.
inline std::wstring FixtureRecord(const wchar_t* role) {
  wchar_t data[MAX_PATH] = {};
  GetEnvironmentVariableW(L"ProgramData", data, MAX_PATH);
  return std::wstring(data) + L"\\LumetraFixtures\\" + role + L".txt";
}

inline PackageInfo Record(const std::wstring& url, const Published& file,
                          const std::wstring& version = L"") {
  PackageInfo info;
  info.url = url;
  info.md5 = std::wstring(file.md5.begin(), file.md5.end());
  info.size = file.size;
  info.needed = 1;
  info.version = version;
  return info;
}

}  // namespace stage_test
