#include "player/background_rendering.h"

#include <chrono>
#include <system_error>

#include "pictures/picture_decoding.h"

namespace zp::player {

win::UniqueBitmap RenderView(const pictures::PictureHolder& holder, layout::Size output, layout::Box source,
                             pictures::Interpolation interpolation, bool sharpen) {
  win::UniqueBitmap bitmap = holder.RenderPart(output, source, interpolation);
  if (bitmap && sharpen) pictures::SharpenBitmap(static_cast<HBITMAP>(bitmap.get()));
  return bitmap;
}

BackgroundRendering::BackgroundRendering(std::function<void()> finished) : finished_(std::move(finished)) {}

BackgroundRendering::~BackgroundRendering() {
  {
    std::lock_guard guard(lock_);
    stop_ = true;
    queued_.reset();
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

bool BackgroundRendering::Submit(Request request) {
  std::lock_guard guard(lock_);
  if (!thread_.joinable()) {
    try {
      thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
      return false;
    }
  }
  queued_ = std::move(request);
  changed_.notify_all();
  return true;
}

std::optional<BackgroundRendering::Result> BackgroundRendering::Take() {
  std::lock_guard guard(lock_);
  std::optional<Result> result = std::move(done_);
  done_.reset();
  return result;
}

bool BackgroundRendering::AwaitIdle(DWORD timeoutMs) {
  std::unique_lock guard(lock_);
  return changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] { return !queued_ && !rendering_; });
}

void BackgroundRendering::Run() {
  for (;;) {
    Request request;
    {
      std::unique_lock guard(lock_);
      changed_.wait(guard, [&] { return stop_ || queued_.has_value(); });
      if (stop_) return;
      request = std::move(*queued_);
      queued_.reset();
      rendering_ = true;
    }
    Result result {request.ticket,
                   RenderView(*request.holder, request.output, request.source, request.interpolation, request.sharpen)};
    {
      std::lock_guard guard(lock_);
      // A newer request makes this one moot.
      if (!queued_) done_ = std::move(result);
    }
    if (finished_) finished_();
    // Idle only once the owner has been told: whoever waits for idle may count on the news.
    {
      std::lock_guard guard(lock_);
      rendering_ = false;
    }
    changed_.notify_all();
  }
}

}  // namespace zp::player
