// An owning VARIANT (cleared on destruction, movable, not copyable) and typed automation calls:
// property get and put and method calls by DISPID, with arguments given in declaration order.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace zp::win {

class Variant {
 public:
  Variant() { VariantInit(&value_); }
  ~Variant() { VariantClear(&value_); }
  Variant(Variant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
  Variant& operator=(Variant&& other) noexcept;
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;

  static Variant Long(LONG v);
  static Variant Bool(bool v);
  static Variant String(const std::wstring& v);

  VARIANT* get() { return &value_; }
  const VARIANT* get() const { return &value_; }
  VARIANT* Reset();  // cleared, ready to be an out parameter

  // Converted as automation converts; nullopt when it cannot be.
  std::optional<LONG> AsLong() const;
  std::optional<bool> AsBool() const;
  std::optional<std::wstring> AsString() const;

 private:
  VARIANT value_;
};

// Each returns the call's HRESULT; results go to `out` when given.
HRESULT GetProperty(IDispatch* object, DISPID id, Variant* out);
HRESULT PutProperty(IDispatch* object, DISPID id, const Variant& value);
HRESULT CallMethod(IDispatch* object, DISPID id, std::initializer_list<const Variant*> arguments,
                   Variant* out = nullptr);

// Shorthands that read one typed result, or nullopt on any failure.
std::optional<LONG> GetLongProperty(IDispatch* object, DISPID id);
std::optional<bool> GetBoolProperty(IDispatch* object, DISPID id);
std::optional<std::wstring> GetStringProperty(IDispatch* object, DISPID id);

}  // namespace zp::win
