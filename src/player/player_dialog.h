// The player's main window: a modal dialog from template 102 that turns the document's options
// into window styles, size, position and shape, hosts the presentation, signals the splash
// program once, and handles the system menu, the context menu, keys, dragging and the
// sequence timer.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/document/document_model.h"
#include "core/layout/context_menu.h"
#include "core/layout/player_options.h"
#include "core/layout/zoom.h"
#include "framework/dialog.h"
#include "framework/timer.h"
#include "framework/unique_handle.h"
#include "core/sequence/movie_sequence.h"
#include "player/flash_host.h"
#include "player/movie_measuring.h"
#include "player/overlay_panel.h"
#include "player/preloader_client.h"
#include "player/tray_icon.h"
#include "services/background_sound.h"

namespace zp::player {

class PlayerContextMenu;

// What the transparent companion window reports to the player window, by HostNotification
// code: it started (with a value; the answer carries the drag codes), it asks for the context
// menu, or it moved (its rectangle).
struct CompanionNotice {
  int kind = HostNotification::kStarted;
  int value = 0;
  RECT rect{};
};
struct CompanionAnswer {
  int leftCode = 0;   // from leftDrag: 0 -> 0, 1 -> 1, 3 -> 4, other -> 2
  int rightCode = 0;  // from rightButton: 0 -> 0, 2 -> 1, 3 -> 4, other -> 3
};

// What the loaded document made of its files for the window: the About logo, the panel's
// picture and font. The document keeps them; they outlive the window.
struct DocumentImages {
  HBITMAP logo = nullptr;
  HBITMAP panelPicture = nullptr;
  HFONT panelFont = nullptr;
};

class PlayerDialog : public win::Dialog {
 public:
  static constexpr int kTemplateId = 102;
  static constexpr UINT_PTR kPlayTimerId = 5228;
  static constexpr UINT kPlayTimerPeriodMs = 40;
  static constexpr UINT kAboutCommand = 0xE140;
  static constexpr UINT kShellMinimizeAll = 419;
  static constexpr UINT kShellUndoMinimizeAll = 416;
  // While a movie floats the window itself stands this far right of its saved place.
  static constexpr int kOffScreenShift = 8192;
  static constexpr DWORD kTransparentPauseMs = 200;
  // Posted at the end of set-up to undo what minimising all windows did to the player.
  static constexpr UINT kUndoShellMinimiseMessage = WM_APP + 1;

  // Makes the temporary directory the current directory, loads the icon and, for transparent
  // documents, switches the frame and the Maximize menu entry off in the document.
  PlayerDialog(DocumentModel& document, std::u16string temporaryDirectory, HWND owner);
  ~PlayerDialog() override;

  void SetContextMenu(PlayerContextMenu* menu) { contextMenu_ = menu; }
  void SetDocumentImages(const DocumentImages& images) { images_ = images; }
  // Waits until the files of the document's items up to the given one are written: asked before
  // an item's file is measured or played.
  void SetItemFilesGate(std::function<void(size_t)> await) {
    awaitItemFiles_ = await;
    sequenceHost_.SetBeforeLoad([await](const SequenceItem& entry) { await(static_cast<size_t>(entry.index)); });
  }
  // Runs the dialog modally with the owner given at construction; the waits of set-up and of
  // the sequence route their messages through the window meanwhile.
  INT_PTR Run();

  // Tests use a slot of their own.
  void SetPreloaderSlotName(std::wstring name) { preloader_ = PreloaderClient(std::move(name)); }

  // What the window has made of the document, for the tests and the FSCommand layer.
  bool transparent() const { return transparent_; }
  const RECT& savedRect() const { return savedRect_; }
  const layout::ZoomState& zoom() const { return zoom_; }
  const SequenceItem& current() const { return current_; }
  const MovieSequence& sequence() const { return sequence_; }
  const win::WindowTimer& playTimer() const { return playTimer_; }
  CFlashHost& host() { return flashHost_; }
  HMODULE resourceLibrary() const { return resourceLibrary_.get(); }
  bool dragging() const { return dragging_; }
  const services::BackgroundSoundPlayer& backgroundSound() const { return backgroundSound_; }
  bool aboutBoxOpen() const { return aboutBoxOpen_; }
  std::vector<layout::MenuEntry> ContextMenuEntries();

  void ApplyWindowLayout();
  // The companion window's callback: the transparent host's notices come here.
  CompanionAnswer OnCompanionNotice(const CompanionNotice& notice);
  const RECT& companionRect() const { return companionRect_; }

 protected:
  BOOL OnInitDialog() override;
  void OnCancel() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool PreTranslateMessage(MSG& message) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // Set-up, in the order it runs; false when the window closes at once instead.
  bool SetUp();
  void ShowIconAndTitle();
  void OpenPreloaderSlot() { preloader_.Open(); }
  void SignalPreloader() { preloader_.Signal(); }
  bool CloseAtOnce();
  void UnpackLibraries();
  void LetMoviesFindFilesBesideTheProgram();
  bool CreateMovieHost();
  void ReportMissingPlayer();
  // The sequence's entries, and the first of them as the current one.
  void FillSequence();
  // The window's styles, size, place and shape, with the drag areas' scale around them.
  void LayOutWindow();
  void PrepareSequence();
  // The sequence timer and the background sound.
  void StartPresentation();

  void ApplyStyles();
  void ApplySizeAndShape();
  // A custom region's bounding box becomes the fixed window size.
  void TakeSizeFromCustomRegion();
  void ApplySize();
  void ApplyAboutEntry();
  void ApplyShape();
  // The transparent host follows the window's saved place and size, and shows new movies.
  void MoveOffScreen();
  RECT TransparentHostArea() const;
  void ResyncTransparentHost();
  void ShowInTransparentHost();
  // Restores or minimises the transparent host with the window, through its placement.
  void SetTransparentHostShow(UINT show);
  void MoveToPlacement(int width, int height);

  void OnSystemCommand(WPARAM command);
  void OnTimerTick();
  void OnPaint();
  void ApplyZoom();
  void ShowContextMenu();
  void SetTopmost(bool topmost);

  bool HandleKeyDown(MSG& message);
  bool HandleMouse(MSG& message);
  // Whether the cursor is on one of the movie's drag areas (a drag in progress counts).
  bool OnDragArea(POINT cursor) const;
  // The drag areas' mapping from window to movie: at set-up, and after every size change.
  void SetDragScaling(bool scaleCoordinates, bool keepAspect, int movieWidth, int movieHeight);
  void SetDragWindowSize(int width, int height);
  void BeginDrag(POINT cursor);
  void DragTo(POINT cursor);
  void EndDrag();
  void ReleaseResources();

  bool CurrentIsFlash() const { return current_.isMovie; }
  // Whether the presentation needs the movie control at all.
  bool HasMovieItem() const;
  void StartBackgroundSound();
  void PauseBackgroundSound(bool pause);
  void PlaceOverlayPanel();
  // The About box, modal; while one is up (without an owner the player stays usable) no second
  // one opens.
  void ShowAboutBox();
  // No caption means no system menu, so the context menu offers "About..." instead.
  bool ContextMenuOffersAbout() const;
  void TogglePlay();
  void RefitMovie();

  DocumentModel& document_;
  std::u16string temporaryDirectory_;
  std::u16string packagePath_;
  HWND owner_;
  HICON icon_ = nullptr;  // shared resource icon: not destroyed
  bool transparent_ = false;
  PreloaderClient preloader_;
  CFlashHost flashHost_;
  PlayerSequenceMeasurer measurer_;
  std::function<void(size_t)> awaitItemFiles_;
  MovieSequence sequence_;
  FlashHostSequenceAdapter sequenceHost_{flashHost_, [this] { return !ended(); }};
  SequenceItem current_;
  win::WindowTimer playTimer_;
  layout::ZoomState zoom_;
  RECT savedRect_{};
  win::UniqueModule resourceLibrary_;
  bool dragging_ = false;
  POINT dragOffset_{};
  bool hasDragOffset_ = false;
  RECT companionRect_{};
  int companionValue_ = 0;
  TrayIcon trayIcon_;
  PlayerContextMenu* contextMenu_ = nullptr;
  DocumentImages images_;
  OverlayPanel overlayPanel_;
  services::BackgroundSoundPlayer backgroundSound_;
  bool aboutBoxOpen_ = false;
};

}  // namespace zp::player
