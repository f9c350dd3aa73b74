// The tables that the build computed and the program carries as read-only
// data (tables/GeneratedTables.h) are, bit for bit, what their code computes
// now, in this build: the generator and the code cannot drift apart.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tables/GeneratedTables.h"
#include "tables/TableBuild.h"

namespace {

struct EMBEDDED {
  const char* name;
  const float* values;
  unsigned int count;
  unsigned int built;  // how often the code gave the table
};

class CCompareSink final : public Tables::ITableSink {
 public:
  void Put(const char* name, const float* values, unsigned int count) override {
    for (EMBEDDED& e : m_tables) {
      if (std::strcmp(e.name, name) != 0) continue;
      ++e.built;
      EXPECT_EQ(count, e.count) << name;
      if (count != e.count) return;
      // memcmp: equal bits (a NaN, or -0 against +0, would not pass ==).
      if (std::memcmp(values, e.values, sizeof(float) * count) != 0) {
        unsigned int first = 0;
        while (std::memcmp(values + first, e.values + first, sizeof(float)) == 0) ++first;
        ADD_FAILURE() << name << " differs first at value " << first << ": built " << values[first]
                      << ", embedded " << e.values[first];
      }
      return;
    }
    ADD_FAILURE() << name << " is not in tables/GeneratedTables.h";
  }

#define MORLAVINE_ENTRY(NS, NAME, COUNT) {#NS "::" #NAME, NS::NAME, (COUNT), 0},
  std::vector<EMBEDDED> m_tables = {MORLAVINE_GENERATED_TABLES(MORLAVINE_ENTRY)};
#undef MORLAVINE_ENTRY
};

}  // namespace

TEST(EmbeddedTables, EqualWhatTheirCodeComputesBitForBit) {
  CCompareSink sink;
  Tables::BuildAllTables(sink);
  for (const EMBEDDED& e : sink.m_tables) EXPECT_EQ(e.built, 1u) << e.name;
}

TEST(EmbeddedTables, AreAlignedReadOnlyDataOfTheirDeclaredSize) {
#define MORLAVINE_CHECK(NS, NAME, COUNT)                                                    \
  EXPECT_EQ(reinterpret_cast<uintptr_t>(NS::NAME) % 64, 0u) << #NS "::" #NAME;            \
  EXPECT_EQ(sizeof(NS::NAME), sizeof(float) * static_cast<size_t>(COUNT)) << #NS "::" #NAME;
  MORLAVINE_GENERATED_TABLES(MORLAVINE_CHECK)
#undef MORLAVINE_CHECK
}
