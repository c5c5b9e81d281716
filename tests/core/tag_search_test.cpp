#include "core/tag_search.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

#include "core/text.h"
#include "test_files.h"

namespace zp {
namespace {

using test::Bytes;

Bytes TagBytes(std::u16string_view tag) {
  const std::string bytes = Utf16LeBytes(tag);
  return Bytes(bytes.begin(), bytes.end());
}

// Bytes that end exactly at an unreadable page, so any read past the end crashes the test.
class GuardedBytes {
 public:
  explicit GuardedBytes(const Bytes& bytes) {
    page_ = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t dataPages = (bytes.size() + page_ - 1) / page_ + 1;
    total_ = (dataPages + 1) * page_;
    base_ = static_cast<uint8_t*>(mmap(nullptr, total_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    mprotect(base_ + dataPages * page_, page_, PROT_NONE);
    data_ = base_ + dataPages * page_ - bytes.size();
    if (!bytes.empty()) std::memcpy(data_, bytes.data(), bytes.size());
  }
  ~GuardedBytes() { munmap(base_, total_); }
  const uint8_t* data() const { return data_; }

 private:
  size_t page_ = 0;
  size_t total_ = 0;
  uint8_t* base_ = nullptr;
  uint8_t* data_ = nullptr;
};

// Every match position by brute force, stepping one pattern length past each match as Next does.
std::vector<size_t> NaiveMatches(const Bytes& region, const Bytes& pattern) {
  std::vector<size_t> found;
  size_t start = 0;
  while (region.size() >= pattern.size() && start <= region.size() - pattern.size()) {
    auto it = std::search(region.begin() + static_cast<ptrdiff_t>(start), region.end(), pattern.begin(), pattern.end());
    if (it == region.end()) break;
    const size_t at = static_cast<size_t>(it - region.begin());
    found.push_back(at);
    start = at + pattern.size();
  }
  return found;
}

std::vector<size_t> SearcherMatches(TagSearcher& searcher, const uint8_t* region, size_t size) {
  std::vector<size_t> found;
  for (const uint8_t* m = searcher.First(region, size); m != nullptr; m = searcher.Next()) {
    found.push_back(static_cast<size_t>(m - region));
  }
  return found;
}

const std::u16string kTag = u"_Zentrapolis__document_";

TEST(TagSearch, PatternIsTheTagsUtf16Bytes) {
  TagSearcher searcher;
  ASSERT_TRUE(searcher.SetPattern(kTag));
  EXPECT_EQ(searcher.PatternLength(), 46u);
  EXPECT_FALSE(searcher.SetPattern(u""));
  EXPECT_FALSE(searcher.SetPattern(std::u16string(129, u'x')));  // 258 bytes: over the limit
  EXPECT_TRUE(searcher.SetPattern(std::u16string(128, u'x')));
}

TEST(TagSearch, FindsAMatchThatEndsTheRegion) {
  const Bytes region = test::Concat({test::RandomBytes(5000, 1), TagBytes(kTag)});
  GuardedBytes guarded(region);
  TagSearcher searcher;
  searcher.SetPattern(kTag);
  EXPECT_EQ(searcher.First(guarded.data(), region.size()), guarded.data() + 5000);
  EXPECT_EQ(searcher.Next(), nullptr);
}

TEST(TagSearch, RegionShorterThanPatternIsNeverReadPastItsEnd) {
  TagSearcher searcher;
  searcher.SetPattern(kTag);
  for (size_t size : {0u, 1u, 11u, 20u, 45u}) {
    const Bytes whole = TagBytes(kTag);
    const Bytes partial(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(size));
    GuardedBytes guarded(partial);
    EXPECT_EQ(searcher.First(guarded.data(), size), nullptr) << size;
    EXPECT_EQ(searcher.Next(), nullptr);
  }
}

TEST(TagSearch, AMatchCutByTheRegionEndIsNoMatch) {
  const Bytes tag = TagBytes(kTag);
  for (size_t cut = 1; cut < tag.size(); cut += 7) {
    const Bytes region = test::Concat({test::RandomBytes(300, 2), std::span(tag).first(tag.size() - cut)});
    GuardedBytes guarded(region);
    TagSearcher searcher;
    searcher.SetPattern(kTag);
    EXPECT_EQ(searcher.First(guarded.data(), region.size()), nullptr) << cut;
  }
}

TEST(TagSearch, NextWalksAdjacentRecords) {
  const Bytes tag = TagBytes(kTag);
  const Bytes region = test::Concat({test::RandomBytes(17, 3), tag, tag, tag, test::RandomBytes(9, 4)});
  TagSearcher searcher;
  searcher.SetPattern(kTag);
  EXPECT_EQ(SearcherMatches(searcher, region.data(), region.size()),
            (std::vector<size_t> {17, 17 + 46, 17 + 92}));
}

TEST(TagSearch, AgreesWithBruteForceOnNearMisses) {
  // Regions built from pieces of the tag, so that partial matches and repeats are common.
  const Bytes tag = TagBytes(u"_ZentraFsCommand__Dll_");
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    Bytes region;
    const Bytes noise = test::RandomBytes(64, seed);
    for (size_t k = 0; k < 40; ++k) {
      const uint8_t pick = noise[k];
      if (pick % 3 == 0) {
        region.insert(region.end(), tag.begin(), tag.end());
      } else if (pick % 3 == 1) {
        region.insert(region.end(), tag.begin() + pick % tag.size(), tag.end());
      } else {
        region.insert(region.end(), tag.begin(), tag.begin() + pick % tag.size());
      }
    }
    TagSearcher searcher;
    searcher.SetPattern(u"_ZentraFsCommand__Dll_");
    ASSERT_EQ(SearcherMatches(searcher, region.data(), region.size()), NaiveMatches(region, tag)) << seed;
  }
}

TEST(TagSearch, OverlappingRepeatsStepOnePatternLength) {
  TagSearcher searcher;
  searcher.SetPattern(u"aa");  // bytes 61 00 61 00
  const Bytes region = TagBytes(u"aaaaa");
  EXPECT_EQ(SearcherMatches(searcher, region.data(), region.size()), (std::vector<size_t> {0, 4}));
}

}  // namespace
}  // namespace zp
