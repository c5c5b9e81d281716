#include "core/swf/swf_text_field_object.h"

#include <cmath>

#include "core/swf/swf_builtins.h"
#include "core/swf/swf_display.h"
#include "core/swf/swf_vm.h"
#include "core/text.h"

namespace zp::swf {
namespace {

double ColorNumber(Rgba c) { return static_cast<double>((c.r << 16) | (c.g << 8) | c.b); }

Rgba ColorOf(Vm& vm, const Value& v) {
  const double n = vm.ToNumber(v);
  const uint32_t rgb = std::isfinite(n) ? static_cast<uint32_t>(static_cast<int64_t>(n)) : 0;
  return Rgba{static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb), 255};
}

Value Nothing(Vm&, const Value&, std::span<const Value>) { return Value(); }

}  // namespace

bool GetTextFieldProperty(Vm& vm, Instance& field, std::u16string_view name, Value& out) {
  TextFieldState* state = field.textField.get();
  if (!state) return false;
  const EditTextDefinition& d = state->definition();
  auto key = [&](std::u16string_view k) { return vm.heap().caseSensitive() ? name == k : EqualsNoCase(name, k); };
  if (key(u"text")) out = Value(state->text());
  else if (key(u"htmlText")) out = Value(d.html ? state->htmlText() : state->text());
  else if (key(u"html")) out = Value(d.html);
  else if (key(u"length")) out = static_cast<double>(state->text().size());
  else if (key(u"textColor")) out = ColorNumber(state->textColor.value_or(d.color.value_or(Rgba{0, 0, 0, 255})));
  else if (key(u"border")) out = Value(state->border);
  else if (key(u"background")) out = Value(state->background);
  else if (key(u"borderColor")) out = ColorNumber(state->borderColor);
  else if (key(u"backgroundColor")) out = ColorNumber(state->backgroundColor);
  else if (key(u"multiline")) out = Value(d.multiline);
  else if (key(u"wordWrap")) out = Value(d.wordWrap);
  else if (key(u"password")) out = Value(d.password);
  else if (key(u"selectable")) out = Value(!d.noSelect);
  else if (key(u"embedFonts")) out = Value(d.useOutlines);
  else if (key(u"maxChars")) out = d.maxLength ? Value(static_cast<double>(*d.maxLength)) : Value(Null{});
  else if (key(u"variable")) out = d.variableName.empty() ? Value(Null{}) : Value(d.variableName);
  else if (key(u"type")) out = Value(d.readOnly ? u"dynamic" : u"input");
  else return false;
  return true;
}

bool SetTextFieldProperty(Vm& vm, Instance& field, std::u16string_view name, const Value& value) {
  TextFieldState* state = field.textField.get();
  if (!state) return false;
  EditTextDefinition& d = state->definition();
  auto key = [&](std::u16string_view k) { return vm.heap().caseSensitive() ? name == k : EqualsNoCase(name, k); };
  if (key(u"text")) state->SetText(vm.ToString(value));
  else if (key(u"htmlText")) d.html ? state->SetHtmlText(vm.ToString(value)) : state->SetText(vm.ToString(value));
  else if (key(u"html")) d.html = vm.ToBool(value);
  else if (key(u"textColor")) state->textColor = ColorOf(vm, value);
  else if (key(u"border")) state->border = vm.ToBool(value);
  else if (key(u"background")) state->background = vm.ToBool(value);
  else if (key(u"borderColor")) state->borderColor = ColorOf(vm, value);
  else if (key(u"backgroundColor")) state->backgroundColor = ColorOf(vm, value);
  else if (key(u"multiline")) d.multiline = vm.ToBool(value);
  else if (key(u"wordWrap")) d.wordWrap = vm.ToBool(value);
  else if (key(u"password")) d.password = vm.ToBool(value);
  else if (key(u"selectable")) d.noSelect = !vm.ToBool(value);
  else if (key(u"embedFonts")) d.useOutlines = vm.ToBool(value);
  else if (key(u"variable")) d.variableName = value.IsNull() || value.IsUndefined() ? u"" : vm.ToString(value);
  else if (key(u"length")) return true;  // read-only
  else return false;
  return true;
}

void InstallTextField(Vm& vm) {
  Object* proto = vm.heap().Make();
  proto->SetProto(vm.objectProto);
  vm.textFieldProto = proto;
  MakeConstructor(vm, u"TextField", Nothing, nullptr, proto);
  for (std::u16string_view name : {u"setTextFormat", u"setNewTextFormat", u"replaceSel"}) {
    vm.Method(proto, name, Nothing);
  }
}

}  // namespace zp::swf
