#include "services/settings_store.h"

#include "core/layout/rect_text.h"
#include "framework/profile.h"
#include "platform/wide.h"

namespace zp::services {

void SelectSettingsKey() { win::Profile().SetRegistryKey(std::wstring(kVendorKey) + L"\\" + kProductKey); }

bool SaveWindowRect(const std::wstring& section, const std::wstring& entry, const RECT& rect) {
  const layout::Box box{static_cast<int>(rect.left), static_cast<int>(rect.top), static_cast<int>(rect.right),
                        static_cast<int>(rect.bottom)};
  return win::Profile().WriteString(section, entry, ToWide(layout::FormatRectText(box)));
}

bool LoadWindowRect(const std::wstring& section, const std::wstring& entry, RECT& rect) {
  rect = RECT{0, 0, 0, 0};
  const std::wstring text = win::Profile().GetString(section, entry, L"");
  if (text.empty()) return false;
  layout::Box box;
  if (!layout::ParseRectText(FromWide(text), box)) return false;
  rect = RECT{box.left, box.top, box.right, box.bottom};
  return true;
}

}  // namespace zp::services
