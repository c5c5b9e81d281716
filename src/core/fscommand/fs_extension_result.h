// How the text an extension library returns becomes movie variables: its first character is the
// separator of the values that follow; value 0 goes to "fscmd_ret", value i to the variable
// named by argument item i - 1.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zp {

struct FsExtensionResult {
  std::u16string valueText;           // the result after its separator (what the log shows)
  std::vector<std::u16string> values;  // valueText split on the separator
};

// An empty result has no separator (the comma is used) and no values.
FsExtensionResult SplitFsExtensionResult(std::u16string_view result);

struct FsVariableAssignment {
  std::u16string name;
  std::u16string value;
};

// The variables to set, in order: "fscmd_ret" first when there is any value, then one out-value
// per further value whose argument item (the command's argument text split on commas) is not
// empty.
std::vector<FsVariableAssignment> FsExtensionAssignments(std::u16string_view args, const FsExtensionResult& result);

}  // namespace zp
