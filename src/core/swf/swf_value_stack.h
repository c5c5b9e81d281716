// The operand stack of the action machine: its pushes and pops are a few instructions each, so
// that the interpreter's loop keeps them inline.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <utility>

#include "core/swf/swf_value.h"

namespace zp::swf {

class ValueStack {
 public:
  ValueStack() = default;
  ~ValueStack() {
    shrink(0);
    ::operator delete(data_);
  }
  ValueStack(const ValueStack&) = delete;
  ValueStack& operator=(const ValueStack&) = delete;

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  Value& back() { return data_[size_ - 1]; }
  Value& operator[](size_t i) { return data_[i]; }
  const Value* begin() const { return data_; }
  const Value* end() const { return data_ + size_; }

  void push_back(const Value& v) {
    if (size_ == capacity_) {
      Value copy(v);  // `v` may live in this stack
      Grow();
      new (data_ + size_) Value(std::move(copy));
    } else {
      new (data_ + size_) Value(v);
    }
    ++size_;
  }
  void push_back(Value&& v) {
    if (size_ == capacity_) {
      Value moved(std::move(v));
      Grow();
      new (data_ + size_) Value(std::move(moved));
    } else {
      new (data_ + size_) Value(std::move(v));
    }
    ++size_;
  }
  void emplace_back() { push_back(Value()); }
  void pop_back() { data_[--size_].~Value(); }
  // Drops the values above `size`.
  void shrink(size_t size) {
    while (size_ > size) pop_back();
  }

 private:
  [[gnu::noinline]] void Grow() {
    const size_t capacity = capacity_ ? capacity_ * 2 : 64;
    auto* data = static_cast<Value*>(::operator new(capacity * sizeof(Value)));
    for (size_t i = 0; i < size_; ++i) {
      new (data + i) Value(std::move(data_[i]));
      data_[i].~Value();
    }
    ::operator delete(data_);
    data_ = data;
    capacity_ = capacity;
  }

  Value* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

}  // namespace zp::swf
