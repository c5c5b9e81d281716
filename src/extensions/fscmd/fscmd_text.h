// Text helpers of ZentraFSCmd.dll. The library links no C or C++ runtime (its export data must
// lie at file offsets equal to their addresses, which a runtime's uninitialised data would
// shift), so these work on plain wide buffers over the process heap.
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace zentra_fscmd {

// A growable wide string on the process heap; move-free and copy-free by design.
class Text {
 public:
  Text() = default;
  Text(const Text&) = delete;
  Text& operator=(const Text&) = delete;
  ~Text() {
    if (data_) HeapFree(GetProcessHeap(), 0, data_);
  }

  const wchar_t* c_str() const { return data_ ? data_ : L""; }
  unsigned size() const { return size_; }
  bool failed() const { return failed_; }

  void Append(const wchar_t* text, unsigned count) {
    if (!Reserve(size_ + count)) return;
    for (unsigned i = 0; i < count; ++i) data_[size_ + i] = text[i];
    size_ += count;
    data_[size_] = 0;
  }
  void Append(const wchar_t* text) { Append(text, static_cast<unsigned>(lstrlenW(text))); }
  void Append(wchar_t c) { Append(&c, 1); }
  void AppendNumber(long long value) {
    wchar_t digits[24];
    int at = 24;
    const bool negative = value < 0;
    unsigned long long magnitude = negative ? 0ull - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    do {
      digits[--at] = static_cast<wchar_t>(L'0' + magnitude % 10);
      magnitude /= 10;
    } while (magnitude != 0);
    if (negative) digits[--at] = L'-';
    Append(digits + at, static_cast<unsigned>(24 - at));
  }
  bool Contains(wchar_t c) const {
    for (unsigned i = 0; i < size_; ++i)
      if (data_[i] == c) return true;
    return false;
  }

 private:
  bool Reserve(unsigned count) {
    if (failed_) return false;
    if (count < capacity_) return true;
    unsigned capacity = capacity_ ? capacity_ : 64;
    while (capacity <= count) capacity *= 2;
    void* grown = data_ ? HeapReAlloc(GetProcessHeap(), 0, data_, capacity * sizeof(wchar_t))
                        : HeapAlloc(GetProcessHeap(), 0, capacity * sizeof(wchar_t));
    if (!grown) {
      failed_ = true;
      return false;
    }
    data_ = static_cast<wchar_t*>(grown);
    capacity_ = capacity;
    return true;
  }

  wchar_t* data_ = nullptr;
  unsigned size_ = 0;
  unsigned capacity_ = 0;
  bool failed_ = false;
};

// Argument item `index` of `arguments` split on commas the way the player splits them: blanks
// before an item are dropped, two commas give an empty item.
inline void ArgumentItem(const wchar_t* arguments, unsigned index, Text& item) {
  unsigned current = 0;
  bool started = false;
  for (const wchar_t* p = arguments ? arguments : L""; *p; ++p) {
    if (*p <= L' ' && !started) continue;
    if (*p == L',') {
      if (current == index) return;
      ++current;
      started = false;
      continue;
    }
    started = true;
    if (current == index) item.Append(*p);
  }
}

// A decimal integer: leading blanks, an optional sign, digits up to the first non-digit.
inline long long ReadNumber(const wchar_t* text) {
  while (*text && *text <= L' ') ++text;
  bool negative = false;
  if (*text == L'-' || *text == L'+') negative = *text++ == L'-';
  long long value = 0;
  for (; *text >= L'0' && *text <= L'9'; ++text) {
    if (value < 100000000000000LL) value = value * 10 + (*text - L'0');
  }
  return negative ? -value : value;
}

inline long long NumberItem(const wchar_t* arguments, unsigned index) {
  Text item;
  ArgumentItem(arguments, index, item);
  return ReadNumber(item.c_str());
}

// The values joined behind a separator that none of them contains, as the player expects.
class Result {
 public:
  void Add(const wchar_t* value) {
    if (count_ < kMaxValues) values_[count_++] = value;
  }
  BSTR Make() const {
    static const wchar_t kSeparators[] = L"|;~^#\x1F";
    wchar_t separator = L'|';
    for (const wchar_t* s = kSeparators; *s; ++s) {
      bool used = false;
      for (unsigned i = 0; i < count_ && !used; ++i)
        for (const wchar_t* v = values_[i]; *v && !used; ++v) used = *v == *s;
      separator = *s;
      if (!used) break;
    }
    Text text;
    text.Append(separator);
    for (unsigned i = 0; i < count_; ++i) {
      if (i) text.Append(separator);
      text.Append(values_[i]);
    }
    // A trailing separator adds no value, but keeps an empty last value: "||" sets fscmd_ret
    // to the empty text where "|" alone would set nothing.
    if (count_ > 0 && values_[count_ - 1][0] == 0) text.Append(separator);
    return text.failed() ? nullptr : SysAllocStringLen(text.c_str(), text.size());
  }

 private:
  static constexpr unsigned kMaxValues = 8;
  const wchar_t* values_[kMaxValues] = {};
  unsigned count_ = 0;
};

inline BSTR Values(const wchar_t* v0) {
  Result r;
  r.Add(v0);
  return r.Make();
}
inline BSTR Success(bool ok) { return Values(ok ? L"1" : L"0"); }

}  // namespace zentra_fscmd
