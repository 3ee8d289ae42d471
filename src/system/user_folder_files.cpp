#include "system/user_folder_files.h"

#include <windows.h>

#include "download/check_download_file.h"
#include "download/md5_digest.h"
#include "system/folder_tree.h"
#include "system/held_files.h"

bool DeleteFileAsItself(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return RemoveLink(path);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) || LeadsElsewhere(path)) return false;
  if (attributes & FILE_ATTRIBUTE_READONLY)
    SetFileAttributesW(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  return DeleteFileW(path.c_str()) != FALSE;
}

bool CopyToFreshFile(const std::wstring& source, const std::wstring& target) {
  // Failing where anything exists: a link planted between the removal and the copy is
  // not written through.
  return DeleteFileAsItself(target) && CopyFileW(source.c_str(), target.c_str(), TRUE) &&
         !LeadsElsewhere(target);
}

bool IsHeldCopyOf(const std::wstring& original, const std::wstring& copy, HeldFiles& held) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(original.c_str(), GetFileExInfoStandard, &data) || data.nFileSizeHigh)
    return false;
  CMd5Digest digest;
  if (!digest.Init()) return false;
  digest.m_szFile = original;
  if (!digest.DigestFile() || !digest.m_bOk) return false;
  const std::wstring md5(digest.m_szDigest.begin(), digest.m_szDigest.end());
  return !LeadsElsewhere(copy) && held.Hold(copy) &&
         CheckDownloadFile(copy, md5, static_cast<int>(data.nFileSizeLow));
}
