// Associating the download-list extension with the program and releasing it
// again: what is written, what is saved and what release puts back.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/FileAssociation.h"
#include "platform/ProgramPath.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScratchFolder.h"

namespace {

class AssociationTest : public ::testing::Test {
 protected:
  RegistryValue Value(std::string_view key, std::string_view name) {
    RegistryValue value;
    EXPECT_EQ(m_store.QueryValue(key, name, value), RegistryResult::Ok) << key << " / " << name;
    return value;
  }
  std::string Text(std::string_view key, std::string_view name) {
    std::string data = Value(key, name).data;
    EXPECT_TRUE(data.ends_with('\0'));
    return data.substr(0, data.size() - 1);
  }
  bool HasValue(std::string_view key, std::string_view name) {
    RegistryValue value;
    return m_store.QueryValue(key, name, value) == RegistryResult::Ok;
  }
  std::vector<std::string> ValueNames(std::string_view key) {
    std::vector<std::string> names;
    m_store.ListValues(key, names);
    return names;
  }

  ScratchFolder m_folder;
  RegistryStore m_store{m_folder / "classes.reg"};
  // Associating also tells the desktop; its files go to the scratch folder.
  ScopedEnvironment m_dataHome{"XDG_DATA_HOME", m_folder / "data"};
  ScopedEnvironment m_configHome{"XDG_CONFIG_HOME", m_folder / "config"};
};

TEST_F(AssociationTest, WritesTheFileTypeWithTheProgramPath) {
  AssociateExtension(m_store, ".mpq");
  const std::string program = GetExecutablePath();
  EXPECT_TRUE(IsExtensionAssociated(m_store, ".mpq"));
  EXPECT_EQ(Value(".mpq", "").data, std::string("DownloadListFile\0", 17));
  EXPECT_EQ(Text(".mpq", "Content Type"), "application/download");
  EXPECT_EQ(Text("DownloadListFile", ""), "QEM Download List");
  RegistryValue flags = Value("DownloadListFile", "EditFlags");
  EXPECT_EQ(flags.type, RegistryType::Binary);
  EXPECT_EQ(flags.data, std::string("\x00\x00\x01\x00", 4));
  EXPECT_EQ(Text("DownloadListFile\\DefaultIcon", ""), "\"" + program + "\", 0");
  EXPECT_EQ(Text("DownloadListFile\\shell\\Start &Download", ""), "Start &Download");
  EXPECT_EQ(Text("DownloadListFile\\shell\\Start &Download\\command", ""),
            "\"" + program + "\" \"%1\"");
  EXPECT_FALSE(m_store.KeyExists("DownloadListFile\\shell\\open"));
  EXPECT_EQ(ValueNames(".mpq"), (std::vector<std::string>{"", "Content Type"}));  // nothing saved
}

TEST_F(AssociationTest, NewKeyIsDeletedEntirelyOnRelease) {
  AssociateExtension(m_store, ".mpq");
  ReleaseExtension(m_store, ".mpq");
  EXPECT_FALSE(m_store.KeyExists(".mpq"));
  EXPECT_FALSE(m_store.KeyExists("DownloadListFile"));
  EXPECT_FALSE(IsExtensionAssociated(m_store, ".mpq"));
}

TEST_F(AssociationTest, OtherTypeAndContentTypeAreSavedAndRestored) {
  // Twice, then once: the second association saves nothing and keeps the backups.
  m_store.CreateKey(".mpq\\ShellNew");
  const RegistryValue otherType{static_cast<RegistryType>(2), std::string("mpqfile\0junk", 12)};
  m_store.SetValue(".mpq", "", otherType);
  m_store.SetValue(".mpq", "Content Type", MakeStringValue("audio/x-mpq"));
  AssociateExtension(m_store, ".mpq");
  AssociateExtension(m_store, ".mpq");
  EXPECT_TRUE(IsExtensionAssociated(m_store, ".mpq"));
  EXPECT_EQ(Value(".mpq", "Backup by QEM").data, otherType.data);
  EXPECT_EQ(Value(".mpq", "Backup by QEM").type, otherType.type);
  EXPECT_EQ(Text(".mpq", "Content Type Backup by QEM"), "audio/x-mpq");

  ReleaseExtension(m_store, ".mpq");
  EXPECT_EQ(Value(".mpq", "").data, otherType.data);
  EXPECT_EQ(Value(".mpq", "").type, otherType.type);
  EXPECT_EQ(Text(".mpq", "Content Type"), "audio/x-mpq");
  EXPECT_EQ(ValueNames(".mpq"), (std::vector<std::string>{"", "Content Type"}));
  EXPECT_TRUE(m_store.KeyExists(".mpq\\ShellNew"));
  EXPECT_FALSE(m_store.KeyExists("DownloadListFile"));
}

TEST_F(AssociationTest, EmptyDefaultIsSavedAndOnlyThatIsRestored) {
  m_store.CreateKey(".mpq");
  m_store.SetValue(".mpq", "", MakeStringValue(""));
  AssociateExtension(m_store, ".mpq");
  EXPECT_FALSE(HasValue(".mpq", "Content Type Backup by QEM"));
  ReleaseExtension(m_store, ".mpq");
  EXPECT_EQ(Value(".mpq", "").data, std::string(1, '\0'));
  // Without its own backup the content type keeps ours.
  EXPECT_EQ(Text(".mpq", "Content Type"), "application/download");
  EXPECT_FALSE(HasValue(".mpq", "Backup by QEM"));
}

TEST_F(AssociationTest, KeyWithoutDefaultKeepsWhatOthersPutThere) {
  // Regression: release used to delete the whole key, other programs' values
  // and subkeys included, when there was no default value to save.
  m_store.CreateKey(".mpq\\OpenWithProgids");
  m_store.SetValue(".mpq", "PerceivedType", MakeStringValue("audio"));
  m_store.SetValue(".mpq", "Content Type", MakeStringValue("audio/x-mpq"));
  AssociateExtension(m_store, ".mpq");
  EXPECT_FALSE(HasValue(".mpq", "Backup by QEM"));
  ReleaseExtension(m_store, ".mpq");
  EXPECT_EQ(ValueNames(".mpq"), (std::vector<std::string>{"PerceivedType", "Content Type"}));
  EXPECT_EQ(Text(".mpq", "Content Type"), "audio/x-mpq");
  EXPECT_TRUE(m_store.KeyExists(".mpq\\OpenWithProgids"));

  // A key that held nothing at all goes away again.
  m_store.CreateKey(".bare");
  AssociateExtension(m_store, ".bare");
  ReleaseExtension(m_store, ".bare");
  EXPECT_FALSE(m_store.KeyExists(".bare"));
}

TEST_F(AssociationTest, ReleaseWithoutBackupKeepsValuesOthersWroteSince) {
  // Regression: release deleted the default value and content type whatever
  // they held, so another program that took the extension over lost both.
  AssociateExtension(m_store, ".mpq");
  m_store.SetValue(".mpq", "", MakeStringValue("OtherPlayer.List"));
  m_store.SetValue(".mpq", "Content Type", MakeStringValue("audio/x-mpq"));
  ReleaseExtension(m_store, ".mpq");
  EXPECT_EQ(Text(".mpq", ""), "OtherPlayer.List");
  EXPECT_EQ(Text(".mpq", "Content Type"), "audio/x-mpq");
  EXPECT_FALSE(m_store.KeyExists("DownloadListFile"));

  // Only one of the two taken over: ours goes, theirs stays.
  AssociateExtension(m_store, ".lst");
  m_store.SetValue(".lst", "", MakeStringValue("OtherPlayer.List"));
  ReleaseExtension(m_store, ".lst");
  EXPECT_EQ(ValueNames(".lst"), (std::vector<std::string>{""}));
  EXPECT_EQ(Text(".lst", ""), "OtherPlayer.List");
}

TEST_F(AssociationTest, TestIsCaseSensitiveAndLooksAtTheFirst1024Bytes) {
  m_store.CreateKey(".mpq");
  m_store.SetValue(".mpq", "", MakeStringValue("downloadlistfile"));
  EXPECT_FALSE(IsExtensionAssociated(m_store, ".mpq"));
  m_store.SetValue(".mpq", "", {RegistryType::String, "DownloadListFile"});  // no NUL stored
  EXPECT_TRUE(IsExtensionAssociated(m_store, ".mpq"));
  m_store.SetValue(".mpq", "", {RegistryType::String, std::string("DownloadListFile\0x", 18)});
  EXPECT_TRUE(IsExtensionAssociated(m_store, ".mpq"));
  m_store.SetValue(".mpq", "", {RegistryType::String, std::string(1024, 'a') + "DownloadListFile"});
  EXPECT_FALSE(IsExtensionAssociated(m_store, ".mpq"));
  EXPECT_FALSE(IsExtensionAssociated(m_store, ".other"));
}

TEST_F(AssociationTest, LongDefaultIsSavedWhole) {
  // The compare buffer holds 1024 bytes; the backup must not lose the rest.
  const std::string longText(3000, 'x');
  m_store.CreateKey(".mpq");
  m_store.SetValue(".mpq", "", MakeStringValue(longText));
  AssociateExtension(m_store, ".mpq");
  ReleaseExtension(m_store, ".mpq");
  EXPECT_EQ(Text(".mpq", ""), longText);
}

TEST_F(AssociationTest, ChangedExtensionReleasesOnlyTheNewOne) {
  AssociateExtension(m_store, ".mpq");
  AssociateExtension(m_store, ".lst");
  ReleaseExtension(m_store, ".lst");
  EXPECT_FALSE(m_store.KeyExists(".lst"));
  EXPECT_TRUE(IsExtensionAssociated(m_store, ".mpq"));  // the old one stays
  EXPECT_FALSE(m_store.KeyExists("DownloadListFile"));
}

TEST_F(AssociationTest, ExtensionThatIsNoKeyNameIsIgnored) {
  // Regression: an empty extension named the root, so release deleted every key.
  m_store.CreateKey(".keep\\sub");
  for (std::string_view bad : {"", "\\", ".a\\b"}) {
    AssociateExtension(m_store, bad);
    EXPECT_FALSE(IsExtensionAssociated(m_store, bad));
    ReleaseExtension(m_store, bad);
  }
  EXPECT_TRUE(m_store.KeyExists(".keep\\sub"));
  EXPECT_FALSE(m_store.KeyExists("DownloadListFile"));
}

TEST_F(AssociationTest, DeleteKeyTreeRemovesEverythingBelow) {
  m_store.CreateKey("T\\a\\b\\c");
  m_store.CreateKey("T\\d");
  m_store.CreateKey("Other");
  m_store.SetValue("T\\a", "v", MakeStringValue("x"));
  DeleteKeyTree(m_store, "", "T");
  EXPECT_FALSE(m_store.KeyExists("T"));
  EXPECT_TRUE(m_store.KeyExists("Other"));
  DeleteKeyTree(m_store, "", "missing");  // nothing to do, no harm
  EXPECT_TRUE(m_store.KeyExists("Other"));
}

}  // namespace
