// ShowImage and the drag-area commands through the FSCommand manager, in-process: the windows
// a movie opens, what they show, what the movie is told, and that closed windows leave nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "fscommand/fs_command_manager.h"
#include "pictures_test_support.h"
#include "platform/wide.h"

namespace zp::fscommand {
namespace {

using namespace test;

class RecordingControl : public FsMovieControl {
 public:
  void SetVariable(const std::wstring& name, const std::wstring& value) override { variables[name] = value; }
  void SetScaleMode(int) override {}
  std::map<std::wstring, std::wstring> variables;
};

class ImageWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    manager_.SetAuthoringForTesting(false);
    manager_.SetProgramDirectory(ToWide(scratch_.path()));
    picture_ = WritePicture(scratch_, u"slide.bmp", TwoColourBmp(200, 100, kRed, kBlue, {50, 25, 150, 75}));
  }
  // Runs a built-in command and gives what "fscmd_ret" was set to ("-" when untouched).
  std::wstring Run(const std::wstring& command, const std::wstring& args) {
    control_.variables.erase(L"fscmd_ret");
    EXPECT_TRUE(manager_.RunBuiltInFsCommand(&control_, command, args, false)) << command;
    const auto found = control_.variables.find(L"fscmd_ret");
    return found == control_.variables.end() ? L"-" : found->second;
  }
  HWND LastWindow() const {
    return manager_.imageWindows().empty() ? nullptr : manager_.imageWindows().back()->hwnd();
  }

  ScratchDirectory scratch_;
  std::wstring picture_;
  RecordingControl control_;
  CFsCommandManager manager_;
};

std::wstring Caption(HWND window) {
  wchar_t text[128] = {};
  GetWindowTextW(window, text, 128);
  return text;
}

TEST_F(ImageWindowTest, WindowsAtTheirRectangleOrFittedToThePicture) {
  ASSERT_EQ(Run(L"ShowImage", picture_ + L",My caption,0,10,10,300,200"), L"1");
  HWND window = LastWindow();
  ASSERT_TRUE(window);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(Caption(window), L"My caption");
  EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
  RECT rect{};
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, 10);
  EXPECT_EQ(rect.top, 10);
  EXPECT_EQ(rect.right, 300);
  EXPECT_EQ(rect.bottom, 200);
  // Scaled down into the client area keeping its proportions, never enlarged; centred on white
  // in a grey frame.
  RECT client{};
  GetClientRect(window, &client);
  const auto size = manager_.imageWindows().back()->picture().size();
  EXPECT_EQ(size.width, 200);
  EXPECT_GT(client.right, 200);
  EXPECT_TRUE(manager_.imageWindows().back()->picture().fromDecoder());

  // Only a path: at (100, 100), the client area the picture's size, the file name as caption.
  ASSERT_EQ(Run(L"SHOWIMAGE", picture_), L"1");
  window = LastWindow();
  GetWindowRect(window, &rect);
  GetClientRect(window, &client);
  EXPECT_EQ(rect.left, 100);
  EXPECT_EQ(rect.top, 100);
  EXPECT_EQ(client.right, 200);
  EXPECT_EQ(client.bottom, 100);
  EXPECT_EQ(Caption(window), L"slide.bmp");
  UpdateWindow(window);
  HDC dc = GetDC(window);
  EXPECT_TRUE(Near(GetPixel(dc, 100, 50), Colour(kBlue)));
  EXPECT_TRUE(Near(GetPixel(dc, 0, 50), RGB(120, 120, 120))) << "the frame";
  ReleaseDC(window, dc);

  // Any other file shows its type's small icon in the middle of a white box.
  const auto notes = WritePicture(scratch_, u"notes.txt", ToBytes("some text"));
  ASSERT_EQ(Run(L"ShowImage", notes + L",,0,10,10,200,200"), L"1");
  GetClientRect(LastWindow(), &client);
  EXPECT_EQ(manager_.imageWindows().back()->picture().size().width, client.right);
  EXPECT_FALSE(manager_.imageWindows().back()->picture().fromDecoder());
  EXPECT_EQ(manager_.imageWindows().size(), 3u);

  // The main window going takes every image window with it.
  manager_.UnloadFsCommandLibraries();
  EXPECT_TRUE(manager_.imageWindows().empty());
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(ImageWindowTest, MissingFilesAndClosedWindowsLeaveNothingBehind) {
  // Nothing to show: still done, as movies expect, and no window stays.
  EXPECT_EQ(Run(L"ShowImage", ToWide(scratch_.File(u"missing.png"))), L"1");
  EXPECT_TRUE(manager_.imageWindows().empty());
  EXPECT_EQ(Run(L"ShowImage", L"  "), L"1");
  EXPECT_TRUE(manager_.imageWindows().empty());

  // Fifty windows opened and closed by the user: the process's GDI objects stay level.
  const auto objects = [] { return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS); };
  ASSERT_EQ(Run(L"ShowImage", picture_), L"1");
  SendMessageW(LastWindow(), WM_CLOSE, 0, 0);
  const DWORD before = objects();
  for (int i = 0; i < 50; ++i) {
    ASSERT_EQ(Run(L"ShowImage", picture_ + L",Slide,1,20,20"), L"1");
    HWND window = LastWindow();
    UpdateWindow(window);
    SendMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_FALSE(IsWindow(window));
  }
  EXPECT_TRUE(manager_.imageWindows().empty());
  EXPECT_LE(objects(), before + 5) << "was " << before;
}

TEST_F(ImageWindowTest, DragCommandsReportAndShapeTheDragAreas) {
  layout::CDragRegion& region = manager_.dragRegion();
  region.SetMovieSize(550, 400);
  region.SetWindowSize(1100, 800);
  struct Case {
    const wchar_t* command;
    const wchar_t* args;
    const wchar_t* result;
  } steps[] = {
      {L"DragAddRect", L"1,2,3", L"0"},             // too few numbers: nothing changes
      {L"DragAddPoly", L"0,0,100,0,100", L"0"},     // five numbers are two points
      {L"DragAddRect", L"0,0,100,20,99", L"1"},     // a fifth number is ignored
      {L"DragAddEllipse", L"300,100,500,300", L"1"},
      {L"DragSubEllipse", L"350,150,450,250", L"1"},
      {L"DragAddPoly", L"0,300,100,300,50,399,7", L"1"},
      {L"DragSubRect", L"0,0,10,10", L"1"},
  };
  for (const Case& c : steps) EXPECT_EQ(Run(c.command, c.args), c.result) << c.command << " " << c.args;
  // Window points are twice the stage points: the window is twice the stage.
  EXPECT_TRUE(region.IsDragPoint(60, 20));    // the rectangle
  EXPECT_FALSE(region.IsDragPoint(10, 10));   // cut out of it again
  EXPECT_TRUE(region.IsDragPoint(620, 400));  // the ring of the ellipse
  EXPECT_FALSE(region.IsDragPoint(800, 400)); // its hole
  EXPECT_TRUE(region.IsDragPoint(100, 620));  // the triangle
  EXPECT_FALSE(region.IsDragPoint(400, 700));

  // allowscale off: window pixels are stage pixels, centred.
  EXPECT_EQ(Run(L"allowscale", L"false"), L"1");
  EXPECT_EQ(region.MapToMovie(550, 400).x, 275);
  EXPECT_EQ(Run(L"DragCancel", L""), L"1");
  EXPECT_FALSE(region.IsDragPoint(60, 20));
}

}  // namespace
}  // namespace zp::fscommand
