// The FSCommand event entry, the dispatcher and the built-in commands.
#include <windows.h>

#include <memory>
#include <string>

#include "core/fscommand/fs_builtin_rules.h"
#include "core/temp_files.h"
#include "fscommand/fs_command_manager.h"
#include "platform/platform.h"
#include "platform/wide.h"

namespace zp::fscommand {
namespace {

std::unique_ptr<CFsCommandManager>& ProcessManager() {
  static std::unique_ptr<CFsCommandManager> manager;
  return manager;
}

}  // namespace

CFsCommandManager& GetFsCommandManager(HWND owner) {
  auto& manager = ProcessManager();
  if (!manager) {
    manager = std::make_unique<CFsCommandManager>();
    manager->SetMainWindow(owner);
    manager->CreateLogWindow(owner);
  }
  return *manager;
}

bool FsCommandManagerExists() { return ProcessManager() != nullptr; }

bool IsAuthoringHost() { return IsAuthoringHostPath(platform::ModuleFilePath()); }

CFsCommandManager::~CFsCommandManager() {
  UnloadFsCommandLibraries();
  Destroy();
  if (font_) DeleteObject(font_);
}

bool CFsCommandManager::IsAuthoring() const { return authoring_ ? *authoring_ : IsAuthoringHost(); }

HWND CFsCommandManager::MainWindow() const {
  return mainWindow_ && IsWindow(mainWindow_) ? mainWindow_ : nullptr;
}

void CFsCommandManager::OnFsCommand(FsMovieControl* control, const std::wstring& command, const std::wstring& args,
                                    bool transparent, HWND handleWindow) {
  bool& first = transparent ? firstTransparentEvent_ : firstWindowedEvent_;
  if (first) {
    first = false;
    const auto handle = static_cast<long long>(reinterpret_cast<INT_PTR>(handleWindow));
    DispatchFsCommand(control, ToWide(kFsWindowSetHandle), std::to_wstring(handle), transparent);
  }
  const std::wstring commandCopy = command, argsCopy = args;
  DispatchFsCommand(control, commandCopy, argsCopy, transparent);
}

bool CFsCommandManager::DispatchFsCommand(FsMovieControl* control, const std::wstring& command,
                                          const std::wstring& args, bool transparent) {
  if (!control) return false;
  if (RunBuiltInFsCommand(control, command, args, transparent)) return true;
  if (libraries_.empty()) LoadFsCommandLibraries(programDirectory_.empty() ? ToWide(ProgramDirectory()) : programDirectory_);
  return CallFsExtension(control, command, args);
}

bool CFsCommandManager::RunBuiltInFsCommand(FsMovieControl* control, const std::wstring& command,
                                            const std::wstring& args, bool transparent) {
  FsBuiltInDecision decision = DecideFsBuiltIn(FromWide(command), FromWide(args), {transparent, IsAuthoring()});
  if (!decision.handled) return false;
  switch (decision.action) {
    case FsAction::kShowImage: {
      const std::u16string result = ShowImage(args) ? u"1" : u"0";
      decision.returnValue = result;
      decision.logged = result;
      break;
    }
    case FsAction::kDragAdd:
    case FsAction::kDragSubtract:
      ApplyDragShape(decision);
      break;
    case FsAction::kDragCancel:
      dragRegion_.Cancel();
      break;
    case FsAction::kNothing:
      break;
    case FsAction::kPostClose:
      if (HWND main = MainWindow()) PostMessageW(main, WM_CLOSE, 0, 0);
      break;
    case FsAction::kSetScale:
      control->SetScaleMode(decision.on ? 0 : 3);
      dragRegion_.SetScaling(decision.on);
      if (host_) host_->RecordAllowScale(decision.on);
      break;
    case FsAction::kSetFullScreen:
      if (host_)
        host_->SetFullScreen(decision.on);
      else
        fullScreen_.Set(MainWindow(), decision.on);
      break;
    case FsAction::kMinimize:
      if (HWND main = MainWindow()) SendMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
      break;
    case FsAction::kRecordMove:
      pendingMove_ = {true, decision.relative, decision.x, decision.y};
      break;
  }
  if (decision.returnValue) SetFsCommandReturn(control, ToWide(*decision.returnValue));
  if (decision.logged) LogFsCommand(command, args, ToWide(*decision.logged));
  return true;
}

void CFsCommandManager::SetFsCommandReturn(FsMovieControl* control, const std::wstring& value) {
  if (control) control->SetVariable(ToWide(kFsReturnVariable), value);
}

void CFsCommandManager::LogFsCommand(const std::wstring& command, const std::wstring& args,
                                     const std::wstring& result) {
  if (!IsLogVisible()) return;
  AppendLogBreak();
  AppendLogLine(LogFormat(1, {command, args}), true);
  AppendLogLine(LogFormat(3, {result}), true);
}

PendingMove CFsCommandManager::TakePendingMove() {
  const PendingMove move = pendingMove_;
  pendingMove_.present = false;
  return move;
}

}  // namespace zp::fscommand
