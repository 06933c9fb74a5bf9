#pragma once
// The stand-in's "Add New OpenNap" dialog: five edit boxes (network, address,
// login name, password, e-mail), the "Register user name" box, OK and Cancel,
// made in that order so that their sibling order is WinMX's. OK hands the
// entry to its owner and closes the form, unless entries are rejected. The
// owner frees a closed form when it makes the next one.

#include <windows.h>

#include <functional>

#include "EntryLog.h"
#include "Options.h"

namespace standin {

class AddForm {
 public:
  AddForm(HWND owner, const Options& options, std::function<void(const Entry&)> onAccepted);
  ~AddForm();
  AddForm(const AddForm&) = delete;
  AddForm& operator=(const AddForm&) = delete;

  // The form's window is being destroyed or gone. Known at once, not through a
  // posted notice: a search may no longer see the form while its destruction
  // still runs, and a click on Add that follows must open a new one.
  bool Closed() const { return closed_; }

 private:
  static LRESULT CALLBACK StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam);
  // Makes the next control; false when all are made.
  bool CreateNextControl();
  void Completed();
  void Accept();

  const Options& options_;
  std::function<void(const Entry&)> onAccepted_;
  HWND window_ = nullptr;
  size_t nextControl_ = 0;
  bool closed_ = false;
};

}  // namespace standin
