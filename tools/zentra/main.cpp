// zentra: packs a presentation into a self-contained player, and looks into packed players.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"
#include "manifest.h"
#include "progress.h"
#include "stub.h"
#include "core/text.h"
#include "platform/platform.h"

namespace {

// Where the player is looked for when no --stub is given.
std::vector<std::filesystem::path> DefaultStubs() {
  std::u16string self = zp::platform::ModuleFilePath();
#ifndef _WIN32
  for (char16_t& c : self) {
    if (c == u'\\') c = u'/';
  }
#endif
  return zentra::DefaultStubPlaces(zentra::PathFromText(zp::U16ToUtf8(self)).parent_path());
}

int Run(const std::vector<std::string>& args) {
  try {
    return zentra::RunCommandLine(args, DefaultStubs(), std::cout, std::cerr, zentra::StderrIsTerminal());
  } catch (const std::exception& problem) {
    // Nothing should get here; if something does, say so plainly instead of aborting.
    std::cerr << "zentra: " << problem.what() << "\n";
    return 2;
  }
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg(argv[i]);
    args.push_back(zp::U16ToUtf8(std::u16string(arg.begin(), arg.end())));
  }
  return Run(args);
}
#else
int main(int argc, char** argv) { return Run(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
