#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "system/admin_folder_rules.h"

namespace {

constexpr wchar_t kUserSid[] = L"S-1-5-21-1004336348-1177238915-682003330-1001";
constexpr wchar_t kUsersSid[] = L"S-1-5-32-545";
constexpr uint8_t kHandedDown = kObjectInherit | kContainerInherit;

FolderProtection Changed(const std::function<void(FolderProtection&)>& change) {
  FolderProtection protection = AdminOnlyProtection();
  change(protection);
  return protection;
}

}  // namespace

TEST(AdminOnlyProtection, GivesSystemAndAdministratorsFullAccessHandedDownAndInheritsNothing) {
  EXPECT_EQ(ProtectionSddl(AdminOnlyProtection()),
            L"O:S-1-5-32-544D:P(A;OICI;0x1f01ff;;;S-1-5-18)(A;OICI;0x1f01ff;;;S-1-5-32-544)");
  EXPECT_TRUE(IsAdminOnly(AdminOnlyProtection()));
}

TEST(IsAdminOnly, RefusesEveryWayOthersGetInOrAdministratorsLoseFullAccess) {
  struct Case {
    const char* what;
    FolderProtection protection;
  };
  const std::vector<Case> refused = {
      {"owned by a user", Changed([](auto& p) { p.owner = kUserSid; })},
      {"no owner", Changed([](auto& p) { p.owner.clear(); })},
      {"inherits from its parent", Changed([](auto& p) { p.daclProtected = false; })},
      {"no list: everyone may do anything", Changed([](auto& p) { p.hasDacl = false; })},
      {"users may add files",
       Changed([](auto& p) {
         p.entries.push_back({AccessKind::kAllow, kHandedDown, 0x2, kUsersSid});
       })},
      {"the creator of a file gets full access to it",
       Changed([](auto& p) {
         p.entries.push_back(
             {AccessKind::kAllow, kHandedDown | kInheritOnly, kGenericAll, L"S-1-3-0"});
       })},
      {"an entry of a kind the check does not know",
       Changed([](auto& p) { p.entries.push_back({AccessKind::kOther, 0, 0, L""}); })},
      {"administrators may only read",
       Changed([](auto& p) { p.entries[1].rights = 0x1200a9; })},
      {"administrators' access is not handed down",
       Changed([](auto& p) { p.entries[1].flags = 0; })},
      {"administrators' access only handed down",
       Changed([](auto& p) { p.entries[1].flags = kHandedDown | kInheritOnly; })},
      {"system has no access", Changed([](auto& p) { p.entries.erase(p.entries.begin()); })},
  };
  for (const Case& c : refused) EXPECT_FALSE(IsAdminOnly(c.protection)) << c.what;
}

TEST(IsAdminOnly, AcceptsTheFormsThePlatformMayStoreOurListIn) {
  // Owned by SYSTEM (an installer run by a deployment service).
  EXPECT_TRUE(IsAdminOnly(Changed([](auto& p) { p.owner = kSystemSid; })));
  // A deny entry only takes rights away.
  EXPECT_TRUE(IsAdminOnly(Changed([](auto& p) {
    p.entries.push_back({AccessKind::kDeny, kHandedDown, kFileAllAccess, L"S-1-5-32-546"});
  })));
  // Full access split into one entry for the folder and a generic one handed down.
  const FolderProtection split{
      .owner = kAdministratorsSid,
      .hasDacl = true,
      .daclProtected = true,
      .entries = {{AccessKind::kAllow, 0, kFileAllAccess, kSystemSid},
                  {AccessKind::kAllow, kHandedDown | kInheritOnly, kGenericAll, kSystemSid},
                  {AccessKind::kAllow, 0, kFileAllAccess, kAdministratorsSid},
                  {AccessKind::kAllow, kHandedDown | kInheritOnly, kGenericAll,
                   kAdministratorsSid}},
  };
  EXPECT_TRUE(IsAdminOnly(split));
}

TEST(DecideFolderAction, NeverUsesALinkOrFileAndChecksFoldersOnlyWhereDescriptorsAreKept) {
  const FoundFolder missing{};
  const FoundFolder link{.exists = true, .isFolder = true, .isLink = true,
                         .protection = AdminOnlyProtection()};
  const FoundFolder file{.exists = true, .isFolder = false, .isLink = false,
                         .protection = AdminOnlyProtection()};
  const FoundFolder ours{.exists = true, .isFolder = true, .isLink = false,
                         .protection = AdminOnlyProtection()};
  const FoundFolder foreign{.exists = true, .isFolder = true, .isLink = false,
                            .protection = Changed([](auto& p) { p.owner = kUserSid; })};
  const FoundFolder unreadable{.exists = true, .isFolder = true, .isLink = false,
                               .protection = std::nullopt};
  for (const bool kept : {true, false}) {
    EXPECT_EQ(DecideFolderAction(missing, kept), FolderAction::kCreate);
    EXPECT_EQ(DecideFolderAction(link, kept), FolderAction::kMoveAside);
    EXPECT_EQ(DecideFolderAction(file, kept), FolderAction::kMoveAside);
    EXPECT_EQ(DecideFolderAction(ours, kept), FolderAction::kUse);
  }
  EXPECT_EQ(DecideFolderAction(foreign, true), FolderAction::kMoveAside);
  EXPECT_EQ(DecideFolderAction(unreadable, true), FolderAction::kMoveAside);
  // Where nothing keeps descriptors, a folder of the last run (a partial download in it)
  // reads back like any other: it is used, not moved aside on every start.
  EXPECT_EQ(DecideFolderAction(foreign, false), FolderAction::kUse);
  EXPECT_EQ(DecideFolderAction(unreadable, false), FolderAction::kUse);
}
