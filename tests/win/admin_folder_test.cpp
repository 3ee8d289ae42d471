#include "system/admin_folder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "system/folder_set.h"
#include "system/folder_tree.h"
#include "win/system_test_support.h"
#include "win/win_test_support.h"

namespace {

using system_test::MachineDataFolder;
using system_test::RunningUnderWine;
using test_support::PathExists;
using test_support::ReadFileBytes;
using test_support::RoamingFolder;
using test_support::WriteFileBytes;

// Names in `folder` (without "." and ".."), each followed by '|'.
std::wstring EntriesOf(const std::wstring& folder) {
  std::wstring names;
  WIN32_FIND_DATAW found{};
  ScopedFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &found));
  if (!find.valid()) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names += name + L"|";
  } while (FindNextFileW(find.get(), &found));
  return names;
}

std::string InstallLog() {
  return ReadFileBytes(RoamingFolder() + L"\\Lumetra\\Log\\Install.log");
}

std::string Ascii(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// A scratch folder standing for <common application data>, removed afterwards from the
// Linux side (which removes links without following them).
class PrepareWorkingFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_ = system_test::ScratchFolder("workdir-machine", &linuxMachine_);
    temp_ = machine_ + L"\\Lumetra\\Temp";
  }
  void TearDown() override { system_test::RemoveTreeForTest(machine_, linuxMachine_); }

  std::wstring machine_;
  std::string linuxMachine_;
  std::wstring temp_;
};

}  // namespace

TEST(AdminOnlyDescriptor, ReadsBackAsTheListItWasBuiltFrom) {
  // The text the folders are made with, through the platform's descriptor and back.
  EXPECT_EQ(ProtectionOfSddl(ProtectionSddl(AdminOnlyProtection())), AdminOnlyProtection());
  const std::optional<FolderProtection> open = ProtectionOfSddl(L"O:BUD:(A;OICI;FA;;;WD)");
  ASSERT_TRUE(open);
  EXPECT_EQ(open->owner, L"S-1-5-32-545");
  EXPECT_TRUE(open->hasDacl);
  EXPECT_FALSE(open->daclProtected);
  EXPECT_FALSE(IsAdminOnly(*open));
}

TEST(WorkingFolder, OnlySystemAndAdministratorsCanChangeIt) {
  ASSERT_TRUE(system_test::RemakeWorkingFolder());
  const std::optional<FolderProtection> protection = ReadProtection(GetTempFolder());
  ASSERT_TRUE(protection);
  if (!IsAdminOnly(*protection) && RunningUnderWine() &&
      !FolderDescriptorsKept(MachineDataFolder()))
    GTEST_SKIP() << "Wine keeps no access lists on this file system (it turns them into Unix "
                    "permission bits): the working folder reads back as "
                 << Ascii(ProtectionSddl(*protection))
                 << ", like every folder made here; only links and files standing in its "
                    "place are checked";
  EXPECT_TRUE(IsAdminOnly(*protection)) << Ascii(ProtectionSddl(*protection));
}

TEST_F(PrepareWorkingFolderTest, UsesTheFolderOfAnEarlierRunWithWhatItHolds) {
  ASSERT_EQ(PrepareWorkingFolder(machine_), temp_);
  EXPECT_EQ(EntriesOf(machine_), L"Lumetra|") << "the probe folder was left";
  // A partial download of this run must still be there for the next one to resume.
  ASSERT_TRUE(WriteFileBytes(temp_ + L"\\package.7z", "first half"));
  EXPECT_EQ(PrepareWorkingFolder(machine_), temp_);
  EXPECT_EQ(ReadFileBytes(temp_ + L"\\package.7z"), "first half");
  EXPECT_EQ(EntriesOf(machine_ + L"\\Lumetra"), L"Temp|") << "something was moved aside";
}

TEST_F(PrepareWorkingFolderTest, MovesAFileStandingInItsPlaceAside) {
  ASSERT_EQ(PrepareWorkingFolder(machine_), temp_);
  ASSERT_TRUE(RemoveDirectoryW(temp_.c_str()));
  ASSERT_TRUE(WriteFileBytes(temp_, "planted"));

  EXPECT_EQ(PrepareWorkingFolder(machine_), temp_);
  const DWORD attributes = GetFileAttributesW(temp_.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
  const std::wstring entries = EntriesOf(machine_ + L"\\Lumetra");
  const size_t moved = entries.find(L"Temp.moved-");
  ASSERT_NE(moved, std::wstring::npos) << entries;
  const std::wstring aside =
      machine_ + L"\\Lumetra\\" + entries.substr(moved, entries.find(L'|', moved) - moved);
  EXPECT_EQ(ReadFileBytes(aside), "planted");
  EXPECT_NE(InstallLog().find("Folder moved aside: " + Ascii(temp_) + " -> " + Ascii(aside)),
            std::string::npos);
}

TEST_F(PrepareWorkingFolderTest, NeverWritesThroughALinkPlantedAsTemp) {
  std::string linuxTarget;
  const std::wstring target = system_test::ScratchFolder("workdir-link-target", &linuxTarget);
  ASSERT_EQ(PrepareWorkingFolder(machine_), temp_);
  ASSERT_TRUE(RemoveDirectoryW(temp_.c_str()));
  REQUIRE_FIXTURE(system_test::MakeLink(temp_, linuxMachine_ + "/Lumetra/Temp", target,
                                        linuxTarget, true),
                  "no folder link could be made");

  const std::wstring work = PrepareWorkingFolder(machine_);
  ASSERT_FALSE(work.empty());
  EXPECT_FALSE(system_test::IsLink(work));
  EXPECT_FALSE(LeadsElsewhere(work));
  ASSERT_TRUE(WriteFileBytes(work + L"\\package.7z", "downloaded"));
  EXPECT_TRUE(PathExists(target)) << "the link's target was moved away";
  EXPECT_EQ(EntriesOf(target), L"") << "something was written through the link";

  const std::wstring entries = EntriesOf(machine_ + L"\\Lumetra");
  if (work == temp_) {
    // The link itself renamed beside the new folder, still leading where it did.
    EXPECT_NE(entries.find(L"Temp.moved-"), std::wstring::npos) << entries;
    EXPECT_NE(InstallLog().find("Folder moved aside: " + Ascii(temp_)), std::string::npos);
  } else {
    // Wine renames and deletes a Linux link's target through any path or handle: the
    // link stays as it is and a fresh folder beside it is the working folder.
    EXPECT_TRUE(RunningUnderWine()) << "the link was not moved aside";
    EXPECT_TRUE(system_test::IsLink(temp_));
    EXPECT_EQ(work.rfind(temp_ + L".", 0), 0u) << work;
    EXPECT_NE(InstallLog().find("Folder cannot be moved aside, using " + Ascii(work)),
              std::string::npos);
  }
  system_test::RemoveTreeForTest(target, linuxTarget);
}
