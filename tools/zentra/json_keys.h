// JSON itself allows a key twice in one object and keeps the last; in a manifest that is nearly
// always a slip (two "title"s, the second silently winning), so the packer looks for it first.
#pragma once

#include <optional>
#include <string>

namespace zentra {

// The first key that an object of the text (JSON with comments) holds twice, as a message that
// names the object and both places: `window: "title" appears twice, at line 2, column 13 and
// at line 5, column 13`. Nothing when every key is unique. Text that is not JSON yields nothing;
// the JSON reader reports it.
std::optional<std::string> FindDuplicateKey(const std::string& text);

}  // namespace zentra
