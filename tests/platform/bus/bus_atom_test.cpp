// The global atom table, within one process and between two.

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/bus/AtomTable.h"
#include "platform/bus/BusFolder.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ScratchFolder.h"

namespace {}  // namespace

TEST(AtomTable, AddCountsReferencesMatchesWithoutLetterCaseAndDeleteReleases) {
  const GlobalAtom atom = GlobalAddAtom("/home/u/Lists/Mix One.mpq");
  ASSERT_GE(atom, kFirstAtom);
  EXPECT_EQ(GlobalAddAtom("/HOME/U/lists/mix one.MPQ"), atom);
  EXPECT_EQ(GlobalGetAtomName(atom), "/home/u/Lists/Mix One.mpq");  // as first added
  const GlobalAtom other = GlobalAddAtom("/home/u/other.mpq");
  EXPECT_NE(other, atom);

  EXPECT_TRUE(GlobalDeleteAtom(atom));
  EXPECT_EQ(GlobalGetAtomName(atom), "/home/u/Lists/Mix One.mpq");  // one reference left
  EXPECT_TRUE(GlobalDeleteAtom(atom));
  EXPECT_EQ(GlobalGetAtomName(atom), "");
  EXPECT_FALSE(GlobalDeleteAtom(atom));
  EXPECT_EQ(GlobalGetAtomName(other), "/home/u/other.mpq");
  EXPECT_TRUE(GlobalDeleteAtom(other));
  EXPECT_EQ(GlobalGetAtomName(0), "");
  EXPECT_FALSE(GlobalDeleteAtom(0));
}

TEST(AtomTable, NamesOutsideTheLimitsGiveAtomZero) {
  EXPECT_EQ(GlobalAddAtom(""), 0);
  EXPECT_EQ(GlobalAddAtom(std::string(256, 'a')), 0);
  EXPECT_EQ(GlobalAddAtom(std::string("a\0b", 3)), 0);
  const std::string longest(255, 'z');
  const GlobalAtom atom = GlobalAddAtom(longest);
  ASSERT_NE(atom, 0);
  EXPECT_EQ(GlobalGetAtomName(atom), longest);
  EXPECT_TRUE(GlobalDeleteAtom(atom));
  // Every byte value but NUL survives the table file.
  std::string allBytes;
  for (int value = 1; value < 256; ++value) allBytes += static_cast<char>(value);
  const GlobalAtom binary = GlobalAddAtom(allBytes);
  EXPECT_EQ(GlobalGetAtomName(binary), allBytes);
  EXPECT_TRUE(GlobalDeleteAtom(binary));
}

TEST(AtomTable, AnAtomAddedInOneProcessIsReadAndDeletedInAnother) {
  const std::string path = "/tmp/list with blanks/\xe6\x9b\xb2.mpq";
  const int childAtomOffset = RunInChild([&] {
    const GlobalAtom atom = GlobalAddAtom(path);
    return atom >= kFirstAtom ? atom - kFirstAtom : 255;
  });
  ASSERT_GE(childAtomOffset, 0);
  ASSERT_LT(childAtomOffset, 255);
  const GlobalAtom atom = static_cast<GlobalAtom>(kFirstAtom + childAtomOffset);
  EXPECT_EQ(GlobalGetAtomName(atom), path);
  EXPECT_TRUE(GlobalDeleteAtom(atom));
  EXPECT_EQ(GlobalGetAtomName(atom), "");

  const GlobalAtom mine = GlobalAddAtom("handed over");
  ASSERT_NE(mine, 0);
  EXPECT_EQ(RunInChild([&] {
              return GlobalGetAtomName(mine) == "handed over" && GlobalDeleteAtom(mine) ? 0 : 1;
            }),
            0);
  EXPECT_EQ(GlobalGetAtomName(mine), "");
}

TEST(AtomTable, ADamagedTableFileIsReadAsFarAsItIsSound) {
  const std::string table = OpenBusFolder().path + "/atoms";
  WriteFileText(
      table, "tunefetch-atoms 1\n49152 1 6162\nnonsense\n49153 0 6364\n49154 2 zz\n70000 1 6566\n");
  EXPECT_EQ(GlobalGetAtomName(49152), "ab");
  EXPECT_EQ(GlobalGetAtomName(49153), "");
  EXPECT_EQ(GlobalGetAtomName(49154), "");
  EXPECT_EQ(GlobalAddAtom("AB"), 49152);
  EXPECT_EQ(GlobalAddAtom("new"), 49153);  // the lowest free number

  WriteFileText(table, "not an atom table at all");
  EXPECT_EQ(GlobalGetAtomName(49152), "");
  EXPECT_EQ(GlobalAddAtom("fresh"), kFirstAtom);
}

TEST(AtomTable, OnlyTheExactHeaderLineIsOurFormat) {
  const std::string table = OpenBusFolder().path + "/atoms";
  const struct {
    const char* text;
    const char* name;  // of atom 49152
  } cases[] = {
      {"tunefetch-atoms 1\n49152 1 6162\n", "ab"},
      {"tunefetch-atoms 1\n49152 1 4A4b\n", "JK"},  // upper-case hex is read too
      {"tunefetch-atoms 12\n49152 1 6162\n", ""},
      {"tunefetch-atoms 1 junk\n49152 1 6162\n", ""},
      {"tunefetch-atoms 1\n49152 1 6162", ""},  // a last line without LF was cut short
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(each.text);
    WriteFileText(table, each.text);
    EXPECT_EQ(GlobalGetAtomName(49152), each.name);
  }
  std::remove(table.c_str());
}

// The size cap was below what a full table of longest names takes.
TEST(AtomTable, AFullTableOfLongestNamesIsReadAndAFullCountIsNotExceeded) {
  std::string text = "tunefetch-atoms 1\n";
  const std::string longestHex(2 * kMaxAtomNameLength, 'a');
  for (std::uint32_t atom = kFirstAtom; atom <= 0xFFFF; ++atom)
    text += std::to_string(atom) + " 4294967295 " + longestHex + "\n";
  WriteFileText(OpenBusFolder().path + "/atoms", text);
  EXPECT_EQ(GlobalGetAtomName(0xFFFF), std::string(kMaxAtomNameLength, '\xaa'));
  EXPECT_EQ(GlobalAddAtom(std::string(kMaxAtomNameLength, '\xaa')), 0);  // no count beyond 2^32 - 1
  EXPECT_EQ(GlobalAddAtom("one more"), 0);                               // no free atom
  std::remove((OpenBusFolder().path + "/atoms").c_str());  // the folder outlives the run
}
