// The command line: which command, its options, and the help each command prints.
#include <algorithm>
#include <map>
#include <ostream>

#include "commands.h"
#include "manifest.h"
#include "stub.h"

namespace zentra {

namespace {

constexpr int kDone = 0;
constexpr int kUsage = 1;
constexpr int kProblem = 2;
constexpr const char* kVersion = "1.0.0";

const char* kOverview =
    "usage:\n"
    "  zentra pack MANIFEST.json -o OUT.exe [--stub PROJECTOR.exe] [--quiet]\n"
    "  zentra inspect FILE [--json]\n"
    "  zentra extract FILE -d DIR [--force] [--quiet]\n"
    "  zentra --version\n"
    "'zentra COMMAND --help' tells more about a command. The manifest format is described in\n"
    "docs/manifest.md.\n";

struct Command {
  const char* name;
  const char* help;
  std::vector<std::string> valueOptions;  // options that take a value
  std::vector<std::string> flags;
};

const Command kCommands[] = {
    {"pack",
     "usage: zentra pack MANIFEST.json -o OUT.exe [--stub PROJECTOR.exe] [--quiet]\n"
     "Packs the presentation that the manifest describes into one Windows program: the player\n"
     "followed by the presentation and the files the player needs.\n"
     "  -o, --output FILE  the program to write; not the manifest, a file it names, or the stub\n"
     "  --stub FILE        the player to pack into; without it, Projector.exe beside zentra or in\n"
     "                     the Windows build tree (build/win/bin)\n"
     "  --quiet            no progress line on a terminal\n"
     "The manifest format is described in docs/manifest.md.\n",
     {"-o", "--output", "--stub"},
     {"--quiet"}},
    {"inspect",
     "usage: zentra inspect FILE [--json]\n"
     "Lists the package a packed player carries: its records, the presentation's items and the\n"
     "options that differ from their defaults. Ends with code 2 when the package is damaged or\n"
     "cut short, and says which record.\n"
     "  --json  the same as JSON\n",
     {},
     {"--json"}},
    {"extract",
     "usage: zentra extract FILE -d DIR [--force] [--quiet]\n"
     "Writes the presentation of a packed player back as files: DIR/manifest.json, the items and\n"
     "other files under DIR/files/, the package's libraries under DIR/package/. Packing that\n"
     "manifest gives the same presentation back.\n"
     "  -d, --directory DIR  where to write; it must be new or empty\n"
     "  --force              write into a folder that is not empty (files of the same names,\n"
     "                       manifest.json too, are replaced)\n"
     "  --quiet              no progress line on a terminal\n",
     {"-d", "--directory"},
     {"--force", "--quiet"}},
};

bool Among(const std::vector<std::string>& list, const std::string& value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, const std::vector<fs::path>& stubPlaces, std::ostream& out,
                   std::ostream& err, bool errIsTerminal) {
  if (args.empty()) {
    err << kOverview;
    return kUsage;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    out << kOverview;
    return kDone;
  }
  if (args[0] == "--version") {
    out << "zentra " << kVersion << "\n";
    return kDone;
  }
  const auto command = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&](const Command& c) { return args[0] == c.name; });
  if (command == std::end(kCommands)) {
    err << "zentra: unknown command " << args[0] << "\n" << kOverview;
    return kUsage;
  }
  std::vector<std::string> positional;
  std::map<std::string, std::string> values;
  std::vector<std::string> flags;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      out << command->help;
      return kDone;
    }
    if (Among(command->valueOptions, arg)) {
      if (i + 1 >= args.size()) {
        err << "zentra: " << arg << " needs a value\n" << command->help;
        return kUsage;
      }
      values[arg] = args[++i];
    } else if (Among(command->flags, arg)) {
      flags.push_back(arg);
    } else if (!arg.empty() && arg[0] == '-') {
      err << "zentra: " << command->name << " has no option " << arg << "\n" << command->help;
      return kUsage;
    } else {
      positional.push_back(arg);
    }
  }
  const auto value = [&](const char* shortName, const char* longName) {
    return values.count(longName) != 0 ? values[longName] : values.count(shortName) != 0 ? values[shortName] : "";
  };
  CommandOptions options;
  options.showProgress = errIsTerminal && !Among(flags, "--quiet");
  options.force = Among(flags, "--force");
  if (positional.size() != 1) {
    err << "zentra: " << command->name << " takes one file\n" << command->help;
    return kUsage;
  }
  const fs::path file = PathFromText(positional[0]);
  const std::string name = command->name;
  if (name == "pack") {
    const std::string output = value("-o", "--output");
    if (output.empty()) {
      err << "zentra: pack needs -o OUT.exe\n" << command->help;
      return kUsage;
    }
    fs::path stub = PathFromText(values["--stub"]);
    if (stub.empty()) {
      std::string error;
      const auto found = FindStub(stubPlaces, error);
      if (!found) {
        err << "zentra: " << error << "\n";
        return kProblem;
      }
      stub = *found;
    }
    return Pack(file, PathFromText(output), stub, out, err, options);
  }
  if (name == "inspect") return Inspect(file, Among(flags, "--json"), out, err);
  const std::string directory = value("-d", "--directory");
  if (directory.empty()) {
    err << "zentra: extract needs -d DIR\n" << command->help;
    return kUsage;
  }
  return Extract(file, PathFromText(directory), out, err, options);
}

}  // namespace zentra
