// OLE for the calling thread while the object lives: the thread becomes a single-threaded
// apartment, which the movie control, the web page view and drag and drop all need. The
// thread is given back only when the initialisation here succeeded (a thread that is already
// a multithreaded apartment refuses, and must not be uninitialised on our account).
#pragma once

#include <ole2.h>

namespace zp::win {

class OleScope {
 public:
  OleScope() : result_(OleInitialize(nullptr)) {}
  ~OleScope() {
    if (SUCCEEDED(result_)) OleUninitialize();
  }
  OleScope(const OleScope&) = delete;
  OleScope& operator=(const OleScope&) = delete;

  bool initialized() const { return SUCCEEDED(result_); }
  HRESULT result() const { return result_; }

 private:
  HRESULT result_;
};

}  // namespace zp::win
