#include "core/support/perf_data.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/text.h"

namespace zp::support {
namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& bytes, size_t at, uint32_t value) {
  if (bytes.size() < at + 4) bytes.resize(at + 4);
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

void Append(Bytes& to, const Bytes& more) { to.insert(to.end(), more.begin(), more.end()); }

Bytes Utf16(std::u16string_view text, bool terminated = true) {
  const std::string bytes = Utf16LeBytes(text);
  Bytes out(bytes.begin(), bytes.end());
  if (terminated) out.insert(out.end(), {0, 0});
  return out;
}

// One instance definition with its name, followed by a counter block of 8 bytes.
Bytes Instance(std::u16string_view name) {
  Bytes instance(24);
  const Bytes text = Utf16(name);
  Put32(instance, 16, 24);
  Put32(instance, 20, static_cast<uint32_t>(text.size()));
  Append(instance, text);
  while (instance.size() % 8) instance.push_back(0);
  Put32(instance, 0, static_cast<uint32_t>(instance.size()));
  Bytes counters(8);
  Put32(counters, 0, 8);
  Append(instance, counters);
  return instance;
}

Bytes Object(uint32_t titleIndex, const std::vector<std::u16string>& names, int32_t count = -2) {
  Bytes object(64);
  Put32(object, 4, 64);
  Put32(object, 12, titleIndex);
  Put32(object, 40, count == -2 ? static_cast<uint32_t>(names.size()) : static_cast<uint32_t>(count));
  for (const auto& name : names) Append(object, Instance(name));
  Put32(object, 0, static_cast<uint32_t>(object.size()));
  return object;
}

Bytes Block(const std::vector<Bytes>& objects) {
  Bytes block = Utf16(u"PERF", false);
  block.resize(72);
  Put32(block, 24, 72);
  Put32(block, 28, static_cast<uint32_t>(objects.size()));
  for (const auto& object : objects) Append(block, object);
  return block;
}

constexpr uint32_t kProcess = 230;

TEST(PerfData, FindsProcessesByTheirFirstFifteenCharactersWithoutCase) {
  const Bytes data = Block({Object(2, {u"Projector"}), Object(kProcess, {u"Idle", u"SETUP", u"averyveryverylon"})});
  struct Case {
    std::u16string_view wanted;
    ProcessAnswer answer;
  } cases[] = {
      {u"setup", ProcessAnswer::kRunning},
      {u"Idle", ProcessAnswer::kRunning},
      {u"averyveryverylongname", ProcessAnswer::kRunning},  // 20 characters, the first 15 match
      {u"averyveryveryl", ProcessAnswer::kNotRunning},      // 14 characters are not enough
      {u"Projector", ProcessAnswer::kNotRunning},           // an instance of another object
      {u"", ProcessAnswer::kNotRunning},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindProcessInstance(data, kProcess, c.wanted), c.answer) << std::string(c.wanted.begin(), c.wanted.end());
  }
}

TEST(PerfData, DataThatCannotAnswerSaysSo) {
  const Bytes good = Block({Object(kProcess, {u"setup", u"other"})});
  Bytes badSignature = good;
  badSignature[0] = 'Q';
  Bytes countTooLarge = good;
  Put32(countTooLarge, 72 + 40, 1000);  // more instances than there are bytes
  Bytes nameOutside = good;
  Put32(nameOutside, 72 + 64 + 16, 0x7FFFFFF0);
  Bytes zeroLengthObject = good;
  Put32(zeroLengthObject, 72, 0);
  Bytes noInstances = Block({Object(kProcess, {}, -1)});

  EXPECT_EQ(FindProcessInstance(badSignature, kProcess, u"setup"), ProcessAnswer::kUnknown);
  EXPECT_EQ(FindProcessInstance(Block({}), kProcess, u"setup"), ProcessAnswer::kUnknown) << "no objects, as Wine gives";
  EXPECT_EQ(FindProcessInstance(good, kProcess + 1, u"setup"), ProcessAnswer::kUnknown) << "no such object";
  EXPECT_EQ(FindProcessInstance(countTooLarge, kProcess, u"nobody"), ProcessAnswer::kUnknown);
  EXPECT_EQ(FindProcessInstance(nameOutside, kProcess, u"setup"), ProcessAnswer::kUnknown);
  EXPECT_EQ(FindProcessInstance(zeroLengthObject, kProcess, u"setup"), ProcessAnswer::kUnknown);
  EXPECT_EQ(FindProcessInstance(noInstances, kProcess, u"setup"), ProcessAnswer::kNotRunning);
  // Every cut of a good block either still answers or says it cannot; none reads beyond it.
  for (size_t length = 0; length < good.size(); ++length) {
    const auto answer = FindProcessInstance(std::span(good.data(), length), kProcess, u"other");
    EXPECT_NE(answer, ProcessAnswer::kRunning) << "cut at " << length;
  }
}

TEST(PerfData, CounterIndexFromTheNamesList) {
  Bytes list;
  for (std::u16string_view text : {u"1", u"1847", u"2", u"System", u"230", u"Process", u"232", u"Processor"}) {
    Append(list, Utf16(text));
  }
  EXPECT_EQ(FindCounterIndex(list, u"process"), 230u);
  EXPECT_EQ(FindCounterIndex(list, u"System"), 2u);
  EXPECT_EQ(FindCounterIndex(list, u"Thread"), std::nullopt) << "Wine's list has no Process entry";
  // The last name may lack its terminator; an index that is not a number answers nothing.
  Bytes unterminated = Utf16(u"7");
  Append(unterminated, Utf16(u"Process", false));
  EXPECT_EQ(FindCounterIndex(unterminated, u"Process"), 7u);
  Bytes notANumber = Utf16(u"x7");
  Append(notANumber, Utf16(u"Process"));
  EXPECT_EQ(FindCounterIndex(notANumber, u"Process"), std::nullopt);
  EXPECT_EQ(FindCounterIndex({}, u"Process"), std::nullopt);
}

}  // namespace
}  // namespace zp::support
