#include "download/md5_digest.h"

#include <windows.h>
#include <share.h>

#include <new>

#include "download/md5_core.h"

namespace {

constexpr size_t kErrorBufferBytes = 50;

// A PeekMessageW costs tens of microseconds (far more under Wine) while a block takes
// well under one: pumping before every block would make the digest crawl. Pumping at
// most every 20 ms keeps windows owned by the thread as responsive as the eye needs.
constexpr ULONGLONG kPumpIntervalMs = 20;

void PumpPendingMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Not ours to consume: put it back for the thread's own loop and stop here.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

class MessagePumpPacer : public Md5Pacer {
 public:
  void BetweenChunks() override {
    const ULONGLONG now = GetTickCount64();
    if (pumped_ && now - lastPump_ < kPumpIntervalMs) return;
    PumpPendingMessages();
    pumped_ = true;
    lastPump_ = now;
  }

 private:
  bool pumped_ = false;
  ULONGLONG lastPump_ = 0;
};

std::string ToAnsi(const std::wstring& text) {
  const int size =
      WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return std::string();
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
  bytes.resize(static_cast<size_t>(size - 1));
  return bytes;
}

}  // namespace

CMd5Digest::~CMd5Digest() = default;

void CMd5Digest::RecordError(std::string_view text) {
  m_bOk = false;
  if (!m_szError.empty()) return;
  m_szError = std::string(text.substr(0, kErrorBufferBytes - 1));
}

bool CMd5Digest::Init() {
  m_file.reset();
  m_nBytes = 0;
  m_bOk = true;
  m_szFile.clear();
  m_szDigest.clear();
  m_block.reset(new (std::nothrow) unsigned char[kMd5ChunkBytes]);
  if (!m_block) {
    RecordError(kMd5ErrorNoMemory);
    return false;
  }
  return true;
}

bool CMd5Digest::DigestFile() {
  if (m_szFile.empty()) {
    RecordError(kMd5ErrorNoFile);
    return false;
  }
  if (!m_block) {
    RecordError(kMd5ErrorNoMemory);
    return false;
  }
  // Shared for reading and writing: a downloader may still hold the file.
  m_file.reset(_wfsopen(m_szFile.c_str(), L"rb", _SH_DENYNO));
  if (m_file) {
    // The digest reads whole chunks itself; a second buffer would only copy them.
    setvbuf(m_file.get(), nullptr, _IONBF, 0);
  } else {
    char text[kErrorBufferBytes];
    snprintf(text, sizeof text, kMd5ErrorCannotOpen, ToAnsi(m_szFile).c_str());
    RecordError(text);
  }

  StdioMd5Source source(m_file.get());
  MessagePumpPacer pacer;
  Md5Computation computation;
  m_szDigest = computation.Run(source, m_bPumpMessages ? &pacer : nullptr, m_block.get());
  m_nBytes = computation.bytesRead();
  if (m_file && std::ferror(m_file.get())) RecordError(kMd5ErrorGeneral);
  m_file.reset();
  return true;
}
