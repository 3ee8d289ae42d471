// One move-only owner for every kind of Win32 handle. A traits type names the handle
// type, what counts as "no handle" and how to close one.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <wininet.h>

#include <utility>

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  bool valid() const { return Traits::IsValid(handle_); }
  Handle get() const { return handle_; }
  Handle release() { return std::exchange(handle_, Traits::Null()); }
  void reset(Handle handle = Traits::Null()) {
    Handle old = std::exchange(handle_, handle);
    if (Traits::IsValid(old)) Traits::Close(old);
  }
  // For APIs that hand a handle back through an out-parameter.
  Handle* receive() {
    reset();
    return &handle_;
  }

 private:
  Handle handle_ = Traits::Null();
};

// Kernel objects: both NULL and INVALID_HANDLE_VALUE mean "no handle".
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::CloseHandle(h); }
};
using ScopedHandle = UniqueHandle<KernelHandleTraits>;

struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Null() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::FindClose(h); }
};
using ScopedFindHandle = UniqueHandle<FindHandleTraits>;

struct RegKeyTraits {
  using Handle = HKEY;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::RegCloseKey(h); }
};
using ScopedRegKey = UniqueHandle<RegKeyTraits>;

struct InternetHandleTraits {
  using Handle = HINTERNET;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::InternetCloseHandle(h); }
};
using ScopedInternetHandle = UniqueHandle<InternetHandleTraits>;

struct ModuleTraits {
  using Handle = HMODULE;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::FreeLibrary(h); }
};
using ScopedLibrary = UniqueHandle<ModuleTraits>;

template <typename GdiObject>
struct GdiObjectTraits {
  using Handle = GdiObject;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::DeleteObject(h); }
};
using ScopedFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using ScopedBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using ScopedPen = UniqueHandle<GdiObjectTraits<HPEN>>;
using ScopedBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using ScopedRegion = UniqueHandle<GdiObjectTraits<HRGN>>;

struct IconTraits {
  using Handle = HICON;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::DestroyIcon(h); }
};
using ScopedIcon = UniqueHandle<IconTraits>;

// Memory the shell hands out with CoTaskMemAlloc (known-folder paths and the like).
struct CoTaskMemTraits {
  using Handle = wchar_t*;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::CoTaskMemFree(h); }
};
using ScopedCoTaskString = UniqueHandle<CoTaskMemTraits>;

// Memory the security functions hand out with LocalAlloc (descriptors, SID strings).
template <typename Pointer>
struct LocalMemoryTraits {
  using Handle = Pointer;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::LocalFree(h); }
};
using ScopedLocalDescriptor = UniqueHandle<LocalMemoryTraits<PSECURITY_DESCRIPTOR>>;
using ScopedLocalString = UniqueHandle<LocalMemoryTraits<wchar_t*>>;

// COM interface pointers: the owner holds one reference and releases it.
template <typename Interface>
struct ComTraits {
  using Handle = Interface*;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { h->Release(); }
};
template <typename Interface>
using ScopedComPtr = UniqueHandle<ComTraits<Interface>>;
