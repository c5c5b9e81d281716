// The built-in commands that open image windows and mark the movie's drag areas.
#include <algorithm>
#include <vector>

#include "core/pictures/image_window_layout.h"
#include "fscommand/fs_command_manager.h"
#include "platform/wide.h"

namespace zp::fscommand {

bool CFsCommandManager::ShowImage(const std::wstring& args) {
  const auto request = pictures::ReadShowImageRequest(FromWide(args));
  if (!request) return true;
  auto window = std::make_unique<CImageWindow>([this](CImageWindow* gone) { ForgetImageWindow(gone); });
  if (!window->Create(pictures::ImageWindowRect(*request), true)) return false;
  CImageWindow* shown = window.get();
  imageWindows_.push_back(std::move(window));
  if (imageIcon_) shown->SetIcon(imageIcon_);
  if (!request->caption.empty()) shown->SetTitle(ToWide(request->caption));
  // A missing file shows nothing and is still reported as done, as movies expect; its window
  // would never be seen, so it goes at once (and its object with it: `shown` is gone after).
  if (!shown->ShowFile(ToWide(request->path), request->fit, MainWindow())) DestroyWindow(shown->hwnd());
  return true;
}

void CFsCommandManager::ForgetImageWindow(CImageWindow* window) {
  // The window is gone: its picture and its object go with it.
  auto found = std::find_if(imageWindows_.begin(), imageWindows_.end(),
                            [window](const auto& owned) { return owned.get() == window; });
  if (found == imageWindows_.end()) return;
  std::unique_ptr<CImageWindow> gone = std::move(*found);
  imageWindows_.erase(found);
}

void CFsCommandManager::CloseImageWindows() {
  // Destroying a window removes it from the list, so the list is taken first.
  std::vector<std::unique_ptr<CImageWindow>> windows = std::move(imageWindows_);
  imageWindows_.clear();
  windows.clear();
}

void CFsCommandManager::ApplyDragShape(const FsBuiltInDecision& decision) {
  const auto& p = decision.points;
  const bool add = decision.action == FsAction::kDragAdd;
  if (decision.shape == FsDragShape::kPolygon) {
    std::vector<layout::Point> points;
    for (size_t i = 0; i + 1 < p.size(); i += 2) points.push_back({p[i], p[i + 1]});
    add ? dragRegion_.AddPoly(points) : dragRegion_.SubPoly(points);
    return;
  }
  if (p.size() < 4) return;
  const layout::Box box{p[0], p[1], p[2], p[3]};
  if (decision.shape == FsDragShape::kEllipse) {
    add ? dragRegion_.AddEllipse(box) : dragRegion_.SubEllipse(box);
  } else {
    add ? dragRegion_.AddRect(box) : dragRegion_.SubRect(box);
  }
}

}  // namespace zp::fscommand
