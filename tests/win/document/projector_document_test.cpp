#include "package/projector_document.h"

#include <gtest/gtest.h>

#include "core/document/document_archive.h"
#include "core/package_writer.h"
#include "document_samples.h"
#include "package/gdiplus_include.h"
#include "framework/message_pump.h"
#include "platform/wide.h"
#include "test_files.h"

namespace zp {
namespace {

using test::Bytes;

// GDI+ is started by the application before any document loads; these tests do the same.
class GdiPlusEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token_, &input, nullptr);
  }
  void TearDown() override { Gdiplus::GdiplusShutdown(token_); }

 private:
  ULONG_PTR token_ = 0;
};
const auto* const gdiPlus = ::testing::AddGlobalTestEnvironment(new GdiPlusEnvironment);

void Put16(Bytes& b, uint16_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void Put32(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}); }

// A 32 x 32, 32-bit icon file: ICONDIR, one entry, BITMAPINFOHEADER, pixels, AND mask.
Bytes IconFile() {
  Bytes b;
  Put16(b, 0); Put16(b, 1); Put16(b, 1);
  b.insert(b.end(), {32, 32, 0, 0});
  Put16(b, 1); Put16(b, 32);
  const uint32_t size = 40 + 32 * 32 * 4 + 32 * 4;
  Put32(b, size); Put32(b, 22);
  Put32(b, 40); Put32(b, 32); Put32(b, 64); Put16(b, 1); Put16(b, 32);
  for (int i = 0; i < 6; ++i) Put32(b, 0);
  for (int i = 0; i < 32 * 32; ++i) Put32(b, 0xFF2080C0);
  b.insert(b.end(), 32 * 4, 0);
  return b;
}

// An 8 x 4, 24-bit BMP file, which the bitmap loader reads itself.
Bytes BmpFile() {
  Bytes b {'B', 'M'};
  const uint32_t pixels = 8 * 3 * 4;
  Put32(b, 54 + pixels); Put32(b, 0); Put32(b, 54);
  Put32(b, 40); Put32(b, 8); Put32(b, 4); Put16(b, 1); Put16(b, 24);
  for (int i = 0; i < 6; ++i) Put32(b, 0);
  b.insert(b.end(), pixels, 0x7F);
  return b;
}

// A 6 x 5 PNG made by GDI+, which only GDI+ reads.
Bytes PngFile(const std::wstring& path) {
  Gdiplus::GpBitmap* bitmap = nullptr;
  Gdiplus::DllExports::GdipCreateBitmapFromScan0(6, 5, 0, PixelFormat32bppARGB, nullptr, &bitmap);
  const CLSID png {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
  Gdiplus::DllExports::GdipSaveImageToFile(bitmap, path.c_str(), &png, nullptr);
  Gdiplus::DllExports::GdipDisposeImage(bitmap);
  return test::ReadBytes(FromWide(path)).value_or(Bytes {});
}

Bytes EllipseRegionData() {
  HRGN region = CreateEllipticRgn(0, 0, 40, 30);
  const DWORD size = GetRegionData(region, 0, nullptr);
  Bytes data(size);
  GetRegionData(region, size, reinterpret_cast<RGNDATA*>(data.data()));
  DeleteObject(region);
  return data;
}

class PlayerDocument : public ::testing::Test {
 protected:
  // A program file: some bytes standing for the program, then the document record.
  std::wstring WritePlayer(const DocumentModel& model, bool compress = true, uint32_t version = 150) {
    const Bytes record = MakeDocumentRecord(WriteDocumentSections(model, version), compress, version);
    const std::u16string path = scratch.File(u"player.exe");
    EXPECT_TRUE(test::WriteBytes(path, test::Concat({test::RandomBytes(3000, 5), record})));
    return ToWide(path);
  }
  static size_t Offset() { return 3000; }

  DocumentModel WithPictures() {
    DocumentModel model = test::FullDocument();
    model.appearanceOptions.icon = EmbeddedFile {u"C:\\show\\app.ico", IconFile(), false, {}, 0};
    model.menuAboutOptions.logo = EmbeddedFile {u"C:\\show\\logo.bmp", BmpFile(), false, {}, 0};
    model.overlayPanelOptions.picture =
        EmbeddedFile {u"C:\\show\\panel.png", PngFile(ToWide(scratch.File(u"made.png"))), false, {}, 0};
    model.appearanceOptions.region = EllipseRegionData();
    model.overlayPanelOptions.font = DefaultPanelFont();
    return model;
  }

  test::ScratchDirectory scratch;
};

TEST_F(PlayerDocument, TemporaryDirectoryLivesAsLongAsTheDocument) {
  std::wstring directory;
  {
    ProjectorDocument document;
    directory = document.TemporaryDirectory();
    EXPECT_TRUE(directory.ends_with(L".tmp"));
    EXPECT_NE(GetFileAttributesW(directory.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    ASSERT_TRUE(document.Load(WritePlayer(WithPictures()), Offset()));
    // The current directory inside it must not keep it from going.
    SetCurrentDirectoryW(directory.c_str());
  }
  EXPECT_EQ(GetFileAttributesW(directory.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(PlayerDocument, LoadsFilesAndDerivesImages) {
  ProjectorDocument document;
  ASSERT_TRUE(document.Load(WritePlayer(WithPictures()), Offset()));
  const std::wstring played = ToWide(document.movieList.items.at(0).PlayedPath());
  EXPECT_TRUE(played.starts_with(document.TemporaryDirectory() + L"\\")) << FromWide(played).size();
  EXPECT_NE(document.icon(), nullptr);
  EXPECT_NE(document.logoBitmap(), nullptr);   // read by the bitmap loader
  EXPECT_NE(document.panelBitmap(), nullptr);  // PNG: read through GDI+
  ASSERT_NE(document.customRegion(), nullptr);
  HRGN ellipse = CreateEllipticRgn(0, 0, 40, 30);
  RECT loaded {}, original {};
  GetRgnBox(document.customRegion(), &loaded);
  GetRgnBox(ellipse, &original);
  EXPECT_TRUE(EqualRect(&loaded, &original)) << loaded.left << "," << loaded.top << "," << loaded.right << ","
                                             << loaded.bottom << " vs " << original.right << "," << original.bottom;
  // The same area (the rectangles may be banded differently).
  HRGN difference = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(CombineRgn(difference, document.customRegion(), ellipse, RGN_XOR), NULLREGION);
  DeleteObject(difference);
  DeleteObject(ellipse);
  EXPECT_NE(document.panelFont(), nullptr);

  BITMAP bitmap {};
  ASSERT_TRUE(GetObjectW(document.panelBitmap(), sizeof bitmap, &bitmap));
  EXPECT_EQ(bitmap.bmWidth, 6);
  EXPECT_EQ(bitmap.bmHeight, 5);

  // The written picture is not held open: it can be deleted while the bitmap lives on.
  EXPECT_TRUE(DeleteFileW(ToWide(document.overlayPanelOptions.picture.path).c_str()));

  document.Reset();
  EXPECT_EQ(document.icon(), nullptr);
  EXPECT_EQ(document.logoBitmap(), nullptr);
  EXPECT_EQ(document.customRegion(), nullptr);
  EXPECT_EQ(document.panelFont(), nullptr);
  EXPECT_TRUE(document.movieList.items.empty());
}

TEST_F(PlayerDocument, UnreadablePicturesAndRegionsGiveNothing) {
  DocumentModel model = test::FullDocument();  // its icon, logo and picture are not pictures
  model.appearanceOptions.region = {1, 2, 3};
  model.overlayPanelOptions.font = Bytes(10, 1);
  ProjectorDocument document;
  ASSERT_TRUE(document.Load(WritePlayer(model, false), Offset()));
  EXPECT_EQ(document.icon(), nullptr);
  EXPECT_EQ(document.logoBitmap(), nullptr);
  EXPECT_EQ(document.panelBitmap(), nullptr);
  EXPECT_EQ(document.customRegion(), nullptr);
  EXPECT_EQ(document.panelFont(), nullptr);

  Bytes lying = EllipseRegionData();
  lying[8] = 0xFF;  // nCount far beyond the block
  EXPECT_FALSE(RegionFromData(lying));
}

TEST_F(PlayerDocument, FailuresResetTheDocument) {
  ProjectorDocument document;
  EXPECT_FALSE(document.Load(WritePlayer(WithPictures(), true, 151), Offset()));
  EXPECT_EQ(document.icon(), nullptr);
  EXPECT_EQ(static_cast<const DocumentModel&>(document), DocumentModel());
  EXPECT_FALSE(document.Load(WritePlayer(WithPictures()), Offset() + 1));
  EXPECT_FALSE(document.Load(L"C:\\no\\such\\player.exe", 0));
}

TEST_F(PlayerDocument, PendingMessagesAreHandledWhileItemsLoad) {
  static int handled = 0;
  handled = 0;
  WNDCLASSW windowClass {};
  windowClass.lpfnWndProc = [](HWND hwnd, UINT message, WPARAM w, LPARAM l) -> LRESULT {
    if (message == WM_USER + 2) ++handled;
    return DefWindowProcW(hwnd, message, w, l);
  };
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"DocumentPumpTest";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowW(L"DocumentPumpTest", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);

  DocumentModel model;
  model.movieList.items.resize(25);
  const std::wstring player = WritePlayer(model);
  for (int i = 0; i < 3; ++i) PostMessageW(window, WM_USER + 2, 0, 0);
  ProjectorDocument document;
  ASSERT_TRUE(document.Load(player, Offset()));
  EXPECT_EQ(handled, 3);
  DestroyWindow(window);
}

TEST(MessagePump, StopsAtTheLimitAndKeepsQuit) {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  for (int i = 0; i < 5; ++i) PostThreadMessageW(GetCurrentThreadId(), WM_USER + 1, 0, 0);
  EXPECT_EQ(win::PumpPendingMessages(3).dispatched, 3);
  EXPECT_EQ(win::PumpPendingMessages(10).dispatched, 2);
  PostQuitMessage(7);
  const win::PumpResult quit = win::PumpPendingMessages(10);
  EXPECT_EQ(quit.dispatched, 0);
  EXPECT_TRUE(quit.quit);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
}

}  // namespace
}  // namespace zp
