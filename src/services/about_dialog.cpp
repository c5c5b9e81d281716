#include "services/about_dialog.h"

#include "platform/wide.h"
#include "resource_ids.h"

namespace zp::services {

namespace {

// A string of the program's own string table, at whatever length it has.
std::wstring OwnText(UINT id) {
  const wchar_t* text = nullptr;
  const int length = LoadStringW(win::ModuleInstance(), id, reinterpret_cast<wchar_t*>(&text), 0);
  return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

void SetItemText(HWND dialog, int id, const std::u16string& text) {
  SetDlgItemTextW(dialog, id, ToWide(text).c_str());
}

}  // namespace

BOOL AboutDialog::OnInitDialog() {
  HWND dialog = hwnd();
  SetWindowTextW(dialog, ToWide(AboutCaption(FromWide(OwnText(IDS_ABOUT_CAPTION)), texts_)).c_str());
  SetItemText(dialog, IDC_ABOUT_PRODUCT, ProductLine(texts_));
  SetItemText(dialog, IDC_ABOUT_NOTICE, texts_.notice);
  SetItemText(dialog, IDC_ABOUT_WEB_LINK, texts_.linkLabel);
  MakeLink(webLink_, IDC_ABOUT_WEB_LINK, texts_.linkAddress, texts_.linkTip);
  SetItemText(dialog, IDC_ABOUT_MAIL_LINK, texts_.mailLabel);
  MakeLink(mailLink_, IDC_ABOUT_MAIL_LINK, texts_.mailAddress, texts_.mailTip);
  ShowPicture();
  if (!owner_ || !IsWindow(owner_)) CentreOnWorkArea();
  return TRUE;
}

void AboutDialog::MakeLink(CHyperLink& link, int controlId, const std::u16string& target, const std::u16string& tip) {
  link.SetColours(kLinkColour, kVisitedColour, kHoverColour);
  link.SetAutoSize(false);
  link.SetCursor(nullptr);  // the system's hand
  link.SetTarget(ToWide(target));
  link.SetTipText(ToWide(tip));
  link.SubclassControl(GetDlgItem(hwnd(), controlId));
  ShowWindow(link.hwnd(), SW_SHOW);
}

void AboutDialog::ShowPicture() {
  HWND picture = GetDlgItem(hwnd(), IDC_ABOUT_PICTURE);
  if (!bitmap_) {
    ShowWindow(picture, SW_HIDE);
    return;
  }
  SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap_));
  // Some picture controls draw from a copy of a bitmap with an alpha channel; that copy is
  // theirs to make and ours to free.
  auto shown = reinterpret_cast<HBITMAP>(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
  if (shown && shown != bitmap_) pictureCopy_ = shown;
}

void AboutDialog::ForgetPictureCopy() {
  if (!pictureCopy_) return;
  HWND picture = GetDlgItem(hwnd(), IDC_ABOUT_PICTURE);
  if (picture) SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, 0);
  DeleteObject(pictureCopy_);
  pictureCopy_ = nullptr;
}

void AboutDialog::CentreOnWorkArea() {
  RECT area{}, rect{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  GetWindowRect(hwnd(), &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  const int left = (area.left + area.right) / 2 - width / 2, top = (area.top + area.bottom) / 2 - height / 2;
  SetWindowPos(hwnd(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT AboutDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (ReflectToLink(message, wParam, lParam, result)) return result;
  if (message == WM_DESTROY) ForgetPictureCopy();
  return Dialog::HandleMessage(message, wParam, lParam);
}

}  // namespace zp::services
