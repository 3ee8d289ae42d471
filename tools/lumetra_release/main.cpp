// lumetra-release: make, check, sign and explain the update_win.ini of a release.
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "config/ini_text.h"
#include "system/probe_rules.h"
#include "explain.h"
#include "lint.h"
#include "make_config.h"
#include "release_files.h"
#include "release_section.h"
#include "signing.h"

namespace {

constexpr char kUsage[] =
    "usage: lumetra-release make MANIFEST [-o update_win.ini] [--serial N] [--valid-days D]\n"
    "       lumetra-release lint update_win.ini [--files DIR | --fetch] [--pubkey KEY.pub.pem]\n"
    "       lumetra-release keygen OUTDIR\n"
    "       lumetra-release sign update_win.ini --key KEY.pem [--serial N] [--valid-days D]\n"
    "                       [--keep-release]\n"
    "       lumetra-release explain update_win.ini --windows 10.0 --dotnet-release N\n"
    "                       --vc yes|no --installed VERSION|none [--installer VERSION]\n"
    "make and sign write the [Release] section that installers built with a release key\n"
    "require: Serial N (default: the UTC clock as YYYYMMDDhhmmss) and Expires, the last day\n"
    "(UTC) it may be used (default: today + 90 days; D at least 1). Such installers refuse a\n"
    "configuration without them, past its last day, or with a lower serial than one they\n"
    "accepted. sign replaces the section's values before signing, never with a lower serial\n"
    "than the file's (the file's + 1 when the clock is behind it); --keep-release signs the\n"
    "file as it is.\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 64;
}

ClockTime Now() {
  return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
}

enum class Option { kOther, kTaken, kBad };

// --serial N and --valid-days D of make and sign; argv[i] is the option, its value is taken.
Option ReadStampOption(int argc, char** argv, int& i, StampRequest& request) {
  const std::string option = argv[i];
  if (option != "--serial" && option != "--valid-days") return Option::kOther;
  if (i + 1 >= argc) return Option::kBad;
  const std::string value = argv[++i];
  if (option == "--serial") {
    request.serial = ParseSerial(WidenUtf8(value));
    if (request.serial) return Option::kTaken;
    std::fprintf(stderr, "--serial takes 1 to 19 decimal digits, not %s\n", value.c_str());
    return Option::kBad;
  }
  const char* end = value.data() + value.size();
  const auto read = std::from_chars(value.data(), end, request.validDays);
  if (read.ec == std::errc() && read.ptr == end && request.validDays >= 1 && request.validDays <= 999999)
    return Option::kTaken;
  std::fprintf(stderr, "--valid-days takes a number of days from 1 to 999999, not %s\n", value.c_str());
  return Option::kBad;
}

int Make(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::filesystem::path manifest = argv[2];
  std::filesystem::path out = manifest.parent_path() / "update_win.ini";
  StampRequest request;
  for (int i = 3; i < argc; ++i) {
    const Option read = ReadStampOption(argc, argv, i, request);
    if (read == Option::kBad) return Usage();
    if (read == Option::kTaken) continue;
    if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc)
      out = argv[++i];
    else
      return Usage();
  }
  const auto text = ReadWholeFile(manifest);
  if (!text) {
    std::fprintf(stderr, "cannot read %s\n", argv[2]);
    return 2;
  }
  std::string error;
  const std::string config = MakeConfig(*text, manifest.parent_path(), error);
  if (config.empty()) {
    std::fprintf(stderr, "%s: %s\n", argv[2], error.c_str());
    return 2;
  }
  const auto stamp = ChooseStamp(request, std::nullopt, Now(), error);
  const auto stamped = stamp ? StampRelease(config, *stamp, error) : std::nullopt;
  if (!stamped) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  std::ofstream(out, std::ios::binary) << *stamped;
  std::printf("wrote %s (Serial %llu, Expires %s)\n", out.string().c_str(),
              static_cast<unsigned long long>(stamp->serial), NarrowUtf8(FormatDate(stamp->expires)).c_str());
  return 0;
}

int Lint(int argc, char** argv) {
  if (argc < 3) return Usage();
  std::unique_ptr<ReleaseFiles> files;
  std::filesystem::path publicKey;
  for (int i = 3; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--files" && i + 1 < argc && !files)
      files = std::make_unique<FolderFiles>(argv[++i]);
    else if (option == "--fetch" && !files)
      files = std::make_unique<FetchedFiles>();
    else if (option == "--pubkey" && i + 1 < argc)
      publicKey = argv[++i];
    else
      return Usage();
  }
  const auto text = ReadWholeFile(argv[2]);
  if (!text) {
    std::fprintf(stderr, "cannot read %s\n", argv[2]);
    return 2;
  }
  auto findings = LintConfig(IniText::Parse(*text), files.get());
  const auto signature = ReadWholeFile(std::string(argv[2]) + ".sig");
  for (Finding& f : LintSignature(*text, signature, publicKey)) findings.push_back(std::move(f));
  for (Finding& f : LintRelease(IniText::Parse(*text), !publicKey.empty(), UtcDate(Now())))
    findings.push_back(std::move(f));
  std::stable_sort(findings.begin(), findings.end(),
                   [](const Finding& a, const Finding& b) { return a.line < b.line; });
  for (const Finding& f : findings)
    std::printf("%s:%d: %s: %s\n", argv[2], f.line,
                f.severity == Severity::kError ? "error" : "warning", f.text.c_str());
  const int code = LintExitCode(findings);
  if (code == 0) std::printf("%s: no problems found\n", argv[2]);
  return code;
}

int Keygen(int argc, char** argv) {
  if (argc != 3) return Usage();
  const std::string error = GenerateKeyPair(argv[2]);
  if (!error.empty()) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  std::printf("wrote %s/release-key.pem (private: keep it off the web server) and "
              "%s/release-key.pub.pem\n", argv[2], argv[2]);
  return 0;
}

int Sign(int argc, char** argv) {
  if (argc < 3) return Usage();
  std::filesystem::path key;
  StampRequest request;
  bool keepRelease = false, stampOption = false;
  for (int i = 3; i < argc; ++i) {
    const Option read = ReadStampOption(argc, argv, i, request);
    if (read == Option::kBad) return Usage();
    stampOption = stampOption || read == Option::kTaken;
    if (read == Option::kTaken) continue;
    const std::string option = argv[i];
    if (option == "--key" && i + 1 < argc)
      key = argv[++i];
    else if (option == "--keep-release")
      keepRelease = true;
    else
      return Usage();
  }
  if (key.empty() || (keepRelease && stampOption)) return Usage();
  const auto text = ReadWholeFile(argv[2]);
  if (!text) {
    std::fprintf(stderr, "cannot read %s\n", argv[2]);
    return 2;
  }
  std::string why;
  std::optional<std::string> stamped = *text;
  std::optional<ReleaseStamp> stamp;
  if (!keepRelease) {
    stamp = ChooseStamp(request, CurrentSerial(IniText::Parse(*text)), Now(), why);
    stamped = stamp ? StampRelease(*text, *stamp, why) : std::nullopt;
    if (!stamped) {
      std::fprintf(stderr, "%s: %s\n", argv[2], why.c_str());
      return 2;
    }
  }
  // Signed first, so that a wrong key leaves the file as it was.
  const auto signature = SignBytes(*stamped, key, why);
  if (!signature) {
    std::fprintf(stderr, "%s\n", why.c_str());
    return 2;
  }
  if (*stamped != *text) {
    if (!(std::ofstream(argv[2], std::ios::binary) << *stamped)) {
      std::fprintf(stderr, "cannot write %s\n", argv[2]);
      return 2;
    }
  }
  if (stamp)
    std::printf("wrote %s (Serial %llu, Expires %s)\n", argv[2],
                static_cast<unsigned long long>(stamp->serial), NarrowUtf8(FormatDate(stamp->expires)).c_str());
  const std::string out = std::string(argv[2]) + ".sig";
  if (!(std::ofstream(out, std::ios::binary) << *signature)) {
    std::fprintf(stderr, "cannot write %s\n", out.c_str());
    return 2;
  }
  std::printf("wrote %s\n", out.c_str());
  return 0;
}

int Explain(int argc, char** argv) {
  if (argc < 3) return Usage();
  MachineFacts facts;
  bool haveWindows = false;
  if ((argc - 3) % 2 != 0) return Usage();
  for (int i = 3; i + 1 < argc; i += 2) {
    const std::string option = argv[i], value = argv[i + 1];
    if (option == "--windows") {
      facts.osVersion = WidenUtf8(value);
      haveWindows = true;
    } else if (option == "--dotnet-release") {
      // The installer's .NET probe: present from this release number on.
      facts.dotNet = std::strtoul(value.c_str(), nullptr, 10) >= kMinimumDotNetRelease;
    } else if (option == "--vc") {
      if (value != "yes" && value != "no") return Usage();
      facts.vcRuntime = value == "yes";
    } else if (option == "--installed") {
      facts.installedVersion = value == "none" ? std::wstring() : WidenUtf8(value);
    } else if (option == "--installer") {
      facts.ownVersion = WidenUtf8(value);
    } else {
      return Usage();
    }
  }
  if (!haveWindows) return Usage();
  facts.today = UtcDate(Now());
  const auto text = ReadWholeFile(argv[2]);
  if (!text) {
    std::fprintf(stderr, "cannot read %s\n", argv[2]);
    return 2;
  }
  std::fputs(ExplainConfig(IniText::Parse(*text), facts).c_str(), stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "make") return Make(argc, argv);
  if (command == "lint") return Lint(argc, argv);
  if (command == "explain") return Explain(argc, argv);
  if (command == "keygen") return Keygen(argc, argv);
  if (command == "sign") return Sign(argc, argv);
  return Usage();
}
