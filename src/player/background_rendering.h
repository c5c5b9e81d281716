// Renders a picture view's bitmap on a thread of its own, the latest request only: a zoom step
// on a large picture then holds up the window's thread no longer than it takes to ask, and the
// view shows the last finished rendering until the new one is ready.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "core/pictures/picture_layout.h"
#include "framework/unique_handle.h"
#include "pictures/picture_holder.h"

namespace zp::player {

class BackgroundRendering {
 public:
  struct Request {
    std::shared_ptr<pictures::PictureHolder> holder;
    layout::Size output;
    layout::Box source;
    pictures::Interpolation interpolation = pictures::Interpolation::kHighQualityBicubic;
    bool sharpen = false;
    uint64_t ticket = 0;
  };
  struct Result {
    uint64_t ticket = 0;
    win::UniqueBitmap bitmap;  // none when rendering failed
  };

  // `finished` is called on the rendering thread each time a result is ready to be taken.
  explicit BackgroundRendering(std::function<void()> finished);
  ~BackgroundRendering();
  BackgroundRendering(const BackgroundRendering&) = delete;
  BackgroundRendering& operator=(const BackgroundRendering&) = delete;

  // Replaces any request not yet begun. False when no thread can be started.
  bool Submit(Request request);
  // The newest finished result, once.
  std::optional<Result> Take();
  // Waits until nothing is queued or being rendered and `finished` has been called for the last
  // result; false when `timeout` passed first.
  bool AwaitIdle(DWORD timeoutMs);

 private:
  void Run();

  std::function<void()> finished_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::optional<Request> queued_;
  std::optional<Result> done_;
  bool rendering_ = false;
  bool stop_ = false;
  std::thread thread_;
};

// The rendering a picture view shows: the visible part at screen size, sharpened when the
// settings say so. None when drawing fails.
win::UniqueBitmap RenderView(const pictures::PictureHolder& holder, layout::Size output, layout::Box source,
                             pictures::Interpolation interpolation, bool sharpen);

}  // namespace zp::player
