// One worker thread, always joined: by Join or, at the latest, by the destructor.
#pragma once

#include <windows.h>

#include <functional>

#include "base/unique_handle.h"

class WorkerThread {
 public:
  WorkerThread() = default;
  ~WorkerThread() { Join(); }
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  // Joins the previous body, then runs `body` on a new thread. False when no thread could
  // be started (the body then never runs).
  bool Start(std::function<void()> body) {
    Join();
    body_ = std::move(body);
    thread_.reset(CreateThread(nullptr, 0, &WorkerThread::Entry, this, 0, nullptr));
    return thread_.valid();
  }

  // Waits for the body to end. Messages sent to this thread's windows meanwhile are
  // handled, so a worker reporting to a window of the joining thread cannot deadlock it.
  void Join() {
    if (!thread_.valid()) return;
    HANDLE thread = thread_.get();
    for (;;) {
      const DWORD woken = MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE);
      if (woken != WAIT_OBJECT_0 + 1) break;
      MSG msg;
      PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    WaitForSingleObject(thread, INFINITE);  // at once, unless the wait above failed
    thread_.reset();
  }

 private:
  static DWORD WINAPI Entry(LPVOID self) {
    static_cast<WorkerThread*>(self)->body_();
    return 0;
  }

  std::function<void()> body_;
  ScopedHandle thread_;
};
