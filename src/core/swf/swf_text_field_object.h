// Text fields as scripts see them: the properties of a placed field (text, htmlText, colours,
// flags) read from and written to its `TextFieldState`, and the TextField prototype.
#pragma once

#include <string_view>

#include "core/swf/swf_value.h"

namespace zp::swf {

class Instance;
class Vm;

// Reads a text field property; false when `name` is none of them.
bool GetTextFieldProperty(Vm& vm, Instance& field, std::u16string_view name, Value& out);
// Writes one; false when `name` is none of them.
bool SetTextFieldProperty(Vm& vm, Instance& field, std::u16string_view name, const Value& value);

// TextField and its prototype.
void InstallTextField(Vm& vm);

}  // namespace zp::swf
