// The identifiers the movie control answers to: its class, its event interface and the
// dispatch identifiers of its properties, methods and events. The control and the player that
// hosts it both take them from here; containers need nothing else.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <oleauto.h>

namespace zp::movie {

// {D27CDB6E-AE6D-11CF-96B8-444553540000}
inline constexpr CLSID kMovieControlClsid = {0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
// {D27CDB6D-AE6D-11CF-96B8-444553540000}: the event dispinterface.
inline constexpr IID kMovieEventsIid = {0xD27CDB6D, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

inline constexpr wchar_t kProgId[] = L"ShockwaveFlash.ShockwaveFlash";
inline constexpr wchar_t kClassName[] = L"Shockwave Flash Object";

enum Dispid : DISPID {
  kDispReadyState = -525,
  kDispMovie = 102,
  kDispLoop = 106,
  kDispSetZoomRect = 109,
  kDispPlay = 112,
  kDispBack = 114,
  kDispForward = 115,
  kDispRewind = 116,
  kDispScaleMode = 120,
  kDispBackgroundColor = 123,
  kDispTotalFrames = 124,
  kDispStopPlay = 126,
  kDispCurrentFrame = 128,
  kDispIsPlaying = 129,
  kDispFlashVersion = 132,
  kDispBase = 136,
  kDispBGColor = 140,
  kDispSetVariable = 151,
  kDispGetVariable = 152,
  kDispTSetProperty = 153,
  kDispTGetProperty = 154,
  // Our own addition, not used by the player: steps playback by N frame periods at once, so
  // that measuring tools see exactly the frame they ask for whatever the machine's speed.
  kDispStepFrames = 0x5A01,
};

// The movie properties TSetProperty and TGetProperty take by number (the movies' own numbering).
enum MovieProperty : LONG {
  kPropertyXScale = 2,
  kPropertyYScale = 3,
  kPropertyWidth = 8,
  kPropertyHeight = 9,
  kPropertyHighQuality = 16,
  kPropertyXMouse = 20,
  kPropertyYMouse = 21,
};

// ScaleMode: the whole movie fitted to the window, or the movie at its own size.
enum MovieScaleMode : LONG { kScaleShowAll = 0, kScaleNoScale = 3 };

// Events on the event dispinterface.
inline constexpr DISPID kEventReadyStateChange = -609;  // (long newState)
// The ready state a loaded movie reports, by property and by event.
inline constexpr LONG kReadyStateComplete = 4;
inline constexpr DISPID kEventFsCommand = 150;          // (BSTR command, BSTR args)

// The windowless twin: the same movies, drawn with per-pixel alpha into whatever device context
// its container hands it, driven by methods of its own numbers.
// {3F2A9C61-5B7E-4D08-A1C4-6E9B2D7F0A35}
inline constexpr CLSID kFernwikClsid = {0x3F2A9C61, 0x5B7E, 0x4D08, {0xA1, 0xC4, 0x6E, 0x9B, 0x2D, 0x7F, 0x0A, 0x35}};
// {3F2A9C62-5B7E-4D08-A1C4-6E9B2D7F0A35}: its event dispinterface.
inline constexpr IID kFernwikEventsIid = {0x3F2A9C62, 0x5B7E, 0x4D08, {0xA1, 0xC4, 0x6E, 0x9B, 0x2D, 0x7F, 0x0A, 0x35}};
inline constexpr wchar_t kFernwikProgId[] = L"tixwrapper.fernwik";
inline constexpr wchar_t kFernwikClassName[] = L"Fernwik Control";

// The twin's methods. Each stands for one property read, property write or method of the
// windowed control.
enum FernwikDispid : DISPID {
  kFernTotalFrames = 0x60030005,
  kFernScaleMode = 0x6003000A,
  kFernGetLoop = 0x6003000F,
  kFernPutLoop = 0x60030010,
  kFernGetMovie = 0x60030011,
  kFernPutMovie = 0x60030012,
  kFernSetZoomRect = 0x60030015,
  kFernPlay = 0x60030018,
  kFernBack = 0x6003001A,
  kFernForward = 0x6003001B,
  kFernRewind = 0x6003001C,
  kFernStopPlay = 0x6003001D,
  kFernCurrentFrame = 0x6003001F,
  kFernIsPlaying = 0x60030020,
  kFernFlashVersion = 0x60030023,
  kFernBase = 0x6003002B,
  kFernSetVariable = 0x6003003B,
  kFernTSetProperty = 0x6003003D,
  kFernTGetProperty = 0x6003003E,
};
inline constexpr DISPID kFernEventFsCommand = 1;  // (BSTR command, BSTR args)
inline constexpr DISPID kFernEventReadyState = 2;  // (long newState)

// Which member of the windowed control each of the twin's methods stands for, and how it is
// used there: read, written or called.
struct TwinMember {
  DISPID twin;
  DISPID member;
  WORD use;
};
inline constexpr WORD kMemberRead = DISPATCH_PROPERTYGET;
inline constexpr WORD kMemberWrite = DISPATCH_PROPERTYPUT;
inline constexpr WORD kMemberCall = DISPATCH_METHOD;
inline constexpr TwinMember kTwinMembers[] = {
    {kFernTotalFrames, kDispTotalFrames, kMemberRead},    {kFernScaleMode, kDispScaleMode, kMemberWrite},
    {kFernGetLoop, kDispLoop, kMemberRead},               {kFernPutLoop, kDispLoop, kMemberWrite},
    {kFernGetMovie, kDispMovie, kMemberRead},             {kFernPutMovie, kDispMovie, kMemberWrite},
    {kFernSetZoomRect, kDispSetZoomRect, kMemberCall},    {kFernPlay, kDispPlay, kMemberCall},
    {kFernBack, kDispBack, kMemberCall},                  {kFernForward, kDispForward, kMemberCall},
    {kFernRewind, kDispRewind, kMemberCall},              {kFernStopPlay, kDispStopPlay, kMemberCall},
    {kFernCurrentFrame, kDispCurrentFrame, kMemberCall},  {kFernIsPlaying, kDispIsPlaying, kMemberCall},
    {kFernFlashVersion, kDispFlashVersion, kMemberCall},  {kFernBase, kDispBase, kMemberWrite},
    {kFernSetVariable, kDispSetVariable, kMemberCall},    {kFernTSetProperty, kDispTSetProperty, kMemberCall},
    {kFernTGetProperty, kDispTGetProperty, kMemberCall},
};

// Both ways through the table must be unambiguous: one member and use per twin method, one twin
// method per member and use.
constexpr bool TwinMembersAreUnique() {
  for (const TwinMember& a : kTwinMembers) {
    int twins = 0, members = 0;
    for (const TwinMember& b : kTwinMembers) {
      twins += a.twin == b.twin;
      members += a.member == b.member && a.use == b.use;
    }
    if (twins != 1 || members != 1) return false;
  }
  return true;
}
static_assert(TwinMembersAreUnique());

// The version the control reports: major version in the upper 16 bits.
inline constexpr LONG kReportedVersion = 0x00070000;

}  // namespace zp::movie
