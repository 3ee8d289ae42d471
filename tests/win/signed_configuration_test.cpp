// Builds that require a signed server configuration, headless against the release server:
// a key made for each test stands in for the publisher's (the run context takes its key,
// which the build fills from LUMETRA_RELEASE_KEY).
#include <windows.h>
#include <bcrypt.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include "download/check_download_file.h"
#include "download/cng.h"
#include "download/md5_core.h"
#include "system/folder_set.h"
#include "system/release_serial_store.h"
#include "win/download_test_support.h"
#include "win/workflow_test_support.h"
#include "workflow/configuration_phase.h"
#include "workflow/download_phase.h"
#include "workflow/workflow_controller.h"

namespace {

using namespace workflow_test;
using download_test::ReleaseFile;
using download_test::ReleaseServer;
using test_support::PathExists;
using test_support::ReadFileBytes;
using test_support::WriteFileBytes;

// A throwaway publisher: an ECDSA P-256 key pair inside CNG that signs as OpenSSL's
// `dgst -sha256 -sign` does (DER).
class TestPublisher {
 public:
  TestPublisher() {
    BCryptOpenAlgorithmProvider(&algorithm_, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0);
    BCryptGenerateKeyPair(algorithm_, &key_, 256, 0);
    BCryptFinalizeKeyPair(key_, 0);
    UCHAR blob[sizeof(BCRYPT_ECCKEY_BLOB) + 64];
    ULONG size = 0;
    ok_ = BCryptExportKey(key_, nullptr, BCRYPT_ECCPUBLIC_BLOB, blob, sizeof blob, &size, 0) == 0 &&
          size == sizeof blob;
    std::copy(blob + sizeof(BCRYPT_ECCKEY_BLOB), blob + sizeof blob, publicKey_.begin());
  }
  ~TestPublisher() {
    if (key_) BCryptDestroyKey(key_);
    if (algorithm_) BCryptCloseAlgorithmProvider(algorithm_, 0);
  }
  bool ok() const { return ok_; }
  const P256PublicKey& publicKey() const { return publicKey_; }

  std::string Sign(const std::string& bytes) const {
    Sha256Digest digest = *Sha256OfBytes(bytes);
    RawP256Signature raw{};
    ULONG size = 0;
    EXPECT_EQ(BCryptSignHash(key_, nullptr, digest.data(), digest.size(), raw.data(), raw.size(),
                             &size, 0), 0);
    const std::vector<uint8_t> der = RawToDerSignature(raw);
    return std::string(der.begin(), der.end());
  }

 private:
  BCRYPT_ALG_HANDLE algorithm_ = nullptr;
  BCRYPT_KEY_HANDLE key_ = nullptr;
  P256PublicKey publicKey_{};
  bool ok_ = false;
};

std::wstring SidText(PSID sid) {
  LPWSTR text = nullptr;
  if (!ConvertSidToStringSidW(sid, &text)) return std::wstring();
  std::wstring result = text;
  LocalFree(text);
  return result;
}

// Owned by SYSTEM or Administrators, with a list in which no one else is allowed a right
// that changes the key, its values or its security.
bool OnlyAdministratorsMayChange(PSECURITY_DESCRIPTOR descriptor) {
  const auto isAdmin = [](const std::wstring& sid) { return sid == L"S-1-5-18" || sid == L"S-1-5-32-544"; };
  PSID owner = nullptr;
  BOOL defaulted = FALSE, present = FALSE;
  PACL dacl = nullptr;
  if (!GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) || !owner ||
      !isAdmin(SidText(owner)) || !GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) ||
      !present || !dacl)
    return false;
  constexpr DWORD kChanges = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE |
                             WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
  for (DWORD index = 0; index < dacl->AceCount; ++index) {
    void* ace = nullptr;
    if (!GetAce(dacl, index, &ace)) return false;
    const auto* header = static_cast<const ACE_HEADER*>(ace);
    if (header->AceType == ACCESS_DENIED_ACE_TYPE) continue;
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) return false;
    const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
    if ((allowed->Mask & kChanges) && !isAdmin(SidText(const_cast<DWORD*>(&allowed->SidStart))))
      return false;
  }
  return true;
}

class SignedConfigurationTest : public ::testing::Test {
 protected:
  // An earlier test may have removed the Temp folder, which the installer makes at start-up.
  void SetUp() override {
    Clean();
    ASSERT_TRUE(system_test::RemakeWorkingFolder());
    MarkLogStart();
    controller.run().releaseKey = publisher.publicKey();
  }
  void TearDown() override { Clean(); }
  static void Clean() {
    for (const std::wstring& file : {OverrideFile(), LocalConfigCopy(), LocalConfigCopy() + L".sig"})
      DeleteFileW(file.c_str());
    DeleteUninstallEntry();
  }

  // A configuration offering a package of `size` bytes for every Windows; `sha256` as given;
  // `release` its [Release] section (current unless a test says otherwise).
  std::string Configuration(const std::wstring& package, size_t size, const std::string& sha256,
                            const std::string& release = Release("1", "2099-12-31")) {
    const std::string bytes = server.Publish(package, size, 7);
    return "[Windows_Application]\r\nLatestVersion_10.0=App10\r\n[App10]\r\nURL=" +
           Narrow(server.Url(L"/" + package)) + "\r\nVersion=1.2.3.4\r\nMD5=" + Md5OfBytes(bytes) +
           "\r\nSHA256=" + sha256 + "\r\nBytes=" + std::to_string(size) +
           "\r\nOSSupport=all\r\n[NetFramework]\r\nNeeded=0\r\n[VC2015x86]\r\nNeeded=0\r\n" +
           release;
  }
  static std::string Release(const std::string& serial, const std::string& expires) {
    return "[Release]\r\nSerial=" + serial + "\r\nExpires=" + expires + "\r\n";
  }
  // Serves the configuration (and its signature unless empty) and points the installer at it.
  void Serve(const std::wstring& name, const std::string& config, const std::string& signature) {
    WriteFileBytes(ReleaseFile(name), config);
    DeleteFileW(ReleaseFile(name + L".sig").c_str());
    if (!signature.empty()) WriteFileBytes(ReleaseFile(name + L".sig"), signature);
    WriteOverride(server.Url(L"/" + name), 5000);
  }
  // The first worker, to its end.
  void Run() {
    controller.Start();
    controller.WaitForWorker();
  }
  // The configuration phase alone, with the test's key: a refused configuration ends the
  // run there, and its result shows whether anything of the configuration was read.
  PlanResult FetchPlanOnly(RecordingView& shown) {
    RunContext run(shown);
    run.releaseKey = publisher.publicKey();
    return FetchPlan(run);
  }
  void ExpectRefused(const PlanResult& planned, const RecordingView& shown,
                     const std::string& reason) {
    EXPECT_EQ(planned.end, PlanEnd::kFailed);
    EXPECT_EQ(shown.Stages(), (std::vector<Stage>{Stage::kChecking, Stage::kFailed}));
    EXPECT_EQ(shown.LastFailure(), Failure::kServerConfig);
    const std::wstring serverIni = GetTempFolder() + L"\\server.ini";
    EXPECT_EQ(LogCount("Server configuration refused, " + reason + ": " + Narrow(serverIni) + ".sig"), 1);
    EXPECT_FALSE(PathExists(serverIni)) << "an unverified configuration was left behind";
    EXPECT_FALSE(planned.plan.config.m_application.needed) << "the configuration was read";
  }

  ReleaseServer server;
  TestPublisher publisher;
  RecordingView view;  // outlives the controller, whose worker reports to it
  CWorkflowController controller{view};
};

}  // namespace

TEST_F(SignedConfigurationTest, SignedConfigurationIsFetchedWithItsSignatureAndUsed) {
  REQUIRE_RELEASE_SERVER(server);
  ASSERT_TRUE(publisher.ok());
  const std::string config = Configuration(L"sg-used.7z", 3000, "");
  Serve(L"sg-used.ini", config, publisher.Sign(config));

  Run();

  EXPECT_EQ(view.Stages(), (std::vector<Stage>{Stage::kChecking, Stage::kPreparing, Stage::kReady}));
  EXPECT_EQ(LogCount("Server configuration signature verified"), 1);
  EXPECT_EQ(LogCount("Download  start: " + Narrow(server.Url(L"/sg-used.ini.sig"))), 1);
  EXPECT_EQ(server.Requests("/sg-used.ini").size(), 1u);
  EXPECT_EQ(server.Requests("/sg-used.ini.sig").size(), 1u);
  EXPECT_TRUE(controller.plan().config.m_application.needed);
}

TEST_F(SignedConfigurationTest, ConfigurationChangedByOneByteAfterSigningIsRefused) {
  REQUIRE_RELEASE_SERVER(server);
  const std::string config = Configuration(L"sg-changed.7z", 3000, "");
  std::string changed = config;
  changed[changed.find("Version=1") + 8] = '9';  // 9.2.3.4: every installer would want it
  Serve(L"sg-changed.ini", changed, publisher.Sign(config));

  const PlanResult planned = FetchPlanOnly(view);

  ExpectRefused(planned, view, "its signature does not match");
  EXPECT_TRUE(server.Requests("/sg-changed.7z").empty());
}

TEST_F(SignedConfigurationTest, MissingOrMalformedSignatureIsRefused) {
  REQUIRE_RELEASE_SERVER(server);
  const std::string config = Configuration(L"sg-unsigned.7z", 3000, "");
  Serve(L"sg-unsigned.ini", config, "");
  ExpectRefused(FetchPlanOnly(view), view, "its signature is missing");
  EXPECT_EQ(server.Requests("/sg-unsigned.ini.sig").size(), 1u);

  // The signature of the right bytes with one byte too many after its DER sequence.
  RecordingView again;
  Serve(L"sg-unsigned.ini", config, publisher.Sign(config) + '\0');
  EXPECT_EQ(FetchPlanOnly(again).end, PlanEnd::kFailed);
  EXPECT_EQ(again.LastFailure(), Failure::kServerConfig);
  EXPECT_EQ(LogCount("Server configuration refused, its signature cannot be read: " +
                     Narrow(GetTempFolder()) + "\\server.ini.sig"), 1);
}

TEST_F(SignedConfigurationTest, LocalPackageCopyNeedsItsSignatureBesideIt) {
  REQUIRE_RELEASE_SERVER(server);
  const std::string config = Configuration(L"sg-local.7z", 3000, "");
  Serve(L"sg-local-never-asked.ini", "", "");
  CreateFolderPath(GetAppDataFolder() + L"\\Package");
  WriteFileBytes(LocalConfigCopy(), config);
  WriteFileBytes(LocalConfigCopy() + L".sig", publisher.Sign(config));

  Run();
  EXPECT_EQ(view.LastStage(), Stage::kReady);
  EXPECT_EQ(LogCount("Server configuration signature verified"), 1);

  DeleteFileW((LocalConfigCopy() + L".sig").c_str());
  controller.run().heldFiles.ReleaseAll();  // one run at a time, as in the installer
  RecordingView unsignedView;
  CWorkflowController unsignedRun(unsignedView);
  unsignedRun.run().releaseKey = publisher.publicKey();
  unsignedRun.Start();
  unsignedRun.WaitForWorker();
  EXPECT_EQ(unsignedView.LastStage(), Stage::kFailed);
  EXPECT_EQ(unsignedView.LastFailure(), Failure::kServerConfig);
  EXPECT_TRUE(server.Requests("/sg-local-never-asked.ini").empty());
  EXPECT_TRUE(server.Requests("/sg-local-never-asked.ini.sig").empty());
}

// A genuine but old configuration is refused: a lower serial than one accepted before with
// this key (a replayed release), none at all, or one past its last day. The same release
// again is accepted, and the serial to beat is kept where only administrators write.
TEST_F(SignedConfigurationTest, OnlyCurrentReleasesAreAccepted) {
  REQUIRE_RELEASE_SERVER(server);
  const auto plan = [&](const std::string& release) {
    const std::string config = Configuration(L"sg-fresh.7z", 3000, "", release);
    Serve(L"sg-fresh.ini", config, publisher.Sign(config));
    RecordingView shown;
    const PlanEnd end = FetchPlanOnly(shown).end;
    EXPECT_EQ(shown.LastFailure(), end == PlanEnd::kFailed ? std::optional(Failure::kServerConfig)
                                                           : std::nullopt);
    return end;
  };
  EXPECT_EQ(plan(Release("20261210120000", "2099-12-31")), PlanEnd::kPlanned);
  EXPECT_EQ(plan(Release("20261201000000", "2099-12-31")), PlanEnd::kFailed);
  EXPECT_EQ(LogCount("Server configuration refused, release 20261201000000 is older than release "
                     "20261210120000 accepted before"), 1);
  EXPECT_EQ(plan(Release("20261210120000", "2099-12-31")), PlanEnd::kPlanned);
  EXPECT_EQ(plan(Release("20261211000000", "2020-06-30")), PlanEnd::kFailed);
  EXPECT_EQ(LogCount("Server configuration refused, it expired after 2020-06-30"), 1);
  EXPECT_EQ(plan(""), PlanEnd::kFailed);
  EXPECT_EQ(LogCount("Server configuration refused, it names no Serial and Expires in [Release]"), 1);
  EXPECT_FALSE(PathExists(GetTempFolder() + L"\\server.ini"));

  const std::wstring fingerprint = KeyFingerprint(publisher.publicKey());
  EXPECT_EQ(ReadAcceptedSerial(fingerprint), 20261210120000u);
  // Where the platform keeps the descriptor given (Wine gives keys its own), it is that
  // one; either way nobody but SYSTEM and Administrators may change the key.
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kReleaseSerialsKey, 0, KEY_READ | KEY_WOW64_32KEY,
                          &key), ERROR_SUCCESS);
  alignas(8) char descriptor[4096] = {};
  DWORD size = sizeof(descriptor);
  const LONG read = RegGetKeySecurity(key, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                      descriptor, &size);
  RegCloseKey(key);
  ASSERT_EQ(read, ERROR_SUCCESS);
  EXPECT_TRUE(OnlyAdministratorsMayChange(descriptor));
}

TEST_F(SignedConfigurationTest, BuildWithoutKeyNeitherAsksForNorReadsSignatures) {
  REQUIRE_RELEASE_SERVER(server);
  controller.run().releaseKey.reset();
  const std::string config = Configuration(L"sg-nokey.7z", 3000, "");
  Serve(L"sg-nokey.ini", config, "not a signature");

  Run();

  EXPECT_EQ(view.LastStage(), Stage::kReady);
  EXPECT_TRUE(server.Requests("/sg-nokey.ini.sig").empty());
  EXPECT_EQ(LogCount("Server configuration signature verified"), 0);
}

// The configuration is genuine, but the package's SHA-256 in it is not the file's: MD5 and
// Bytes alone would have let the file through.
TEST_F(SignedConfigurationTest, DownloadWhoseSha256DiffersFailsItsCheck) {
  REQUIRE_RELEASE_SERVER(server);
  const std::string config = Configuration(L"sg-sha.7z", 3000, std::string(64, 'e'));
  Serve(L"sg-sha.ini", config, publisher.Sign(config));
  Run();
  ASSERT_EQ(view.LastStage(), Stage::kReady);
  const CServerConfig& planned = controller.plan().config;
  EXPECT_EQ(planned.m_application.sha256, std::wstring(64, L'e'));

  // The download phase of the plan, as Continue would start it.
  const DownloadInput input{planned.m_netFramework, planned.m_vc2015x86, planned.m_application,
                            controller.run().timeoutMs};
  EXPECT_EQ(DownloadStage(controller.run(), input).end, DownloadEnd::kFailed);

  // Fetched once more from zero, then the run ends.
  EXPECT_EQ(server.Requests("/sg-sha.7z").size(), 2u);
  const size_t retried = LogFind("Download attempt 1 of 2 failed, fetching again from the start: " +
                                 Narrow(server.Url(L"/sg-sha.7z")));
  EXPECT_NE(LogFind("Download app failed for other reason, stop", LogFind("CheckDownloadFile failed", retried)),
            std::string::npos);
  EXPECT_FALSE(PathExists(GetTempFolder() + L"\\sg-sha.7z"));
}

TEST(DownloadCheckSha256, MatchedWithoutRegardToCaseAfterMd5AndSize) {
  const std::wstring path = GetTempFolder() + L"\\sha-check.bin";
  ASSERT_TRUE(system_test::RemakeWorkingFolder());
  WriteFileBytes(path, "abc");
  const std::wstring md5 = L"900150983cd24fb0d6963f7d28e17f72";
  const std::wstring sha = L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
  std::wstring upper = sha;
  for (wchar_t& c : upper) c = static_cast<wchar_t>(towupper(c));
  EXPECT_TRUE(CheckDownloadFile(path, md5, 3, sha));
  EXPECT_TRUE(CheckDownloadFile(path, md5, 3, upper));
  EXPECT_TRUE(CheckDownloadFile(path, md5, 3));  // no SHA256 given: MD5 and size decide
  EXPECT_FALSE(CheckDownloadFile(path, md5, 3, sha.substr(0, 63) + L"e"));
  EXPECT_FALSE(CheckDownloadFile(path, md5, 3, sha.substr(1)));
  EXPECT_FALSE(CheckDownloadFile(path, L"900150983cd24fb0d6963f7d28e17f73", 3, sha));
  DeleteFileW(path.c_str());
}

// A signature written by `openssl dgst -sha256 -sign` over "abc", with that key's public
// point: what OpenSSL signs, CNG verifies after the conversion from DER.
TEST(OpenSslSignature, VerifiesWithCngAndNotForOtherBytes) {
  const P256PublicKey key = {
      0x94, 0x4f, 0x46, 0x7c, 0x8b, 0x51, 0x17, 0xd9, 0xe0, 0x89, 0xc6, 0x9b, 0x19, 0x0d, 0x05, 0xa5,
      0xa8, 0x06, 0xa7, 0x38, 0xd8, 0x9c, 0x8e, 0x43, 0xb4, 0xaa, 0x42, 0xa3, 0x10, 0x22, 0x5e, 0x2e,
      0x36, 0xea, 0xac, 0x63, 0x3a, 0x9a, 0x5f, 0x3f, 0x5a, 0x90, 0x83, 0x79, 0x0b, 0x1d, 0xdf, 0x09,
      0x21, 0x7f, 0xc7, 0x89, 0x5e, 0x04, 0x55, 0xf6, 0x17, 0x17, 0xc2, 0xca, 0xff, 0x3c, 0x3e, 0x55};
  const unsigned char der[] = {
      0x30, 0x45, 0x02, 0x21, 0x00, 0xf2, 0x22, 0x92, 0x90, 0x8a, 0x10, 0xe6, 0xce, 0x49, 0xab,
      0xb8, 0x68, 0x54, 0xac, 0x4c, 0x95, 0x09, 0xc8, 0x24, 0x37, 0x51, 0x91, 0x02, 0x9b, 0xdd,
      0x19, 0x69, 0x07, 0x4b, 0x9b, 0x75, 0xbc, 0x02, 0x20, 0x6d, 0x7e, 0x66, 0xc0, 0x49, 0x4d,
      0x39, 0x44, 0xf5, 0x10, 0x49, 0x76, 0x4b, 0x75, 0xf9, 0x76, 0x8b, 0x47, 0x75, 0xa4, 0x76,
      0x3c, 0x8b, 0x6c, 0x89, 0x2b, 0xe0, 0xe3, 0x04, 0x36, 0x3e, 0x40};
  const auto raw = DerToRawSignature(std::string_view(reinterpret_cast<const char*>(der), sizeof der));
  ASSERT_TRUE(raw);
  const auto digest = Sha256OfBytes("abc");
  ASSERT_TRUE(digest);
  EXPECT_EQ(DigestText(*digest), L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_TRUE(VerifyP256Signature(key, *digest, *raw));
  EXPECT_FALSE(VerifyP256Signature(key, *Sha256OfBytes("abd"), *raw));
  P256PublicKey otherKey = key;
  otherKey[63] ^= 1;  // no longer a point of the curve: refused, not crashed
  EXPECT_FALSE(VerifyP256Signature(otherKey, *digest, *raw));
}
