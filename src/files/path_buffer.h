// A path in a fixed buffer of 260 UTF-16 units: at most 259 and the terminator. Every change
// either fits whole or leaves the path as it was and reports false, so a path is never cut or
// written past its buffer.
#pragma once
#include <cstddef>
#include <string_view>

#include "platform/constants.h"

namespace orvinta::files {

class PathBuffer {
 public:
  static constexpr size_t kLongest = win::kMaxPath - 1;

  PathBuffer() { units_[0] = 0; }
  explicit PathBuffer(std::u16string_view text) { units_[0] = 0, Append(text); }

  bool Assign(std::u16string_view text) {
    length_ = 0;
    units_[0] = 0;
    return Append(text);
  }
  bool Append(std::u16string_view text) {
    if (text.size() > kLongest - length_) return false;
    text.copy(units_ + length_, text.size());
    length_ += text.size();
    units_[length_] = 0;
    return true;
  }
  // Appends "\" and the name, or nothing.
  bool Join(std::u16string_view name) {
    if (name.size() + 1 > kLongest - length_) return false;
    units_[length_++] = u'\\';
    return Append(name);
  }
  void Truncate(size_t length) {
    if (length < length_) units_[length_ = length] = 0;
  }

  char16_t* Data() { return units_; }
  const char16_t* Data() const { return units_; }
  size_t Size() const { return length_; }
  std::u16string_view View() const { return {units_, length_}; }

 private:
  char16_t units_[win::kMaxPath];
  size_t length_ = 0;
};

}  // namespace orvinta::files
