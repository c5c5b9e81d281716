// Reading the system's performance data for one question: is a process of a given name
// running? Both readers take the bytes as the registry gave them and never read past them,
// whatever a length or offset inside claims.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace zp::support {

// The counter names list: zero-terminated UTF-16LE texts in pairs (index, name). Gives the
// index of the first pair whose name equals `name` without regard to case.
std::optional<uint32_t> FindCounterIndex(std::span<const uint8_t> counters, std::u16string_view name);

enum class ProcessAnswer {
  kUnknown,  // the data cannot answer: no "PERF" block, no object of that index, or cut short
  kRunning,
  kNotRunning,
};

// Performance data keeps at most this many characters of a process name.
inline constexpr size_t kPerfNameLength = 15;

// Looks through the object whose title index is `objectIndex` for an instance whose name
// matches `wanted` over their first 15 characters, without regard to case.
ProcessAnswer FindProcessInstance(std::span<const uint8_t> data, uint32_t objectIndex, std::u16string_view wanted);

}  // namespace zp::support
