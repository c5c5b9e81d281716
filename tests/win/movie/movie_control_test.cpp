#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>
#include <olectl.h>

#include <cwctype>

#include "common/movie_ids.h"
#include "movie_test_support.h"
#include "platform/wide.h"
#include "test_container.h"
#include "test_files.h"

namespace zp::test {
namespace {

using namespace zp::movie;
using swfgen::ActionWriter;
using swfgen::MovieWriter;

// A movie of `frames` frames at `rate` frames per second with a square moving along.
swfgen::Bytes Frames(int frames, double rate) {
  MovieWriter m(6, 100, 100, rate);
  m.DefineRect(1, {0, 0, 200, 200}, {255, 0, 0});
  m.Place(1, 1);
  for (int i = 0; i < frames; ++i) {
    if (i > 0) m.Move(1, i * 20, 0);
    m.ShowFrame();
  }
  return m.Finish(true);
}

// Commands from frame actions, one computed by GetURL2, and one that waits for fscmd_ret.
swfgen::Bytes CommandMovie() {
  MovieWriter m(6, 100, 100, 10);
  m.Actions(ActionWriter().FsCommand("one", "a")).ShowFrame();
  m.Actions(ActionWriter()
                .Push({std::string("FSCommand:"), std::string("two")})
                .Op(0x21)  // StringAdd: "FSCommand:two"
                .Push({std::string("b"), std::string("c")})
                .Op(0x21)  // "bc"
                .GetUrl2())
      .ShowFrame();
  m.Actions(ActionWriter()
                .Push({std::string("fscmd_ret")})
                .Op(0x1C)
                .Push({std::string("go")})
                .Op(0x49)  // Equals2
                .Op(0x12)  // Not
                .If("skip")
                .Push({std::string("FSCommand:answered"), std::string("fscmd_ret")})
                .Op(0x1C)
                .GetUrl2()
                .Mark("skip")
                .Stop())
      .ShowFrame();
  return m.Finish(false);
}

class MovieControlTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(container.CreateControl(kMovieControlClsid, 300, 200), S_OK); }

  std::wstring Write(const wchar_t* name, const swfgen::Bytes& bytes) {
    const std::wstring path = ToWide(scratch.File(FromWide(name)));
    EXPECT_TRUE(WriteMovie(path, bytes));
    return path;
  }

  // Sets the movie and waits for its ready event; a movie that should fail gets a short wait.
  bool Load(const std::wstring& path, DWORD timeoutMs = 5000) {
    const size_t before = ReadyEvents();
    if (FAILED(container.PutString(kDispMovie, path))) return false;
    return PumpUntil([&] { return ReadyEvents() > before; }, timeoutMs);
  }

  size_t ReadyEvents() {
    size_t n = 0;
    for (const auto& e : container.sink().events) n += e.id == kEventReadyStateChange && e.number == 4;
    return n;
  }

  std::vector<RecordedEvent> Commands() {
    std::vector<RecordedEvent> out;
    for (const auto& e : container.sink().events) {
      if (e.id == kEventFsCommand) out.push_back(e);
    }
    return out;
  }

  std::wstring TGetProperty(int property) {
    VARIANT v;
    if (FAILED(container.Call(kDispTGetProperty, {Str(L"/"), Long(property)}, &v)) || v.vt != VT_BSTR) return L"<error>";
    std::wstring text = v.bstrVal ? v.bstrVal : L"";
    VariantClear(&v);
    return text;
  }

  ScratchDirectory scratch;
  TestContainer container;
};

// The control is an apartment-threaded object: its host thread must be a single-threaded
// apartment, as Windows (unlike Wine) insists.
TEST(MovieControlCreation, HostThreadIsASingleThreadedApartment) {
  APTTYPE type{};
  APTTYPEQUALIFIER qualifier{};
  ASSERT_EQ(CoGetApartmentType(&type, &qualifier), S_OK);
  EXPECT_TRUE(type == APTTYPE_STA || type == APTTYPE_MAINSTA) << type;
}

TEST(MovieControlCreation, ByClassWithEveryInterfaceAContainerNeeds) {
  ComPtr<IUnknown> control;
  ASSERT_EQ(CoCreateInstance(kMovieControlClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             reinterpret_cast<void**>(control.GetAddressOf())),
            S_OK);
  for (const IID& iid : {IID_IDispatch, IID_IOleObject, IID_IOleInPlaceObject, IID_IOleInPlaceActiveObject,
                         IID_IOleControl, IID_IViewObject, IID_IViewObject2, IID_IPersistStreamInit,
                         IID_IProvideClassInfo2, IID_IConnectionPointContainer, IID_IOleWindow}) {
    ComPtr<IUnknown> part;
    EXPECT_EQ(control->QueryInterface(iid, reinterpret_cast<void**>(part.GetAddressOf())), S_OK);
  }
  ComPtr<IProvideClassInfo2> info;
  ASSERT_EQ(control.As(&info), S_OK);
  GUID events{};
  EXPECT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events), S_OK);
  EXPECT_TRUE(IsEqualGUID(events, kMovieEventsIid));
  ComPtr<IConnectionPointContainer> points;
  ASSERT_EQ(control.As(&points), S_OK);
  ComPtr<IConnectionPoint> point;
  EXPECT_EQ(points->FindConnectionPoint(kMovieEventsIid, &point), S_OK);
  EXPECT_EQ(points->FindConnectionPoint(IID_IPropertyNotifySink, &point), CONNECT_E_NOCONNECTION);
  ComPtr<IOleObject> object;
  ASSERT_EQ(control.As(&object), S_OK);
  DWORD status = 0;
  EXPECT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
  EXPECT_TRUE(status & OLEMISC_SETCLIENTSITEFIRST);
}

TEST_F(MovieControlTest, ActivatesInPlaceAsAChildOfTheContainer) {
  EXPECT_EQ(container.inPlaceActivations, 1);
  HWND window = container.controlWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(GetParent(window), container.host());
  EXPECT_TRUE(IsWindowVisible(window));
  RECT r;
  GetClientRect(window, &r);
  EXPECT_EQ(r.right, 300);
  EXPECT_EQ(r.bottom, 200);
  ComPtr<IOleInPlaceObject> inPlace;
  ASSERT_EQ(ComPtr<IUnknown>(container.control()).As(&inPlace), S_OK);
  RECT moved{10, 20, 110, 70};
  EXPECT_EQ(inPlace->SetObjectRects(&moved, &moved), S_OK);
  GetClientRect(window, &r);
  EXPECT_EQ(r.right, 100);
  EXPECT_EQ(inPlace->InPlaceDeactivate(), S_OK);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(container.inPlaceDeactivations, 1);
}

TEST_F(MovieControlTest, UiActivationHandsTheFrameTheActiveObject) {
  container.offerFrame = true;
  ComPtr<IOleObject> object;
  ASSERT_EQ(ComPtr<IUnknown>(container.control()).As(&object), S_OK);
  RECT area{0, 0, 300, 200};
  ASSERT_EQ(object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &container, 0, container.host(), &area), S_OK);
  ASSERT_TRUE(container.activeObject);
  EXPECT_EQ(container.activeObject->TranslateAccelerator(nullptr), S_FALSE);
  ComPtr<IOleInPlaceObject> inPlace;
  ASSERT_EQ(object.As(&inPlace), S_OK);
  EXPECT_EQ(inPlace->UIDeactivate(), S_OK);
  EXPECT_FALSE(container.activeObject);
}

TEST_F(MovieControlTest, AHandlerMayDestroyTheControl) {
  MovieWriter m(6, 100, 100, 10);
  m.Actions(ActionWriter().FsCommand("quit", "").FsCommand("after", "")).ShowFrame().ShowFrame();
  container.sink().onEvent = [&](const RecordedEvent& e) {
    if (e.id == kEventFsCommand) container.DestroyControl();
  };
  ASSERT_EQ(container.PutString(kDispMovie, Write(L"quit.swf", m.Finish(false))), S_OK);
  ASSERT_TRUE(PumpUntil([&] { return !Commands().empty(); }, 5000));
  PumpFor(200);
  EXPECT_EQ(Commands().size(), 1u);
  EXPECT_EQ(container.control(), nullptr);
}

TEST_F(MovieControlTest, NamesMapToTheirDispatchIdentifiers) {
  const std::pair<const wchar_t*, DISPID> names[] = {
      {L"TotalFrames", 124}, {L"ScaleMode", 120}, {L"BackgroundColor", 123}, {L"Loop", 106},
      {L"Movie", 102},       {L"SetZoomRect", 109}, {L"Play", 112},         {L"Back", 114},
      {L"Forward", 115},     {L"Rewind", 116},     {L"StopPlay", 126},      {L"CurrentFrame", 128},
      {L"IsPlaying", 129},   {L"FlashVersion", 132}, {L"Base", 136},        {L"BGColor", 140},
      {L"SetVariable", 151}, {L"TSetProperty", 153}, {L"TGetProperty", 154}, {L"GetVariable", 152},
      {L"movie", 102},
  };
  for (const auto& [name, id] : names) {
    LPOLESTR text = const_cast<LPOLESTR>(name);
    DISPID found = 0;
    EXPECT_EQ(container.dispatch()->GetIDsOfNames(IID_NULL, &text, 1, LOCALE_USER_DEFAULT, &found), S_OK) << name;
    EXPECT_EQ(found, id) << name;
  }
  LPOLESTR unknown = const_cast<LPOLESTR>(L"NoSuchThing");
  DISPID found = 0;
  EXPECT_EQ(container.dispatch()->GetIDsOfNames(IID_NULL, &unknown, 1, LOCALE_USER_DEFAULT, &found),
            DISP_E_UNKNOWNNAME);
  EXPECT_EQ(found, DISPID_UNKNOWN);
  VARIANT v;
  EXPECT_EQ(container.Get(999, &v), DISP_E_MEMBERNOTFOUND);
}

TEST_F(MovieControlTest, BeforeAnyMovie) {
  EXPECT_EQ(container.GetLong(kDispTotalFrames), 0);
  EXPECT_EQ(container.CallLong(kDispCurrentFrame), 0);
  EXPECT_FALSE(container.CallBool(kDispIsPlaying));
  EXPECT_EQ(container.GetString(kDispMovie), L"");
  EXPECT_GE(container.CallLong(kDispFlashVersion) >> 16, 7);
  EXPECT_TRUE(container.GetBool(kDispLoop));
  EXPECT_EQ(container.Call(kDispPlay, {}), S_OK);  // harmless without a movie
  EXPECT_FALSE(container.CallBool(kDispIsPlaying));
}

TEST_F(MovieControlTest, LoadingPlaysAndRaisesReadyOnce) {
  const std::wstring path = Write(L"frames.swf", Frames(5, 12));
  ASSERT_TRUE(Load(path));
  EXPECT_EQ(ReadyEvents(), 1u);
  EXPECT_EQ(container.GetLong(kDispTotalFrames), 5);
  EXPECT_TRUE(container.CallBool(kDispIsPlaying));
  EXPECT_EQ(container.GetString(kDispMovie), path);
  EXPECT_EQ(container.GetLong(kDispReadyState), 4);
  PumpFor(100);
  EXPECT_EQ(ReadyEvents(), 1u);
}

TEST_F(MovieControlTest, RelativePathsResolveAgainstBase) {
  Write(L"relative.swf", Frames(3, 12));
  ASSERT_EQ(container.PutString(kDispBase, ToWide(scratch.path())), S_OK);
  EXPECT_EQ(container.GetString(kDispBase), ToWide(scratch.path()));
  ASSERT_TRUE(Load(L"relative.swf"));
  EXPECT_EQ(container.GetLong(kDispTotalFrames), 3);
}

TEST_F(MovieControlTest, MissingOrBrokenFileLeavesNothingLoaded) {
  ASSERT_TRUE(Load(Write(L"good.swf", Frames(4, 12))));
  EXPECT_FALSE(Load(ToWide(scratch.File(u"missing.swf")), 300));
  EXPECT_EQ(container.GetLong(kDispTotalFrames), 0);
  EXPECT_FALSE(container.CallBool(kDispIsPlaying));
  const swfgen::Bytes junk{'C', 'W', 'S', 6, 100, 0, 0, 0, 1, 2, 3};
  EXPECT_FALSE(Load(Write(L"junk.swf", junk), 300));
  EXPECT_EQ(ReadyEvents(), 1u);
}

TEST_F(MovieControlTest, OneSpaceUnloads) {
  ASSERT_TRUE(Load(Write(L"frames.swf", Frames(4, 12))));
  ASSERT_EQ(container.PutString(kDispMovie, L" "), S_OK);
  EXPECT_EQ(container.GetLong(kDispTotalFrames), 0);
  EXPECT_FALSE(container.CallBool(kDispIsPlaying));
  EXPECT_EQ(container.CallLong(kDispCurrentFrame), 0);
  PumpFor(100);
  EXPECT_EQ(ReadyEvents(), 1u);
}

TEST_F(MovieControlTest, PlaybackOperations) {
  ASSERT_TRUE(Load(Write(L"frames.swf", Frames(6, 1))));  // one frame per second: nothing moves meanwhile
  EXPECT_EQ(container.Call(kDispStopPlay, {}), S_OK);
  EXPECT_FALSE(container.CallBool(kDispIsPlaying));
  EXPECT_EQ(container.CallLong(kDispCurrentFrame), 0);
  container.Call(kDispForward, {});
  container.Call(kDispForward, {});
  EXPECT_EQ(container.CallLong(kDispCurrentFrame), 2);
  EXPECT_FALSE(container.CallBool(kDispIsPlaying));
  container.Call(kDispBack, {});
  EXPECT_EQ(container.CallLong(kDispCurrentFrame), 1);
  container.Call(kDispPlay, {});
  EXPECT_TRUE(container.CallBool(kDispIsPlaying));
  container.Call(kDispRewind, {});
  EXPECT_EQ(container.CallLong(kDispCurrentFrame), 0);
  EXPECT_FALSE(container.CallBool(kDispIsPlaying));
  EXPECT_EQ(TGetProperty(4), L"1");  // _currentframe counts from 1
}

TEST_F(MovieControlTest, FramesAdvanceAtTheFrameRate) {
  ASSERT_TRUE(Load(Write(L"fast.swf", Frames(200, 20))));
  const ULONGLONG start = GetTickCount64();
  PumpUntil([&] { return GetTickCount64() - start >= 1000; }, 5000);
  const LONG frame = container.CallLong(kDispCurrentFrame);
  // 20 frames per second for a second; generous for a busy machine.
  EXPECT_GE(frame, 12);
  EXPECT_LE(frame, 24);
}

TEST_F(MovieControlTest, LoopOffStopsOnTheLastFrameAndOnRestarts) {
  ASSERT_TRUE(Load(Write(L"short.swf", Frames(3, 30))));
  ASSERT_EQ(container.Put(kDispLoop, Bool(false)), S_OK);
  EXPECT_FALSE(container.GetBool(kDispLoop));
  EXPECT_TRUE(PumpUntil([&] { return !container.CallBool(kDispIsPlaying); }, 3000));
  EXPECT_EQ(container.CallLong(kDispCurrentFrame), 2);

  ASSERT_EQ(container.Put(kDispLoop, Bool(true)), S_OK);
  container.Call(kDispPlay, {});
  // Looping comes back to frame 0 and keeps playing.
  EXPECT_TRUE(PumpUntil([&] { return container.CallLong(kDispCurrentFrame) == 0; }, 3000));
  EXPECT_TRUE(container.CallBool(kDispIsPlaying));
}

TEST_F(MovieControlTest, FsCommandsInFrameOrderAndVariablesFromOutside) {
  ASSERT_EQ(container.PutString(kDispMovie, Write(L"commands.swf", CommandMovie())), S_OK);
  // Set before frame 2 runs; frame 0 ran at load.
  ASSERT_EQ(container.Call(kDispSetVariable, {Str(L"fscmd_ret"), Str(L"go")}), S_OK);
  ASSERT_TRUE(PumpUntil([&] { return Commands().size() >= 3; }, 5000));
  const auto commands = Commands();
  ASSERT_EQ(commands.size(), 3u);
  EXPECT_EQ(commands[0].strings, (std::vector<std::wstring>{L"one", L"a"}));
  EXPECT_EQ(commands[1].strings, (std::vector<std::wstring>{L"two", L"bc"}));
  EXPECT_EQ(commands[2].strings, (std::vector<std::wstring>{L"answered", L"go"}));
  // The ready event comes before the first frame's command.
  EXPECT_EQ(container.sink().events.front().id, kEventReadyStateChange);
  VARIANT value;
  ASSERT_EQ(container.Call(kDispGetVariable, {Str(L"fscmd_ret")}, &value), S_OK);
  ASSERT_EQ(value.vt, VT_BSTR);
  EXPECT_STREQ(value.bstrVal, L"go");
  VariantClear(&value);
  ASSERT_EQ(container.Call(kDispGetVariable, {Str(L"nothing")}, &value), S_OK);
  EXPECT_STREQ(value.bstrVal, L"");
  VariantClear(&value);
}

TEST_F(MovieControlTest, WithoutTheVariableTheIfSkipsTheCommand) {
  ASSERT_TRUE(Load(Write(L"commands.swf", CommandMovie())));
  ASSERT_TRUE(PumpUntil([&] { return !container.CallBool(kDispIsPlaying); }, 5000));
  PumpFor(50);
  EXPECT_EQ(Commands().size(), 2u);
}

TEST_F(MovieControlTest, AHandlerThatUnloadsStopsTheRestOfThatMoviesCommands) {
  MovieWriter m(6, 100, 100, 10);
  m.Actions(ActionWriter().FsCommand("first", "").FsCommand("second", "")).ShowFrame();
  container.sink().onEvent = [&](const RecordedEvent& e) {
    if (e.id == kEventFsCommand) container.PutString(kDispMovie, L" ");
  };
  ASSERT_EQ(container.PutString(kDispMovie, Write(L"two.swf", m.Finish(false))), S_OK);
  ASSERT_TRUE(PumpUntil([&] { return !Commands().empty(); }, 5000));
  PumpFor(100);
  EXPECT_EQ(Commands().size(), 1u);
  EXPECT_EQ(container.GetLong(kDispTotalFrames), 0);
}

TEST_F(MovieControlTest, FrozenEventsWaitUntilThaw) {
  ComPtr<IOleControl> control;
  ASSERT_EQ(ComPtr<IUnknown>(container.control()).As(&control), S_OK);
  control->FreezeEvents(TRUE);
  ASSERT_EQ(container.PutString(kDispMovie, Write(L"frames.swf", Frames(3, 12))), S_OK);
  PumpFor(150);
  EXPECT_EQ(ReadyEvents(), 0u);
  control->FreezeEvents(FALSE);
  EXPECT_TRUE(PumpUntil([&] { return ReadyEvents() == 1; }, 3000));
}

TEST_F(MovieControlTest, TargetPropertiesOfTheRoot) {
  ASSERT_TRUE(Load(Write(L"frames.swf", Frames(3, 12))));
  EXPECT_EQ(TGetProperty(8), L"100");
  EXPECT_EQ(TGetProperty(9), L"100");
  EXPECT_EQ(container.Call(kDispTSetProperty, {Str(L"/"), Long(2), Str(L"50")}), S_OK);
  EXPECT_EQ(container.Call(kDispTSetProperty, {Str(L"/"), Long(3), Str(L"200")}), S_OK);
  EXPECT_EQ(TGetProperty(2), L"50");
  EXPECT_EQ(TGetProperty(3), L"200");
  EXPECT_EQ(TGetProperty(8), L"50");
  EXPECT_EQ(container.Call(kDispTSetProperty, {Str(L"/"), Long(16), Str(L"0")}), S_OK);
  EXPECT_EQ(TGetProperty(16), L"0");
  // The control shows the 100 × 100 stage at twice its size in its 300 × 200 window,
  // centred: stage x 0 is window x 50.
  SendMessageW(container.controlWindow(), WM_MOUSEMOVE, 0, MAKELPARAM(150, 60));
  EXPECT_EQ(TGetProperty(20), L"50");
  EXPECT_EQ(TGetProperty(21), L"30");
  VARIANT v;
  EXPECT_EQ(container.Call(kDispTGetProperty, {Str(L"/"), Long(20)}, &v), S_OK);
  EXPECT_EQ(v.vt, VT_BSTR);
  VariantClear(&v);
  EXPECT_EQ(container.Call(kDispTGetProperty, {Str(L"/")}, &v), DISP_E_BADPARAMCOUNT);
}

TEST_F(MovieControlTest, ClickOnAButtonRunsItsActionAndShowsTheHand) {
  // A 50-pixel button in the top-left corner of a 100 × 100 stage, shown twice its size and
  // centred in the 300 × 200 window: it covers window x 50..150, y 0..100.
  MovieWriter m(8, 100, 100, 12);
  m.DefineRect(1, {0, 0, 1000, 1000}, {255, 0, 0});
  m.DefineButton2(2, {{0x0F, 1, 1}}, {{0x08, 0, ActionWriter().FsCommand("clicked", "yes")}});  // on release
  m.Place(1, 2).Actions(ActionWriter().Stop()).ShowFrame();
  ASSERT_TRUE(Load(Write(L"button.swf", m.Finish(false))));
  const HWND window = container.controlWindow();
  auto click = [&](int x, int y) {
    SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  };
  click(250, 150);  // beside it
  PumpFor(50);
  EXPECT_TRUE(Commands().empty());
  EXPECT_FALSE(SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  click(100, 50);
  ASSERT_TRUE(PumpUntil([&] { return !Commands().empty(); }, 3000));
  EXPECT_EQ(Commands()[0].strings, (std::vector<std::wstring>{L"clicked", L"yes"}));
  EXPECT_TRUE(SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
}

TEST_F(MovieControlTest, KeysInItsWindowReachTheMoviesButtons) {
  // A button that asks for the Left key and for "a"; the dialog around it leaves every key to it.
  MovieWriter m(8, 100, 100, 12);
  m.DefineRect(1, {0, 0, 1000, 1000}, {255, 0, 0});
  m.DefineButton2(2, {{0x0F, 1, 1}},
                  {{0, 1, ActionWriter().FsCommand("key", "left")}, {0, 'a', ActionWriter().FsCommand("key", "a")}});
  m.Place(1, 2).Actions(ActionWriter().Stop()).ShowFrame();
  ASSERT_TRUE(Load(Write(L"keys.swf", m.Finish(false))));
  const HWND window = container.controlWindow();
  EXPECT_TRUE(SendMessageW(window, WM_GETDLGCODE, VK_TAB, 0) & DLGC_WANTALLKEYS);
  SendMessageW(window, WM_KEYDOWN, VK_LEFT, 0);
  SendMessageW(window, WM_KEYUP, VK_LEFT, 0);
  ASSERT_TRUE(PumpUntil([&] { return !Commands().empty(); }, 3000));
  EXPECT_EQ(Commands()[0].strings, (std::vector<std::wstring>{L"key", L"left"}));
  SendMessageW(window, WM_KEYDOWN, 'A', MAKELPARAM(1, MapVirtualKeyW('A', MAPVK_VK_TO_VSC)));
  SendMessageW(window, WM_KEYUP, 'A', 0);
  ASSERT_TRUE(PumpUntil([&] { return Commands().size() > 1; }, 3000));
  EXPECT_EQ(Commands()[1].strings, (std::vector<std::wstring>{L"key", L"a"}));
}

TEST_F(MovieControlTest, ColoursScaleModeAndZoom) {
  EXPECT_EQ(container.GetLong(kDispBackgroundColor), -1);
  // The number and the text name the same colour, 0xRRGGBB.
  ASSERT_EQ(container.Put(kDispBackgroundColor, Long(0x112233)), S_OK);
  EXPECT_EQ(container.GetLong(kDispBackgroundColor), 0x112233);
  EXPECT_EQ(container.GetString(kDispBGColor), L"112233");
  ASSERT_EQ(container.PutString(kDispBGColor, L""), S_OK);
  EXPECT_EQ(container.GetLong(kDispBackgroundColor), -1);
  ASSERT_EQ(container.PutString(kDispBGColor, L"#FF0000"), S_OK);
  EXPECT_EQ(container.GetLong(kDispBackgroundColor), 0xFF0000);
  ASSERT_EQ(container.Put(kDispScaleMode, Long(3)), S_OK);
  EXPECT_EQ(container.GetLong(kDispScaleMode), 3);
  EXPECT_EQ(container.Call(kDispSetZoomRect, {Long(0), Long(0), Long(11000), Long(8000)}), S_OK);
  EXPECT_EQ(container.Call(kDispSetZoomRect, {Long(0), Long(0)}), DISP_E_BADPARAMCOUNT);
  // Strings that hold numbers convert like any automation argument.
  EXPECT_EQ(container.Put(kDispScaleMode, Str(L"0")), S_OK);
  EXPECT_EQ(container.GetLong(kDispScaleMode), 0);
}

}  // namespace
}  // namespace zp::test

namespace zp::test {
namespace {

// Trace lines reach the file the environment names, appended in frame order as UTF-8.
TEST_F(MovieControlTest, TraceLinesGoToTheNamedFile) {
  MovieWriter m(7, 100, 100, 30);
  m.Actions(ActionWriter().Push({std::string("caf\xC3\xA9")}).Op(0x26)).ShowFrame();
  m.Actions(ActionWriter().Push({std::monostate{}}).Op(0x26).Stop()).ShowFrame();
  const std::wstring log = ToWide(scratch.File(u"trace.txt"));
  ASSERT_TRUE(SetEnvironmentVariableW(L"ZENTRA_MOVIE_TRACE", log.c_str()));
  ASSERT_TRUE(Load(Write(L"trace.swf", m.Finish(false))));
  const auto contents = [&] {
    std::string text;
    HANDLE f = CreateFileW(log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (f == INVALID_HANDLE_VALUE) return text;
    char buffer[256];
    DWORD got = 0;
    while (ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    CloseHandle(f);
    return text;
  };
  const bool done = PumpUntil([&] { return contents().size() >= 16; }, 5000);
  SetEnvironmentVariableW(L"ZENTRA_MOVIE_TRACE", nullptr);
  ASSERT_TRUE(done);
  EXPECT_EQ(contents(), "caf\xC3\xA9\nundefined\n");
}

}  // namespace
}  // namespace zp::test
