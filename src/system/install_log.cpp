#include "system/install_log.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdarg>
#include <ctime>
#include <mutex>
#include <string>

#include "base/product.h"
#include "base/unique_handle.h"
#include "base/wide_string.h"
#include "system/folder_set.h"
#include "system/folder_tree.h"
#include "system/log_line.h"

namespace {

// A line is written through a handle that lets others read the file at the same time (a
// person following the log in a viewer, a scanner), but no one else write to it, so
// lines of two writers never mix. Writers of this process take turns on a mutex first;
// another process writing the file holds it for one line.
constexpr DWORD kShareWhileWriting = FILE_SHARE_READ;
// How long a line waits for a file held by someone else before it is kept back.
constexpr DWORD kMaxWaitForFileMs = 200;
// What is kept back while the file stays held; older lines go first once it frees up.
constexpr size_t kMaxHeldBackBytes = 1 << 20;

std::mutex& WriterMutex() {
  static std::mutex mutex;
  return mutex;
}
std::string heldBack;  // lines not yet written, oldest first; guarded by WriterMutex()
std::wstring copyPath;  // a second file for every line (the unattended /log); guarded likewise

bool IsHeldByOthers(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// The path a handle finally reached, without the "\\?\" prefix; empty when unknown.
std::wstring FinalPathOf(HANDLE file) {
  std::wstring path = FinalPathOfHandle(file);
  if (path.rfind(L"\\\\?\\", 0) == 0) path.erase(0, 4);
  return path;
}

// Where the log lies: the user's roaming folder as the platform names it, and the path its
// file finally has when no link of ours leads elsewhere (the roaming folder may itself lie
// elsewhere, moved by an administrator; from there on every name must be the log's own).
struct LogPlace {
  std::wstring roaming;
  std::wstring folder;
  std::wstring path;
  std::wstring expectedFinal;
};

LogPlace FindLogPlace() {
  wchar_t roaming[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, roaming, CSIDL_APPDATA, FALSE)) roaming[0] = L'\0';
  LogPlace place;
  place.roaming = roaming;
  place.folder = FormatWide(L"%ls\\%ls\\Log", roaming, kProductName);
  place.path = place.folder + L"\\Install.log";
  ScopedHandle base(CreateFileW(roaming, FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  const std::wstring baseFinal = base.valid() ? FinalPathOf(base.get()) : std::wstring();
  place.expectedFinal =
      (baseFinal.empty() ? place.roaming : baseFinal) + place.path.substr(place.roaming.size());
  return place;
}

// What a handle to the log's path reached: whether it is the entry at exactly the log's
// place (no link of the file or of a folder on the way led elsewhere, where the platform
// resolves such links), and whether it is a plain file there (no reparse point opened as
// itself, no hard link, no folder).
struct LogEntry {
  bool atPath = false;
  bool plain = false;
};

LogEntry Inspect(HANDLE file, const LogPlace& place) {
  LogEntry entry;
  const std::wstring final = FinalPathOf(file);
  const std::wstring& expected = place.expectedFinal;
  entry.atPath = CompareStringOrdinal(final.c_str(), static_cast<int>(final.size()),
                                      expected.c_str(), static_cast<int>(expected.size()),
                                      TRUE) == CSTR_EQUAL;
  BY_HANDLE_FILE_INFORMATION info{};
  entry.plain =
      GetFileInformationByHandle(file, &info) && info.nNumberOfLinks == 1 &&
      !(info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY));
  return entry;
}

// A link opened as itself, or a hard link, in the log's place goes aside by its own name
// (which moves that entry, not what it leads to), so that the log can begin anew.
void MoveAside(const std::wstring& path) {
  const std::wstring aside = path + L".moved-" + std::to_wstring(GetTickCount64());
  MoveFileExW(path.c_str(), aside.c_str(), 0);
}

ScopedHandle OpenLogFile(const std::wstring& path, DWORD disposition) {
  return ScopedHandle(CreateFileW(path.c_str(), FILE_APPEND_DATA, kShareWhileWriting, nullptr,
                                  disposition, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

// Opens the log, making it (and its folders) only where no link of the user's folders
// leads elsewhere: nothing is created through a link, not even an empty file.
ScopedHandle OpenOrMakeLogFile(const LogPlace& place) {
  ScopedHandle file = OpenLogFile(place.path, OPEN_EXISTING);
  const DWORD error = GetLastError();
  if (file.valid() || (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND))
    return file;
  if (HasLinkBelow(place.roaming, place.folder)) return file;
  if (error == ERROR_PATH_NOT_FOUND) CreateFolderPath(place.folder);
  if (HasLinkBelow(place.roaming, place.folder)) return file;
  return OpenLogFile(place.path, OPEN_ALWAYS);
}

// One open and write. False when the file is held by someone else; any other failure
// (no rights, disk full, a link in the way that cannot be moved safely) loses the bytes,
// as a line that cannot be written is lost. A log folder removed meanwhile is made again.
// With `keep`, the handle of a line written is left there for the next lines.
bool TryAppend(const LogPlace& place, const std::string& bytes, ScopedHandle* keep) {
  ScopedHandle file = OpenOrMakeLogFile(place);
  if (!file.valid()) return !IsHeldByOthers(GetLastError());
  // The installer runs elevated and the log lies where the user can write: a line goes
  // only into a plain file at exactly that path, never through a link into another file.
  LogEntry entry = Inspect(file.get(), place);
  if (!entry.plain) {
    file.reset();
    // An entry reached elsewhere is never renamed: that would move what it leads to.
    if (!entry.atPath) return true;  // lost, never misdirected
    MoveAside(place.path);
    file = OpenLogFile(place.path, OPEN_ALWAYS);
    if (!file.valid()) return true;
    entry = Inspect(file.get(), place);
  }
  if (!entry.atPath || !entry.plain) return true;
  DWORD written = 0;
  WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  if (keep) *keep = std::move(file);
  return true;
}

// The log's place, found once per run: finding it asks the shell and opens the user's
// folder, too much for a line per downloaded chunk. Guarded by WriterMutex().
const LogPlace& Place() {
  static const LogPlace place = FindLogPlace();
  return place;
}

// The copy is an administrator's own choice of file: written as asked, a line lost when it
// cannot be.
void AppendToCopy(const std::string& line) {
  if (copyPath.empty()) return;
  ScopedHandle file(CreateFileW(copyPath.c_str(), FILE_APPEND_DATA, kShareWhileWriting, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (file.valid())
    WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

// While a burst lasts (InstallLogBurst), the file checked for its first line stays open
// for the next ones: held, it cannot be swapped for a link meanwhile. Guarded by
// WriterMutex().
int burstDepth = 0;
ScopedHandle burstFile;

// While lines are held back the file was found held already: one attempt only, so a
// log held for minutes costs each line one failed open, never a wait.
void Append(const std::string& line) {
  std::lock_guard<std::mutex> lock(WriterMutex());
  AppendToCopy(line);
  DWORD written = 0;
  if (burstFile.valid() &&
      WriteFile(burstFile.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr))
    return;
  burstFile.reset();
  const LogPlace& place = Place();
  const bool mayWait = heldBack.empty();
  std::string bytes = heldBack + line;
  const ULONGLONG deadline = GetTickCount64() + kMaxWaitForFileMs;
  for (;;) {
    if (TryAppend(place, bytes, burstDepth > 0 ? &burstFile : nullptr)) {
      heldBack.clear();
      return;
    }
    if (!mayWait || GetTickCount64() >= deadline) break;
    Sleep(1);
  }
  if (bytes.size() <= kMaxHeldBackBytes) heldBack = std::move(bytes);
}

}  // namespace

InstallLogBurst::InstallLogBurst() {
  std::lock_guard<std::mutex> lock(WriterMutex());
  ++burstDepth;
}

InstallLogBurst::~InstallLogBurst() {
  std::lock_guard<std::mutex> lock(WriterMutex());
  if (--burstDepth == 0) burstFile.reset();
}

void CopyInstallLogTo(const std::wstring& path) {
  std::lock_guard<std::mutex> lock(WriterMutex());
  copyPath = path;
}

std::wstring GetLogFolder() {
  const LogPlace place = FindLogPlace();
  if (!HasLinkBelow(place.roaming, place.folder)) CreateFolderPath(place.folder);
  return place.folder;
}

void WriteInstallLog(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const std::wstring message = FormatWideV(format, args);
  va_end(args);

  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_s(&local, &now);
  const std::string bytes = EncodeLogBytes(ComposeLogLine(FormatLogTimestamp(local), message));

  Append(bytes);
}
