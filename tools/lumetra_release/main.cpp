// lumetra-release: make, check and explain the update_win.ini of a release.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "config/ini_text.h"
#include "system/probe_rules.h"
#include "explain.h"
#include "lint.h"
#include "make_config.h"
#include "release_files.h"
#include "signing.h"

namespace {

constexpr char kUsage[] =
    "usage: lumetra-release make MANIFEST [-o update_win.ini]\n"
    "       lumetra-release lint update_win.ini [--files DIR | --fetch] [--pubkey KEY.pub.pem]\n"
    "       lumetra-release keygen OUTDIR\n"
    "       lumetra-release sign update_win.ini --key KEY.pem\n"
    "       lumetra-release explain update_win.ini --windows 10.0 --dotnet-release N\n"
    "                       --vc yes|no --installed VERSION|none [--installer VERSION]\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 64;
}

int Make(int argc, char** argv) {
  if (argc != 3 && !(argc == 5 && std::strcmp(argv[3], "-o") == 0)) return Usage();
  const std::filesystem::path manifest = argv[2];
  const std::filesystem::path out =
      argc == 5 ? std::filesystem::path(argv[4]) : manifest.parent_path() / "update_win.ini";
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
  std::ofstream(out, std::ios::binary) << config;
  std::printf("wrote %s\n", out.string().c_str());
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
  if (argc != 5 || std::strcmp(argv[3], "--key") != 0) return Usage();
  const auto text = ReadWholeFile(argv[2]);
  if (!text) {
    std::fprintf(stderr, "cannot read %s\n", argv[2]);
    return 2;
  }
  std::string why;
  const auto signature = SignBytes(*text, argv[4], why);
  if (!signature) {
    std::fprintf(stderr, "%s\n", why.c_str());
    return 2;
  }
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
