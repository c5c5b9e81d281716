// The transparent host: a layered pop-up window whose picture, alpha included, is handed to the
// system after every change of the movie. The movie is played by the movie control's windowless
// twin, which `FlashCView` hosts and draws off screen; the view also takes the mouse (dragging
// the window, the context-menu request) and the twin's FSCommands, whose window moves it
// carries out itself.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "framework/unique_handle.h"
#include "framework/window.h"
#include "framework/windowless_site.h"
#include "player/shockwave_flash.h"

namespace zp::player {

// What the view tells its listener, the player window.
struct HostNotification {
  enum Code : int32_t { kStarted = 0, kContextRequest = 1, kWindowMoved = 2 };
  int32_t code = kStarted;
  RECT windowRect{};          // kWindowMoved: the window's new rectangle on screen
  HWND parentWindow = nullptr;  // kStarted: the host window
  // Filled in by the listener on kStarted: how the buttons behave (layout::companion's codes).
  int32_t leftButtonMode = 0;
  int32_t rightButtonMode = 0;
};

using HostListener = std::function<void(HostNotification&)>;

// The twin as the view drives it: the movie control's operations under the twin's numbers.
class TranspFlashOcx : public CFlashMovieCtrl {};

class TransparentFrame;

class FlashCView : public win::Window {
 public:
  ~FlashCView() override;
  bool CreateFernwikControl(TransparentFrame& frame, const RECT& rect);
  TranspFlashOcx& ocx() { return ocx_; }
  TranspFlashOcx* ocxReady() { return ocxReady_ ? &ocx_ : nullptr; }

  void SetListener(HostListener listener) { listener_ = std::move(listener); }
  bool loaded() const { return ocx_.movieReady; }
  // Which window points belong to the drag areas (host client coordinates); none by default.
  void SetDragRegionTest(std::function<bool(POINT)> test) { inDragRegion_ = std::move(test); }

  // Draws the controls and hands the picture to the system, unless nothing changed since the
  // last picture it took.
  void OnDraw();
  void OnSysColorChange();
  void OnFSCommand(const std::wstring& command, const std::wstring& arguments);
  bool PreTranslateMessage(MSG& message) override;

  // The last picture handed to the system, for tests: premultiplied BGRA, top row first.
  const uint32_t* lastPicture() const { return pixelsBlack_[front_]; }
  // How many pixels the last hand-over gave the system (the rest of the window kept its
  // picture), and how many hand-overs there were: for tests and the benchmark.
  int64_t lastHandedPixels() const { return lastHandedPixels_; }
  int64_t handOvers() const { return handOvers_; }
  SIZE pictureSize() const { return SIZE{pictureWidth_, pictureHeight_}; }
  // Whether the display takes the alpha byte as it is (the benchmark reports which way it drew).
  bool screenIs32Bit() const { return screenIs32Bit_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Notify(int32_t code);
  // `cursor` in screen coordinates; during a drag, anywhere is on a drag area.
  bool InDragRegion(POINT cursor) const;
  bool DragStep(const MSG& message);
  void BeginDrag(POINT cursor);
  void DragTo(POINT cursor);
  void EndDrag();
  void MoveHostTo(int left, int top);
  bool EnsurePictures(int width, int height);
  void DeletePictures();
  // Gives the system the back picture, only `dirty` of it when that is not null; true when
  // the window shows it.
  bool HandOver(HWND host, const RECT& area, const RECT* dirty);
  HWND HostWindow() const;

  TranspFlashOcx ocx_;
  bool ocxReady_ = false;
  using UpdateLayeredWindowFunction = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF,
                                                    BLENDFUNCTION*, DWORD);
  UpdateLayeredWindowFunction updateLayeredWindow_ = nullptr;
  using UpdateLayeredWindowIndirectFunction = BOOL(WINAPI*)(HWND, const UPDATELAYEREDWINDOWINFO*);
  UpdateLayeredWindowIndirectFunction updateLayeredWindowIndirect_ = nullptr;
  TransparentFrame* hostFrame_ = nullptr;
  std::unique_ptr<win::WindowlessContainer> container_;
  HostNotification notification_;
  HostListener listener_;
  std::function<bool(POINT)> inDragRegion_;
  static constexpr int32_t kNoOffset = INT32_MIN;
  int32_t dragOffsetX_ = kNoOffset, dragOffsetY_ = kNoOffset;
  bool started_ = false;
  bool dragging_ = false;
  bool screenIs32Bit_ = false;
  int32_t pictureWidth_ = 0, pictureHeight_ = 0;
  // The off-screen pictures, remade whenever the window's size changes: two drawn over black,
  // the one the window shows (`front_`) and the next, so that only what differs between them is
  // handed over; and, on displays without an alpha byte, one drawn over white.
  using Bitmap = win::UniqueHandle<win::NullInvalidTraits<HGDIOBJ, win::DeleteGdiObject>>;
  Bitmap dibBlack_[2], dibWhite_;
  uint32_t* pixelsBlack_[2] = {nullptr, nullptr};
  uint32_t* pixelsWhite_ = nullptr;
  int front_ = 0;
  win::UniqueMemoryDc memory_;
  int64_t lastHandedPixels_ = 0, handOvers_ = 0;
  // Whether the window shows the pictures, and whether the controls have changed since.
  bool shown_ = false;
  bool changed_ = true;
};

class TransparentFrame : public win::Window {
 public:
  // Creates the layered window over `rect` (screen coordinates), its view and the twin; false
  // when any of them cannot be made.
  bool Create(const RECT& rect);
  FlashCView& view() { return view_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  FlashCView view_;
};

}  // namespace zp::player
