// The three commands of the packer. Each returns the process exit code: 0 done, 1 wrong usage,
// 2 a problem with the input or output (described on `err`).
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace zentra {

namespace fs = std::filesystem;

struct CommandOptions {
  bool showProgress = false;  // stderr is a terminal and --quiet was not given
  bool force = false;         // extract into a folder that is not empty
};

int Pack(const fs::path& manifest, const fs::path& output, const fs::path& stub, std::ostream& out, std::ostream& err,
         const CommandOptions& options = {});
int Inspect(const fs::path& file, bool asJson, std::ostream& out, std::ostream& err);
int Extract(const fs::path& file, const fs::path& directory, std::ostream& out, std::ostream& err,
            const CommandOptions& options = {});

// Parses the command line (UTF-8 arguments without the program name) and runs a command.
// Without --stub the player is looked for at `stubPlaces`, in order.
int RunCommandLine(const std::vector<std::string>& args, const std::vector<fs::path>& stubPlaces, std::ostream& out,
                   std::ostream& err, bool errIsTerminal = false);

}  // namespace zentra
