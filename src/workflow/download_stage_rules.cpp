#include "workflow/download_stage_rules.h"

#include <algorithm>
#include <array>

#include "base/path_util.h"
#include "base/wide_string.h"

namespace {

int PercentOf(int64_t size, uint64_t total) {
  if (size <= 0 || total == 0) return 0;
  const uint64_t percent = static_cast<uint64_t>(size) * 100u / total;
  return static_cast<int>(std::min<uint64_t>(percent, 100u));
}

bool IsForbiddenNameCharacter(wchar_t c) {
  return c < 0x20 || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos;
}

bool IsDeviceName(std::wstring_view name) {
  const std::wstring base = ToLowerAscii(name.substr(0, name.find(L'.')));
  static constexpr std::array<std::wstring_view, 4> kPlain = {L"con", L"prn", L"aux", L"nul"};
  if (std::find(kPlain.begin(), kPlain.end(), base) != kPlain.end()) return true;
  return base.size() == 4 && (base.starts_with(L"com") || base.starts_with(L"lpt")) &&
         base[3] >= L'1' && base[3] <= L'9';
}

}  // namespace

DownloadShares ComputeDownloadShares(uint64_t total, int64_t netFrameworkSize,
                                     int64_t vcRuntimeSize) {
  DownloadShares shares;
  shares.nfPart = PercentOf(netFrameworkSize, total);
  shares.vcStart = shares.nfPart;
  shares.vcPart = std::min(PercentOf(vcRuntimeSize, total), 100 - shares.vcStart);
  shares.pkStart = shares.nfPart + shares.vcPart;
  shares.pkPart = 100 - shares.pkStart;
  return shares;
}

std::optional<std::wstring> SafeDownloadFileName(std::wstring_view url) {
  // A query may hold slashes of its own: cut it off before looking for the last segment.
  const std::wstring name = GetUrlFileName(url.substr(0, url.find_first_of(L"?#")));
  if (name.empty() || name.find(L"..") != std::wstring::npos) return std::nullopt;
  if (std::any_of(name.begin(), name.end(), IsForbiddenNameCharacter)) return std::nullopt;
  if (name.back() == L' ' || name.back() == L'.') return std::nullopt;
  if (IsDeviceName(name)) return std::nullopt;
  return name;
}

std::wstring ItemResultPath(std::wstring_view target, std::wstring_view extension) {
  const size_t nameStart = target.rfind(L'\\') == std::wstring_view::npos ? 0
                                                                          : target.rfind(L'\\') + 1;
  const size_t dot = target.rfind(L'.');
  if (dot == std::wstring_view::npos || dot < nameStart) return std::wstring(target);
  return std::wstring(target.substr(0, dot)) + std::wstring(extension);
}

std::wstring ExtractorParameters(std::wstring_view archivePath) {
  return L"x \"" + std::wstring(archivePath) + L"\" -aoa";
}
