#include "core/fscommand/fs_extension_result.h"

#include "core/fscommand/fs_arguments.h"
#include "core/fscommand/fs_builtin_rules.h"

namespace zp {

FsExtensionResult SplitFsExtensionResult(std::u16string_view result) {
  FsExtensionResult split;
  if (result.empty()) return split;
  split.valueText = std::u16string(result.substr(1));
  split.values = SplitFsArguments(split.valueText, result[0]);
  return split;
}

std::vector<FsVariableAssignment> FsExtensionAssignments(std::u16string_view args, const FsExtensionResult& result) {
  std::vector<FsVariableAssignment> assignments;
  if (result.values.empty()) return assignments;
  assignments.push_back({kFsReturnVariable, result.values[0]});
  const auto names = SplitFsArguments(args);
  for (size_t i = 1; i < result.values.size(); ++i) {
    std::u16string name = FsArgumentAt(names, i - 1);
    if (!name.empty()) assignments.push_back({std::move(name), result.values[i]});
  }
  return assignments;
}

}  // namespace zp
