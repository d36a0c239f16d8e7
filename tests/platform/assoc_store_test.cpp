// The key store that stands in for the registry: value types and exact
// lengths, names matched without regard to case, enumeration order, delete
// rules, sharing between processes, and damaged files kept aside.

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/RegistryStore.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ScratchFolder.h"

namespace {

class RegistryStoreTest : public ::testing::Test {
 protected:
  ScratchFolder m_folder;
  RegistryStore m_store{m_folder / "sub/classes.reg"};
};

TEST_F(RegistryStoreTest, ValuesKeepTypeAndExactBytes) {
  ASSERT_EQ(m_store.CreateKey(".mpq"), RegistryResult::Ok);
  const std::string binary("\x00\x00\x01\x00\xff%\n ", 8);
  ASSERT_EQ(m_store.SetValue(".mpq", "", MakeStringValue("DownloadListFile")), RegistryResult::Ok);
  ASSERT_EQ(m_store.SetValue(".mpq", "Edit Flags", {RegistryType::Binary, binary}),
            RegistryResult::Ok);
  ASSERT_EQ(m_store.SetValue(".mpq", "Empty", MakeStringValue("")), RegistryResult::Ok);
  ASSERT_EQ(m_store.SetValue(".mpq", "odd type", {static_cast<RegistryType>(7), "a\0b"}),
            RegistryResult::Ok);

  RegistryValue value;
  ASSERT_EQ(m_store.QueryValue(".MPQ", "", value), RegistryResult::Ok);
  EXPECT_EQ(value.type, RegistryType::String);
  EXPECT_EQ(value.data, std::string("DownloadListFile\0", 17));
  ASSERT_EQ(m_store.QueryValue(".mpq", "edit flags", value), RegistryResult::Ok);
  EXPECT_EQ(value.type, RegistryType::Binary);
  EXPECT_EQ(value.data, binary);
  ASSERT_EQ(m_store.QueryValue(".mpq", "Empty", value), RegistryResult::Ok);
  EXPECT_EQ(value.data, std::string(1, '\0'));
  ASSERT_EQ(m_store.QueryValue(".mpq", "odd type", value), RegistryResult::Ok);
  EXPECT_EQ(static_cast<int>(value.type), 7);

  EXPECT_EQ(m_store.QueryValue(".mpq", "missing", value), RegistryResult::NotFound);
  EXPECT_EQ(m_store.QueryValue(".none", "", value), RegistryResult::NotFound);
  EXPECT_EQ(m_store.SetValue(".none", "", MakeStringValue("x")), RegistryResult::NotFound);

  ASSERT_EQ(m_store.SetValue(".mpq", "EMPTY", MakeStringValue("again")), RegistryResult::Ok);
  std::vector<std::string> names;
  ASSERT_EQ(m_store.ListValues(".mpq", names), RegistryResult::Ok);
  EXPECT_EQ(names, (std::vector<std::string>{"", "Edit Flags", "Empty", "odd type"}));
  ASSERT_EQ(m_store.DeleteValue(".mpq", "EDIT FLAGS"), RegistryResult::Ok);
  EXPECT_EQ(m_store.DeleteValue(".mpq", "Edit Flags"), RegistryResult::NotFound);
}

TEST_F(RegistryStoreTest, SubkeysEnumerateInNameOrderAndDeleteOnlyWhenEmpty) {
  ASSERT_EQ(m_store.CreateKey("Type\\shell\\Start &Download\\command"), RegistryResult::Ok);
  ASSERT_EQ(m_store.CreateKey("Type\\DefaultIcon"), RegistryResult::Ok);
  ASSERT_EQ(m_store.CreateKey("type\\apple"), RegistryResult::Ok);  // same key "Type"
  size_t count = 0;
  ASSERT_EQ(m_store.CountSubkeys("Type", count), RegistryResult::Ok);
  EXPECT_EQ(count, 3u);
  std::vector<std::string> names;
  std::string name;
  for (size_t i = 0; m_store.EnumSubkey("Type", i, name) == RegistryResult::Ok; ++i)
    names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"apple", "DefaultIcon", "shell"}));
  ASSERT_EQ(m_store.CountSubkeys("", count), RegistryResult::Ok);
  EXPECT_EQ(count, 1u);

  EXPECT_EQ(m_store.DeleteKey("Type\\shell"), RegistryResult::HasSubkeys);
  EXPECT_EQ(m_store.DeleteKey("Type\\shell\\Start &Download\\command"), RegistryResult::Ok);
  EXPECT_EQ(m_store.DeleteKey("Type\\shell\\Start &Download"), RegistryResult::Ok);
  EXPECT_EQ(m_store.DeleteKey("Type\\shell\\Start &Download"), RegistryResult::NotFound);
  EXPECT_TRUE(m_store.KeyExists("TYPE\\SHELL"));
  EXPECT_EQ(m_store.DeleteKey(""), RegistryResult::InvalidName);
  EXPECT_EQ(m_store.CreateKey("a\\\\b"), RegistryResult::InvalidName);
  EXPECT_EQ(m_store.CreateKey(std::string(256, 'k')), RegistryResult::InvalidName);
}

TEST_F(RegistryStoreTest, ChangesPersistAcrossProcesses) {
  // Four processes add values at once; the lock keeps every one of them.
  ASSERT_EQ(m_store.CreateKey("shared"), RegistryResult::Ok);
  std::vector<pid_t> children;
  for (int child = 0; child < 4; ++child) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      RegistryStore store(m_store.Path());
      bool ok = true;
      for (int i = 0; i < 10; ++i)
        ok = ok && store.SetValue("shared", std::to_string(child * 10 + i), MakeStringValue("v")) ==
                       RegistryResult::Ok;
      _exit(ok ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) EXPECT_EQ(WaitForChildExit(pid, std::chrono::seconds(30)), 0);
  std::vector<std::string> names;
  ASSERT_EQ(RegistryStore(m_store.Path()).ListValues("shared", names), RegistryResult::Ok);
  EXPECT_EQ(names.size(), 40u);
}

TEST_F(RegistryStoreTest, FileIsReadableText) {
  ASSERT_EQ(m_store.CreateKey("DownloadListFile\\shell\\Start &Download"), RegistryResult::Ok);
  ASSERT_EQ(m_store.SetValue("DownloadListFile", "", MakeStringValue("QEM Download List")),
            RegistryResult::Ok);
  EXPECT_EQ(ReadFileText(m_store.Path()),
            "TUNEFETCH-REGISTRY 1\n"
            "K DownloadListFile\n"
            "V = 1 :QEM%20Download%20List%00\n"
            "K DownloadListFile\\shell\n"
            "K DownloadListFile\\shell\\Start%20&Download\n");
}

TEST_F(RegistryStoreTest, DamagedFileReadsEmptyAndIsKeptAsideOnChange) {
  for (std::string damaged :
       {"not a store\n", "TUNEFETCH-REGISTRY 1\nV =x 1 :%G0\n", "TUNEFETCH-REGISTRY 1\nK a\\\\b\n",
        "TUNEFETCH-REGISTRY 1\nV =x 99999999999 :a\n", "TUNEFETCH-REGISTRY 1\nV =x 1\n",
        "TUNEFETCH-REGISTRY 1\nV =x 1 :%4\n"}) {
    SCOPED_TRACE(damaged);
    ScratchFolder folder;
    RegistryStore store(folder / "classes.reg");
    WriteFileText(store.Path(), damaged);
    EXPECT_FALSE(store.KeyExists("a"));
    ASSERT_EQ(store.CreateKey("fresh"), RegistryResult::Ok);
    EXPECT_TRUE(store.KeyExists("fresh"));
    EXPECT_EQ(ReadFileText(store.Path() + ".damaged"), damaged);
    WriteFileText(store.Path(), damaged);  // damaged again: the first copy stays
    ASSERT_EQ(store.CreateKey("fresh"), RegistryResult::Ok);
    EXPECT_EQ(ReadFileText(store.Path() + ".damaged.2"), damaged);
  }
}

TEST_F(RegistryStoreTest, RefusesToGrowPastTheFileLimit) {
  ASSERT_EQ(m_store.CreateKey("big"), RegistryResult::Ok);
  const RegistryValue large{RegistryType::Binary, std::string(kMaxRegistryValueLength, 'a')};
  EXPECT_EQ(m_store.SetValue("big", "too", {RegistryType::Binary, large.data + "a"}),
            RegistryResult::InvalidName);
  RegistryResult result = RegistryResult::Ok;
  int stored = 0;
  for (; stored < 20 && result == RegistryResult::Ok; ++stored)
    result = m_store.SetValue("big", std::to_string(stored), large);
  EXPECT_EQ(result, RegistryResult::StoreFailed);
  std::vector<std::string> names;
  ASSERT_EQ(m_store.ListValues("big", names), RegistryResult::Ok);  // still readable, nothing lost
  EXPECT_EQ(names.size(), static_cast<size_t>(stored - 1));
}

TEST(RegistryStorePath, ComesFromTheEnvironment) {
  ScratchFolder folder;
  setenv("TUNEFETCH_REGISTRY", (folder / "own.reg").c_str(), 1);
  EXPECT_EQ(RegistryStore::ClassesRoot().Path(), folder / "own.reg");
  unsetenv("TUNEFETCH_REGISTRY");
  setenv("XDG_CONFIG_HOME", folder.Path().c_str(), 1);
  EXPECT_EQ(RegistryStore::ClassesRoot().Path(), folder / "tunefetch/classes.reg");
  unsetenv("XDG_CONFIG_HOME");
  setenv("HOME", folder.Path().c_str(), 1);
  EXPECT_EQ(RegistryStore::ClassesRoot().Path(), folder / ".config/tunefetch/classes.reg");
}

}  // namespace
