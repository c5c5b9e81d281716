#include "framework/variant.h"

#include <oleauto.h>

namespace zp::win {

Variant& Variant::operator=(Variant&& other) noexcept {
  if (this != &other) {
    VariantClear(&value_);
    value_ = other.value_;
    VariantInit(&other.value_);
  }
  return *this;
}

Variant Variant::Long(LONG v) {
  Variant result;
  result.value_.vt = VT_I4;
  result.value_.lVal = v;
  return result;
}

Variant Variant::Bool(bool v) {
  Variant result;
  result.value_.vt = VT_BOOL;
  result.value_.boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
  return result;
}

Variant Variant::String(const std::wstring& v) {
  Variant result;
  result.value_.vt = VT_BSTR;
  result.value_.bstrVal = SysAllocStringLen(v.data(), static_cast<UINT>(v.size()));
  if (!result.value_.bstrVal) result.value_.vt = VT_EMPTY;
  return result;
}

VARIANT* Variant::Reset() {
  VariantClear(&value_);
  return &value_;
}

std::optional<LONG> Variant::AsLong() const {
  VARIANT converted;
  VariantInit(&converted);
  if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&value_), 0, VT_I4))) return std::nullopt;
  return converted.lVal;
}

std::optional<bool> Variant::AsBool() const {
  VARIANT converted;
  VariantInit(&converted);
  if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&value_), 0, VT_BOOL))) return std::nullopt;
  return converted.boolVal != VARIANT_FALSE;
}

std::optional<std::wstring> Variant::AsString() const {
  VARIANT converted;
  VariantInit(&converted);
  if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&value_), 0, VT_BSTR))) return std::nullopt;
  std::wstring text = converted.bstrVal ? std::wstring(converted.bstrVal, SysStringLen(converted.bstrVal)) : L"";
  VariantClear(&converted);
  return text;
}

HRESULT GetProperty(IDispatch* object, DISPID id, Variant* out) {
  if (!object) return E_POINTER;
  DISPPARAMS none{};
  Variant ignored;
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                        out ? out->Reset() : ignored.get(), nullptr, nullptr);
}

HRESULT PutProperty(IDispatch* object, DISPID id, const Variant& value) {
  if (!object) return E_POINTER;
  VARIANT argument = *value.get();  // the callee only reads it
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&argument, &named, 1, 1};
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                        nullptr);
}

HRESULT CallMethod(IDispatch* object, DISPID id, std::initializer_list<const Variant*> arguments, Variant* out) {
  if (!object) return E_POINTER;
  // Automation takes the arguments last first.
  std::vector<VARIANT> reversed;
  reversed.reserve(arguments.size());
  for (auto it = std::rbegin(arguments); it != std::rend(arguments); ++it) reversed.push_back(*(*it)->get());
  DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  Variant ignored;
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                        out ? out->Reset() : ignored.get(), nullptr, nullptr);
}

std::optional<LONG> GetLongProperty(IDispatch* object, DISPID id) {
  Variant value;
  if (FAILED(GetProperty(object, id, &value))) return std::nullopt;
  return value.AsLong();
}

std::optional<bool> GetBoolProperty(IDispatch* object, DISPID id) {
  Variant value;
  if (FAILED(GetProperty(object, id, &value))) return std::nullopt;
  return value.AsBool();
}

std::optional<std::wstring> GetStringProperty(IDispatch* object, DISPID id) {
  Variant value;
  if (FAILED(GetProperty(object, id, &value))) return std::nullopt;
  return value.AsString();
}

}  // namespace zp::win
