// The start-up decision on what the document needs before the player window opens: a movie
// control recent enough for its movies and, for a transparent document, a display that allows
// it and the transparency control in place. The installing, probing and registering are the
// components' business; this is only the order and what each answer leads to.
#pragma once

#include <cstdint>
#include <string>

#include "core/document/document_model.h"

namespace zp::support {

// The oldest movie control major version that plays the documents' movies.
inline constexpr int kMinimumFlashMajorVersion = 7;

// The major version in a control's version value: its upper 16 bits, read unsigned.
inline constexpr int MajorVersionOf(uint32_t versionValue) { return static_cast<int>(versionValue >> 16); }

enum class TransparencySupport : int32_t {
  kPossible = 1,
  kNoLayeredWindows = 2,  // warning string 14
  kTooFewColours = 3,     // fewer than 16 bits per pixel: warning string 12
};

inline constexpr uint32_t kWarnTooFewColoursString = 12;
inline constexpr uint32_t kWarnNoLayeredWindowsString = 14;

struct WarningAnswer {
  bool ok = false;             // the dialog ended with OK
  bool dontShowAgain = false;  // its check box was ticked
};

// What the decision asks of the system. The real ones live on the Windows side; tests fake them.
class PrerequisiteComponents {
 public:
  virtual ~PrerequisiteComponents() = default;
  virtual int InstalledFlashMajorVersion() = 0;
  virtual bool PackageCarriesInstaller() = 0;
  // Runs the movie control's installer from the package; true when it could be started.
  virtual bool InstallFlashPlayer(bool required) = 0;
  virtual TransparencySupport CheckTransparencySupport() = 0;
  // The "WarnDialog"/"ShowMssg" setting: read (default on) and switched off.
  virtual bool WarningWanted() = 0;
  virtual void SuppressWarning() = 0;
  virtual WarningAnswer ShowWarning(uint32_t stringId) = 0;
  // Whether the transparent host can be created with the transparency control as registered.
  virtual bool IsFernwikAvailable() = 0;
  // Writes the control from the package into the directory `path` names; on success `path`
  // names the written file.
  virtual bool ExtractFernwikControl(std::u16string& path) = 0;
  virtual bool RegisterControl(const std::u16string& path) = 0;
  // Undoes a registration and deletes the file, as the exit routine does.
  virtual void RemoveControl(const std::u16string& path) = 0;
};

enum class PrerequisiteOutcome {
  kOpaque,       // play with the windowed control (windowMode may have been set to 0)
  kTransparent,  // play with the transparent host
  kExit,         // no usable movie control: end with exit code 1, without a message
};

// Runs the checks for `document`. `controlFilePath` is set to the extracted control's path
// when one was put in place for this run (the exit routine removes it) and left empty
// otherwise.
PrerequisiteOutcome CheckPrerequisites(DocumentModel& document, const std::u16string& temporaryDirectory,
                                       std::u16string& controlFilePath, PrerequisiteComponents& components);

}  // namespace zp::support
