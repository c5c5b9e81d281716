// GDI+ started while the object lives and shut down with it: the one owner of a start-up
// token. A failed start-up leaves GDI+ unavailable (pictures then take the bitmap loader's
// way) and is not shut down.
#pragma once

#include "package/gdiplus_include.h"

namespace zp {

class GdiplusSession {
 public:
  GdiplusSession() {
    const Gdiplus::GdiplusStartupInput input;
    started_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
  }
  ~GdiplusSession() {
    if (started_) Gdiplus::GdiplusShutdown(token_);
  }
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;

  bool started() const { return started_; }

 private:
  ULONG_PTR token_ = 0;
  bool started_ = false;
};

}  // namespace zp
