// The identifiers the movie control answers to: its class, its event interface and the
// dispatch identifiers of its properties, methods and events. Containers need nothing else.
#pragma once

#include <windows.h>
#include <oaidl.h>

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
};

// Events on the event dispinterface.
inline constexpr DISPID kEventReadyStateChange = -609;  // (long newState)
inline constexpr DISPID kEventFsCommand = 150;          // (BSTR command, BSTR args)

// The version the control reports: major version in the upper 16 bits.
inline constexpr LONG kReportedVersion = 0x00070000;

}  // namespace zp::movie
