// The elimination of repeats against the plain pairwise description.
#include "dedupe/eliminate.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "dedupe/line_hash.h"
#include "dedupe/repeat_table.h"

namespace velloran::dedupe {
namespace {

using Items = std::vector<std::string_view>;

// Every source against every later slot, blanking equal ones; the marker
// goes into item 0 when nothing was blanked.
bool PairwiseReference(Items& items, std::string_view marker = kNone911) {
  bool found = false;
  for (std::size_t source = 0; source < items.size(); ++source) {
    if (items[source].empty()) continue;
    for (std::size_t later = source + 1; later < items.size(); ++later) {
      if (items[later] == items[source]) {
        items[later] = std::string_view();
        found = true;
      }
    }
  }
  if (!found && !items.empty()) items[0] = marker;
  return found;
}

// Values that differ only a little: case, a trailing space, a NUL, length,
// the last byte of a long line, so that equal hashes would show up as
// wrong results.
std::vector<std::string> NearValues(std::mt19937& random) {
  std::vector<std::string> values = {"",     "a",       "A",      "a ", " ",
                                     "ab",   "ba",      "x",      "x ", std::string(1, '\0'),
                                     "\xFF", "None911", "None912"};
  for (std::size_t length : {7u, 8u, 9u, 15u, 16u, 17u, 31u, 32u, 33u, 64u, 65u, 200u}) {
    std::string text(length, 'q');
    for (char& c : text) c = static_cast<char>('a' + random() % 3);
    values.push_back(text);
    text.back() = static_cast<char>(text.back() ^ 1);
    values.push_back(text);
    values.push_back(text + '\0');
  }
  return values;
}

void ExpectSameAsPairwise(const Items& input, bool (*routine)(Items&)) {
  Items expected = input;
  Items actual = input;
  const bool expected_found = PairwiseReference(expected);
  EXPECT_EQ(routine(actual), expected_found);
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < actual.size(); ++i) {
    // Same value, and blanks are truly empty.
    ASSERT_EQ(actual[i], expected[i]) << "item " << i;
  }
}

bool Eliminate(Items& items) { return EliminateDuplicates(items); }

// Every line hashes alike, or only by length: each probe meets tag matches
// of different lines and must go on comparing bytes.
bool EliminateWithOneHash(Items& items) {
  const bool found = BlankRepeatsWith(items, [](std::string_view) { return std::uint64_t{7}; });
  if (!found && !items.empty()) items[0] = kNone911;
  return found;
}
bool EliminateWithLengthHash(Items& items) {
  const bool found = BlankRepeatsWith(items, [](std::string_view line) {
    return std::uint64_t{line.size()} * 0x9E3779B97F4A7C15ULL;
  });
  if (!found && !items.empty()) items[0] = kNone911;
  return found;
}

// Two lanes, each on a core of its own with a table for its half.
bool EliminateInTwoLanes(Items& items) {
  const bool found = BlankRepeatsWith(
      std::span(items), LineHasher{}, [](std::size_t) {}, repeat_table::SlotArray(), 2);
  if (!found && !items.empty()) items[0] = kNone911;
  return found;
}

// The same with every line hashing alike: each half's table meets tag
// matches of different lines, and so does the look-up of the second half's
// lines in the first half's table.
bool EliminateInTwoLanesWithOneHash(Items& items) {
  const auto hasher = [](std::string_view) { return std::uint64_t{7}; };
  const bool found = BlankRepeatsWith(
      std::span(items), hasher, [](std::size_t) {}, repeat_table::SlotArray(), 2);
  if (!found && !items.empty()) items[0] = kNone911;
  return found;
}

TEST(EliminateDuplicates, MatchesThePairwiseScanOnRandomArrays) {
  std::mt19937 random(20261207);
  const std::vector<std::string> values = NearValues(random);
  for (int round = 0; round < 3000; ++round) {
    // Small alphabets give many repeats; wide ones give few or none.
    const std::size_t alphabet = 1 + random() % values.size();
    Items items(random() % 70);
    for (auto& item : items) item = values[random() % alphabet];
    ExpectSameAsPairwise(items, Eliminate);
    ExpectSameAsPairwise(items, EliminateWithOneHash);
    ExpectSameAsPairwise(items, EliminateWithLengthHash);
    // A thread per lane is dear under the sanitizers: a share of the rounds.
    if (round % 4 == 0) {
      ExpectSameAsPairwise(items, EliminateInTwoLanes);
      ExpectSameAsPairwise(items, EliminateInTwoLanesWithOneHash);
    }
  }
}

TEST(EliminateDuplicates, MatchesThePairwiseScanOnLargerArrays) {
  std::mt19937 random(7);
  const std::vector<std::string> values = NearValues(random);
  std::vector<std::string> numbered;
  numbered.reserve(3000);
  for (int i = 0; i < 3000; ++i) numbered.push_back(std::to_string(i * 7919 % 5003));
  for (int round = 0; round < 20; ++round) {
    Items items(1 + random() % 3000);
    for (auto& item : items) {
      item = random() % 4 == 0 ? std::string_view(values[random() % values.size()])
                               : std::string_view(numbered[random() % numbered.size()]);
    }
    ExpectSameAsPairwise(items, Eliminate);
    ExpectSameAsPairwise(items, EliminateWithLengthHash);
    ExpectSameAsPairwise(items, EliminateInTwoLanes);
    if (items.size() < 1000) ExpectSameAsPairwise(items, EliminateInTwoLanesWithOneHash);
  }
}

// Many lines with few values, where most lines meet an earlier one, and
// all distinct, where none does: two lanes agree with one line for line.
TEST(EliminateDuplicates, TwoLanesAgreeWithOneOnLargeArrays) {
  std::mt19937 random(18);
  std::vector<std::string> texts;
  texts.reserve(300000);
  for (int i = 0; i < 300000; ++i) texts.push_back(std::to_string(random()));
  for (const std::size_t values : {std::size_t{50}, std::size_t{20000}, texts.size()}) {
    Items one(texts.size());
    for (std::size_t i = 0; i < one.size(); ++i) {
      one[i] = values == texts.size() ? texts[i] : texts[random() % values];
    }
    Items two = one;
    // The same lines as a text's 8-byte items, as a file read into memory
    // holds them.
    std::string text;
    ItemList items;
    for (const std::string_view line : one) text.append(line).push_back('\n');
    items.Reset(text);
    for (std::size_t offset = 0; const std::string_view line : one) {
      items.Add(offset, line.size());
      offset += line.size() + 1;
    }
    const bool one_found = BlankRepeatsWith(std::span(one), LineHasher{});
    EXPECT_EQ(BlankRepeatsWith(
                  std::span(two), LineHasher{}, [](std::size_t) {}, repeat_table::SlotArray(), 2),
              one_found);
    ASSERT_TRUE(one == two) << values << " values";
    EXPECT_EQ(EliminateDuplicates(
                  items, kNone911, [](std::size_t) {}, repeat_table::SlotArray()),
              one_found);
    EXPECT_EQ(items[0], one_found ? one[0] : kNone911);
    for (std::size_t i = 1; i < one.size(); ++i) ASSERT_EQ(items[i], one[i]) << "item " << i;
  }
}

// A stop asked for in the progress call ends both lanes and reaches the
// caller.
TEST(EliminateDuplicates, AStopDuringTwoLanesEndsThemBoth) {
  std::vector<std::string> texts;
  texts.reserve(600000);
  for (int i = 0; i < 600000; ++i) texts.push_back(std::to_string(i % 1000));
  Items items(texts.begin(), texts.end());
  struct Stopped {};
  EXPECT_THROW(BlankRepeatsWith(
                   std::span(items), LineHasher{}, [](std::size_t) { throw Stopped{}; },
                   repeat_table::SlotArray(), 2),
               Stopped);
}

TEST(EliminateDuplicates, KeepsFirstOccurrencesInPlace) {
  Items items = {"a", "b", "a", "c", "b", "a"};
  EXPECT_TRUE(EliminateDuplicates(items));
  EXPECT_EQ(items, (Items{"a", "b", "", "c", "", ""}));
}

TEST(EliminateDuplicates, ComparesExactlyAndMarksItemZeroWhenNothingRepeats) {
  Items cased = {"Apple", "apple"};
  EXPECT_FALSE(EliminateDuplicates(cased));
  EXPECT_EQ(cased, (Items{"None911", "apple"}));

  Items spaced = {"x", "x "};
  EXPECT_FALSE(EliminateDuplicates(spaced));
  EXPECT_EQ(spaced, (Items{"None911", "x "}));

  Items empties = {"", "", "q"};
  EXPECT_FALSE(EliminateDuplicates(empties));
  EXPECT_EQ(empties, (Items{"None911", "", "q"}));

  Items single = {"z"};
  EXPECT_FALSE(EliminateDuplicates(single));
  EXPECT_EQ(single, (Items{"None911"}));
}

TEST(EliminateDuplicates, AnEmptyArrayHasNoRepeatsAndStaysEmpty) {
  Items none;
  EXPECT_FALSE(EliminateDuplicates(none));
  EXPECT_TRUE(none.empty());
}

TEST(EliminateDuplicates, ReportsRepeatsEvenWhenItemZeroIsTheMarkerText) {
  Items items = {"None911", "b", "b"};
  EXPECT_TRUE(EliminateDuplicates(items));
  EXPECT_EQ(items, (Items{"None911", "b", ""}));
}

TEST(EliminateDuplicates, HasNoSixteenBitLimit) {
  for (const std::size_t count : {32767u, 32768u, 32769u, 40000u, 70000u}) {
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < count; ++i) texts.push_back("line " + std::to_string(i));
    Items distinct(texts.begin(), texts.end());
    EXPECT_FALSE(EliminateDuplicates(distinct)) << count;
    EXPECT_EQ(distinct.front(), "None911");
    EXPECT_EQ(distinct.back(), texts.back());

    // The same lines twice over: the second half is all repeats.
    Items twice(texts.begin(), texts.end());
    twice.insert(twice.end(), texts.begin(), texts.end());
    EXPECT_TRUE(EliminateDuplicates(twice)) << count;
    for (std::size_t i = 0; i < count; ++i) {
      ASSERT_EQ(twice[i], texts[i]);
      ASSERT_TRUE(twice[count + i].empty());
    }
  }
}

}  // namespace
}  // namespace velloran::dedupe
