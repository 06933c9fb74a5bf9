#include "framework/Clipboard.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "framework/Exception.h"
#include "framework/Handles.h"

namespace velloran {
namespace {

std::string ClipboardText() {
  if (!OpenClipboard(nullptr)) return "<not open>";
  std::string text = "<none>";
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const char* chars = static_cast<const char*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

// Another thread that opens the clipboard and keeps it open for a while, as
// another program, the clipboard history or a remote desktop session does.
class ClipboardHolder {
 public:
  // With EmptyingOwners the thread also empties the clipboard, which makes the
  // system ask its owner, a window of the copying thread, and wait for it.
  ClipboardHolder(DWORD holdMs, bool emptyingOwners) {
    UniqueKernelHandle opened(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    thread_ = std::thread([this, holdMs, emptyingOwners, event = opened.get()] {
      opened_ = OpenClipboard(nullptr) != FALSE;
      SetEvent(event);
      if (!opened_) return;
      if (emptyingOwners) EmptyClipboard();
      Sleep(holdMs);
      released_ = true;
      CloseClipboard();
    });
    WaitForSingleObject(opened.get(), 5000);
  }
  ~ClipboardHolder() { thread_.join(); }
  ClipboardHolder(const ClipboardHolder&) = delete;
  ClipboardHolder& operator=(const ClipboardHolder&) = delete;

  bool Opened() const { return opened_; }
  bool Released() const { return released_; }

 private:
  std::atomic<bool> opened_ = false;
  std::atomic<bool> released_ = false;
  std::thread thread_;
};

TEST(Clipboard, ACopyWaitsForAMomentsHolderButNotForLong) {
  struct Case {
    const char* name;
    DWORD holdMs;
    bool emptyingOwners;
    bool copied;
  } cases[] = {
      {"held for a moment", 200, false, true},
      // A copy that slept without answering would keep the holder waiting on
      // it, and so the clipboard held, until it gave up.
      {"held by one that waits on the copying window", 200, true, true},
      {"held past the copy's patience", 2000, false, false},
  };
  UniqueWindow owner(CreateWindowExA(0, "Static", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     GetModuleHandleA(nullptr), nullptr));
  ASSERT_TRUE(owner);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // The window owns the clipboard before, as after an earlier copy.
    SetClipboardText(owner.get(), "before");
    const std::string text = std::string("copied while ") + c.name;
    ClipboardHolder holder(c.holdMs, c.emptyingOwners);
    ASSERT_TRUE(holder.Opened());
    const DWORD start = GetTickCount();
    std::string error;
    try {
      SetClipboardText(owner.get(), text);
    } catch (const Exception& e) {
      error = e.what();
    }
    if (c.copied) {
      EXPECT_EQ(error, "");
      EXPECT_EQ(ClipboardText(), text);
    } else {
      EXPECT_EQ(error, ClipboardBusyText);
      // It gave up while the holder still held on, after trying for a while.
      EXPECT_FALSE(holder.Released());
      EXPECT_GE(GetTickCount() - start, (ClipboardOpenAttempts - 2) * ClipboardRetryPauseMs);
    }
  }
}

}  // namespace
}  // namespace velloran
