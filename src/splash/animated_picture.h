// The picture control of the splash: shows a picture the system's OLE loader can decode, and
// plays a GIF of several frames on a thread of its own, with each frame's delay and disposal.
//
// Each frame is cut out of the GIF as a small GIF of its own and decoded once at load. The
// animation thread draws frames into an off-screen picture the size of the GIF's logical
// screen; the window copies that picture to the screen when it paints. One lock guards the
// off-screen picture, so that a paint never copies a frame half drawn. The thread is stopped
// (and waited for, however long its drawing takes) before anything it uses is released.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "framework/unique_handle.h"
#include "framework/window.h"

namespace zp::splash {

// A memory device context with a bitmap of its own selected into it.
class OffscreenSurface {
 public:
  OffscreenSurface() = default;
  ~OffscreenSurface() { Release(); }
  OffscreenSurface(const OffscreenSurface&) = delete;
  OffscreenSurface& operator=(const OffscreenSurface&) = delete;

  bool Create(HDC compatibleWith, int width, int height);
  void Release();
  HDC dc() const { return dc_; }
  bool valid() const { return dc_ != nullptr; }

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ replaced_ = nullptr;
};

class AnimatedPicture : public win::Window {
 public:
  // Files larger than this are not read: a splash picture is a few hundred kilobytes.
  static constexpr size_t kMaxFileSize = 64u << 20;

  AnimatedPicture();
  ~AnimatedPicture() override;

  // Reads the whole file and loads it; false for a missing, unreadable or oversized file.
  bool LoadFromFile(const std::wstring& path);
  // Loads a picture: a GIF of several frames is cut into frames, anything else is decoded
  // whole. The control's window (which must exist) takes the picture's size. False when
  // nothing can be shown; the control then stays empty.
  bool LoadFromMemory(std::span<const uint8_t> data);
  // Starts the animation, or draws a still picture once. A second call while the animation
  // plays changes nothing.
  bool Draw();
  // Ends the animation and waits for its thread; the picture stays as it was last drawn.
  void Stop();
  // Stops and forgets the picture.
  void Unload();

  int width() const { return width_; }
  int height() const { return height_; }
  bool ready() const { return ready_; }
  bool playing() const { return playing_; }
  bool animated() const { return frames_.size() > 1; }
  size_t frameCount() const { return frames_.size(); }
  bool stopRequested() const { return exitRequested_; }
  // Called on the animation thread with each frame's index once it is drawn, while the drawing
  // still holds the off-screen picture (tests watch the animation through it).
  void SetFrameObserver(std::function<void(size_t frame)> observer) { frameObserver_ = std::move(observer); }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  struct FrameRecord {
    Microsoft::WRL::ComPtr<IPicture> picture;
    int left = 0, top = 0, width = 0, height = 0;
    int32_t delay = -1;
    uint32_t disposal = 0;
  };

  bool LoadFrames(std::span<const uint8_t> data);
  bool PrepareOffscreen(int width, int height);
  void Animate();
  // The steps of the animation, each under the lock.
  void ApplyDisposal(const FrameRecord& frame);
  bool DrawFrame(const FrameRecord& frame);
  void Fill(const RECT& area, COLORREF colour);
  void Paint();

  int width_ = 0;
  int height_ = 0;
  COLORREF background_ = RGB(255, 255, 255);
  size_t currentFrame_ = 0;
  bool ready_ = false;
  Microsoft::WRL::ComPtr<IPicture> single_;
  std::vector<FrameRecord> frames_;

  std::mutex drawing_;  // guards the two surfaces
  OffscreenSurface offscreen_;
  OffscreenSurface saved_;  // the area under a frame that restores what was there before

  std::thread animation_;
  std::atomic<bool> playing_{false};
  std::atomic<bool> exitRequested_{false};
  win::UniqueFileHandle exitEvent_;
  std::function<void(size_t)> frameObserver_;
};

}  // namespace zp::splash
