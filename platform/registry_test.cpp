// Contract of platform/registry.h and registry_fixture.h, the same on both
// backends (the Win32 one runs under Wine, whose behaviour the POSIX one copies).
#include "platform/registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "platform/platform_test_util.h"
#include "platform/process.h"
#include "platform/registry_fixture.h"

namespace avex::platform::registry {
namespace {

using Names = std::vector<std::string>;

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = "Software\\Tarn Software\\AVex Platform Test " + std::to_string(test::ProcessId());
    ASSERT_TRUE(DeleteKeyTree(base_));
  }
  void TearDown() override { EXPECT_TRUE(DeleteKeyTree(base_)); }

  std::string Key(const std::string& below) const { return below.empty() ? base_ : base_ + "\\" + below; }

  std::string base_;
};

TEST_F(RegistryTest, MissingKeyOrValueGivesTheDefault) {
  EXPECT_FALSE(KeyExists(Key("Missing")));
  EXPECT_FALSE(QueryDword(Key("Missing"), "Value"));
  EXPECT_FALSE(QueryString(Key("Missing"), "Value"));
  EXPECT_EQ(ReadDword(Key("Missing"), "Value", 7u), 7u);
  EXPECT_EQ(ReadString(Key("Missing"), "Value", "fallback"), "fallback");
  EXPECT_TRUE(SubkeyNames(Key("Missing")).empty());
  EXPECT_TRUE(ValueNames(Key("Missing")).empty());

  ASSERT_TRUE(WriteDword(Key("Present"), "Other", 1));
  EXPECT_TRUE(KeyExists(Key("Present")));
  EXPECT_EQ(ReadDword(Key("Present"), "Value", 8u), 8u);
  EXPECT_EQ(ReadString(Key("Present"), "Value", "fallback"), "fallback");
}

TEST_F(RegistryTest, WrongTypeGivesNothing) {
  ASSERT_TRUE(WriteString(Key("Types"), "Text", "12"));
  ASSERT_TRUE(WriteDword(Key("Types"), "Number", 12));
  EXPECT_FALSE(QueryDword(Key("Types"), "Text"));
  EXPECT_EQ(ReadDword(Key("Types"), "Text", 5u), 5u);
  EXPECT_FALSE(QueryString(Key("Types"), "Number"));
  EXPECT_EQ(ReadString(Key("Types"), "Number", "fallback"), "fallback");
}

TEST_F(RegistryTest, ValuesReadBackAsWritten) {
  const std::string longText(5000, 'x');
  const struct {
    const char* name;
    std::string text;
  } strings[] = {
      {"Empty", ""},
      {"Plain", "Aurivex for Corvane"},
      {"Escapes", "quote \" backslash \\ percent %s"},
      {"Lines", "first\r\nsecond\n"},
      {"Western", "caf\xE9 \x80 \xFF"},
      {"Long", longText},
  };
  for (const auto& s : strings) ASSERT_TRUE(WriteString(Key("Values"), s.name, s.text.c_str())) << s.name;
  for (const auto& s : strings) EXPECT_EQ(QueryString(Key("Values"), s.name), s.text) << s.name;

  for (uint32_t number : {0u, 1u, 60u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    ASSERT_TRUE(WriteDword(Key("Values"), "Number", number));
    EXPECT_EQ(QueryDword(Key("Values"), "Number"), number);
  }
}

TEST_F(RegistryTest, AWriteReplacesTheTypeOfAValue) {
  ASSERT_TRUE(WriteDword(Key("Replace"), "Value", 3));
  ASSERT_TRUE(WriteString(Key("Replace"), "Value", "three"));
  EXPECT_FALSE(QueryDword(Key("Replace"), "Value"));
  EXPECT_EQ(QueryString(Key("Replace"), "Value"), "three");
  ASSERT_TRUE(WriteDword(Key("Replace"), "Value", 4));
  EXPECT_EQ(QueryDword(Key("Replace"), "Value"), 4u);
  EXPECT_FALSE(QueryString(Key("Replace"), "Value"));
}

TEST_F(RegistryTest, StringLimitCountsTheTerminatingZero) {
  ASSERT_TRUE(WriteString(Key("Limit"), "Text", "abcd"));
  EXPECT_EQ(QueryString(Key("Limit"), "Text", 5), "abcd");
  EXPECT_FALSE(QueryString(Key("Limit"), "Text", 4));
  ASSERT_TRUE(WriteString(Key("Limit"), "Empty", ""));
  EXPECT_EQ(QueryString(Key("Limit"), "Empty", 1), "");
}

TEST_F(RegistryTest, NullStringDeletesTheValue) {
  ASSERT_TRUE(WriteString(Key("Delete"), "Text", "text"));
  ASSERT_TRUE(WriteString(Key("Delete"), "Keep", "keep"));
  EXPECT_TRUE(WriteString(Key("Delete"), "Text", nullptr));
  EXPECT_FALSE(QueryString(Key("Delete"), "Text"));
  EXPECT_EQ(ValueNames(Key("Delete")), Names{"Keep"});
  EXPECT_TRUE(WriteString(Key("Delete"), "Text", nullptr));  // a missing value
  EXPECT_TRUE(WriteString(Key("Nowhere"), "Text", nullptr));  // a missing key, which stays missing
  EXPECT_FALSE(KeyExists(Key("Nowhere")));
}

TEST_F(RegistryTest, AWriteCreatesTheKeyAndItsParents) {
  ASSERT_TRUE(WriteDword(Key("A\\B\\C"), "Value", 1));
  EXPECT_TRUE(KeyExists(Key("A")));
  EXPECT_TRUE(KeyExists(Key("A\\B")));
  EXPECT_TRUE(KeyExists(Key("A\\B\\C")));
  EXPECT_EQ(SubkeyNames(Key("A")), Names{"B"});
  EXPECT_TRUE(ValueNames(Key("A")).empty());
  EXPECT_TRUE(KeyExists(""));  // HKEY_LOCAL_MACHINE itself
}

TEST_F(RegistryTest, DeleteKeyTreeRemovesEverythingBelow) {
  for (const char* key : {"Tree\\One\\Deep\\Deeper", "Tree\\One\\Side", "Tree\\Two", "Tree\\Three\\X",
                          "Sibling"}) {
    ASSERT_TRUE(WriteDword(Key(key), "Value", 1)) << key;
  }
  ASSERT_TRUE(WriteString(Key("Tree"), "Text", "t"));
  EXPECT_TRUE(DeleteKeyTree(Key("Tree")));
  EXPECT_FALSE(KeyExists(Key("Tree")));
  EXPECT_FALSE(KeyExists(Key("Tree\\One\\Deep")));
  EXPECT_EQ(SubkeyNames(base_), Names{"Sibling"});
  EXPECT_EQ(ReadDword(Key("Sibling"), "Value", 0), 1u);
  EXPECT_TRUE(DeleteKeyTree(Key("Tree")));  // already gone
  EXPECT_TRUE(DeleteKeyTree(Key("Never\\Was")));
  EXPECT_FALSE(DeleteKeyTree(""));  // never HKEY_LOCAL_MACHINE
}

TEST_F(RegistryTest, NamesCompareWithoutRegardToCaseAndKeepTheirSpelling) {
  ASSERT_TRUE(WriteDword(Key("MixedCase"), "ValueName", 1));
  EXPECT_EQ(ReadDword(Key("MIXEDCASE"), "VALUENAME", 0), 1u);
  EXPECT_TRUE(KeyExists(Key("mixedcase")));
  ASSERT_TRUE(WriteDword(Key("mixedCASE"), "valuename", 2));
  EXPECT_EQ(SubkeyNames(base_), Names{"MixedCase"});
  EXPECT_EQ(ValueNames(Key("MixedCase")), Names{"ValueName"});
  EXPECT_EQ(ReadDword(Key("MixedCase"), "ValueName", 0), 2u);
  // Wine compares letters of the code page too, not only ASCII.
  ASSERT_TRUE(WriteDword(Key("\xC9t\xE9"), "\x8A", 3));  // Été, Š
  EXPECT_EQ(ReadDword(Key("\xE9T\xC9"), "\x9A", 0), 3u);  // éTÉ, š
  ASSERT_TRUE(WriteDword(Key("\x9F"), "v", 4));          // Ÿ
  EXPECT_EQ(ReadDword(Key("\xFF"), "v", 0), 4u);         // ÿ
  ASSERT_TRUE(DeleteKeyTree(Key("MIXEDcase")));
  EXPECT_FALSE(KeyExists(Key("MixedCase")));
}

// Wine keeps subkeys and values sorted: each character lower-cased ("A_"
// before "AB", since '_' < 'b'), then by Unicode code point (so 0x80, the
// euro sign, comes last), a name before the longer names it starts.
const Names kCreationOrder = {"b", "A_", "AB", "a", "B1", "b0", "[", "_", "`", "{", "~", "Z", "z1", "aa",
                              "0", "ab_", "abc", "\xE9", "\xC9x", "\x80", "\x9F", "\x81", "\xAA", "\xB5",
                              "\xBA", "\xD7", "\xDF", "\xF7"};
const Names kEnumerationOrder = {"0",  "[",   "_",    "`",    "a",    "A_",   "aa",     "AB",   "ab_", "abc",
                                 "b",  "b0",  "B1",   "Z",    "z1",   "{",    "~",      "\x81", "\xAA",
                                 "\xB5", "\xBA", "\xD7", "\xDF", "\xE9", "\xC9x", "\xF7", "\x9F", "\x80"};

TEST_F(RegistryTest, SubkeysEnumerateInWinesOrder) {
  for (const std::string& name : kCreationOrder) ASSERT_TRUE(WriteDword(Key("Order\\" + name), "v", 1)) << name;
  EXPECT_EQ(SubkeyNames(Key("Order")), kEnumerationOrder);
}

TEST_F(RegistryTest, ValuesEnumerateInWinesOrder) {
  for (const std::string& name : kCreationOrder) ASSERT_TRUE(WriteDword(Key("Order"), name, 1)) << name;
  ASSERT_TRUE(WriteString(Key("Order"), "", "default"));  // the default value: the empty name, first
  Names expected = kEnumerationOrder;
  expected.insert(expected.begin(), "");
  EXPECT_EQ(ValueNames(Key("Order")), expected);
}

TEST_F(RegistryTest, LongValueNamesNeitherEndNorHideTheEnumeration) {
  const std::string k259(259, 'K'), k260(260, 'K'), l300(300, 'L'), m1000(1000, 'M'), n16383(16383, 'N');
  const Names written = {"z", n16383, "Lz", k260, m1000, "a", l300, k259};
  for (size_t i = 0; i < written.size(); ++i) {
    ASSERT_TRUE(WriteDword(Key("Long"), written[i], static_cast<uint32_t>(written[i].size()))) << i;
  }
  EXPECT_EQ(ValueNames(Key("Long")), (Names{"a", k259, k260, l300, "Lz", m1000, n16383, "z"}));
  for (const std::string& name : written) EXPECT_EQ(ReadDword(Key("Long"), name, 0), name.size());

  EXPECT_FALSE(WriteDword(Key("Long"), std::string(16384, 'O'), 1));  // past the system's limit
  EXPECT_EQ(ValueNames(Key("Long")).size(), written.size());
}

TEST_F(RegistryTest, KeyNamesUpTo255Characters) {
  const std::string s255(255, 'S');
  ASSERT_TRUE(WriteDword(Key("Keys\\T"), "v", 1));
  ASSERT_TRUE(WriteDword(Key("Keys\\" + s255), "v", 2));
  ASSERT_TRUE(WriteDword(Key("Keys\\U"), "v", 3));
  EXPECT_EQ(SubkeyNames(Key("Keys")), (Names{s255, "T", "U"}));
  EXPECT_EQ(ReadDword(Key("Keys\\" + s255), "v", 0), 2u);

  const std::string s256(256, 'S');
  EXPECT_FALSE(WriteDword(Key("Keys\\" + s256), "v", 1));
  EXPECT_FALSE(KeyExists(Key("Keys\\" + s256)));
  EXPECT_EQ(SubkeyNames(Key("Keys")).size(), 3u);

  // A path longer than 260 characters in all, of names that are each allowed.
  const std::string deep = "Keys\\" + std::string(200, 'P') + "\\" + std::string(200, 'Q');
  ASSERT_TRUE(WriteString(Key(deep), "Text", "deep"));
  EXPECT_EQ(ReadString(Key(deep), "Text", ""), "deep");
  EXPECT_EQ(SubkeyNames(Key("Keys\\" + std::string(200, 'P'))), Names{std::string(200, 'Q')});
  EXPECT_TRUE(DeleteKeyTree(Key("Keys")));
  EXPECT_FALSE(KeyExists(Key(deep)));
}

TEST_F(RegistryTest, EmptyNamesInAPathAreSkippedALeadingBackslashIsRefused) {
  ASSERT_TRUE(WriteDword(Key("Path\\\\Double\\"), "v", 1));
  EXPECT_EQ(ReadDword(Key("Path\\Double"), "v", 0), 1u);
  EXPECT_EQ(SubkeyNames(Key("Path")), Names{"Double"});
  EXPECT_FALSE(WriteDword("\\" + Key("Lead"), "v", 1));
  EXPECT_FALSE(KeyExists("\\" + Key("Path")));
}

std::string Fixture(const std::string& base) {
  const std::string root = "HKEY_LOCAL_MACHINE\\" + base;
  return "REGEDIT4\n"
         "\n"
         "; a comment\n"
         "[" + root + "\\Fixture]\n"
         "\"Text\"=\"quote \\\" backslash \\\\ end\"\n"
         "\"Lines\"=\"one\\ntwo\\r\"\n"
         "\"Number\"=dword:0000002a\n"
         "@=\"default\"\n"
         "\"Binary\"=hex:01,02,\\\n"
         "  03\n"
         "\"Gone\"=\"soon\"\n"
         "\"Gone\"=-\n"
         "\"Spaced\" = dword:7\n"
         "\"Bad\"=\"unterminated\n"
         "\n"
         "[" + root + "\\Fixture\\Empty]\n"
         "\n"
         "[" + root + "\\Doomed\\Child]\n"
         "\"x\"=dword:00000001\n"
         "\n"
         "[-" + root + "\\Doomed]\n";
}

void ExpectFixtureContent(const std::string& key) {
  EXPECT_EQ(QueryString(key, "Text"), "quote \" backslash \\ end");
  EXPECT_EQ(QueryString(key, "Lines"), "one\ntwo\r");
  EXPECT_EQ(QueryDword(key, "Number"), 42u);
  EXPECT_EQ(QueryDword(key, "Spaced"), 7u);
  EXPECT_EQ(QueryString(key, ""), "default");
  EXPECT_FALSE(QueryString(key, "Binary"));  // neither a string nor a DWORD
  EXPECT_FALSE(QueryDword(key, "Binary"));
  EXPECT_EQ(ValueNames(key), (Names{"", "Binary", "Lines", "Number", "Spaced", "Text"}));
  EXPECT_EQ(SubkeyNames(key), Names{"Empty"});
}

TEST_F(RegistryTest, AnOpenKeyReadsAndWritesLikeThePlainCalls) {
  RegistryKey missing = RegistryKey::ForReading(Key("Open"));
  EXPECT_FALSE(missing.IsOpen());
  EXPECT_TRUE(missing.Values().empty());
  EXPECT_FALSE(missing.QueryDword("v"));
  EXPECT_FALSE(missing.WriteDword("v", 1));

  RegistryKey written = RegistryKey::ForWriting(Key("Open\\Deep"));
  ASSERT_TRUE(written.IsOpen());
  const std::string n16383(16383, 'N');
  ASSERT_TRUE(written.WriteDword("Number", 0xDEADBEEF));
  ASSERT_TRUE(written.WriteString("Text", "text"));
  ASSERT_TRUE(written.WriteDword(n16383, 7));
  EXPECT_FALSE(written.WriteDword(std::string(16384, 'O'), 1));
  ASSERT_TRUE(written.WriteString("Gone", "x"));
  ASSERT_TRUE(written.DeleteValue("Gone"));
  EXPECT_TRUE(written.DeleteValue("Gone"));
  ASSERT_TRUE(WriteDword(Key("Open\\Deep\\Sub"), "v", 1));

  RegistryKey read = RegistryKey::ForReading(Key("open\\deep"));
  ASSERT_TRUE(read.IsOpen());
  EXPECT_EQ(read.QueryDword("number"), 0xDEADBEEFu);
  EXPECT_FALSE(read.QueryDword("Text"));
  EXPECT_EQ(read.QueryString("Text"), "text");
  EXPECT_FALSE(read.QueryString("Number"));
  EXPECT_EQ(read.SubkeyNames(), Names{"Sub"});
  const std::vector<StoredValue> values = read.Values();
  ASSERT_EQ(values.size(), 3u);
  EXPECT_EQ(values[0].name, n16383);
  EXPECT_EQ(values[0].Dword(), 7u);
  EXPECT_EQ(values[1].name, "Number");
  EXPECT_EQ(values[1].Dword(), 0xDEADBEEFu);
  EXPECT_FALSE(values[1].String());
  EXPECT_EQ(values[2].name, "Text");
  EXPECT_EQ(values[2].String(), "text");
  EXPECT_FALSE(values[2].Dword());
}

// What a settings load meets in a damaged or foreign tree: values of other
// types and sizes come with their type, so that the reader can skip them.
TEST_F(RegistryTest, ValuesComeWithTheirTypes) {
  ASSERT_TRUE(ImportRegText("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\" + Key("Typed") +
                            "]\n\"binary\"=hex:01,00,00,00\n\"qword\"=hex(b):01,00,00,00,00,00,00,00\n"
                            "\"dword\"=dword:00000005\n\"text\"=\"5\"\n"));
  const std::vector<StoredValue> values = RegistryKey::ForReading(Key("Typed")).Values();
  ASSERT_EQ(values.size(), 4u);
  EXPECT_EQ(values[0].name, "binary");
  EXPECT_EQ(values[0].type, 3u);
  EXPECT_FALSE(values[0].Dword());
  EXPECT_EQ(values[1].Dword(), 5u);
  EXPECT_EQ(values[2].name, "qword");
  EXPECT_FALSE(values[2].Dword());
  EXPECT_EQ(values[3].String(), "5");
}

TEST_F(RegistryTest, RenameMovesTheWholeTree) {
  ASSERT_TRUE(WriteDword(Key("From"), "v", 1));
  ASSERT_TRUE(WriteString(Key("From\\Sub\\Deeper"), "t", "text"));
  ASSERT_TRUE(RenameKey(Key("From"), "To"));
  EXPECT_FALSE(KeyExists(Key("From")));
  EXPECT_EQ(ReadDword(Key("To"), "v", 0), 1u);
  EXPECT_EQ(ReadString(Key("To\\Sub\\Deeper"), "t", ""), "text");

  ASSERT_TRUE(WriteDword(Key("Other"), "v", 2));
  EXPECT_FALSE(RenameKey(Key("Other"), "To"));  // never over an existing key
  EXPECT_EQ(ReadDword(Key("To"), "v", 0), 1u);
  EXPECT_EQ(ReadDword(Key("Other"), "v", 0), 2u);
  EXPECT_FALSE(RenameKey(Key("Missing"), "Elsewhere"));
  EXPECT_FALSE(KeyExists(Key("Elsewhere")));
  EXPECT_FALSE(RenameKey(Key("Other"), "A\\B"));
  EXPECT_FALSE(RenameKey(Key("Other"), std::string(256, 'S')));
  EXPECT_EQ(SubkeyNames(base_), (Names{"Other", "To"}));
}

TEST_F(RegistryTest, ABatchChangesNothingThatTheCallsSee) {
  {
    Batch batch;
    ASSERT_TRUE(WriteDword(Key("Batch"), "a", 1));
    {
      Batch nested;
      RegistryKey key = RegistryKey::ForWriting(Key("Batch"));
      ASSERT_TRUE(key.WriteDword("b", 2));
    }
    EXPECT_EQ(ValueNames(Key("Batch")), (Names{"a", "b"}));
    ASSERT_TRUE(DeleteKeyTree(Key("Batch")));
    ASSERT_TRUE(WriteDword(Key("Batch"), "c", 3));
  }
  EXPECT_EQ(ValueNames(Key("Batch")), Names{"c"});
}

TEST_F(RegistryTest, ImportsARegeditFile) {
  const std::string path = test::TempPath("fixture.reg");
  ASSERT_TRUE(test::WriteFile(path, Fixture(base_) +
                                        "\n[HKEY_CURRENT_USER\\Software\\AVex Platform Test]\n\"y\"=dword:1\n"));
  ASSERT_TRUE(ImportRegFile(path));
  ExpectFixtureContent(Key("Fixture"));
  EXPECT_FALSE(KeyExists(Key("Doomed")));
  EXPECT_EQ(SubkeyNames(base_), Names{"Fixture"});
  std::remove(path.c_str());

  EXPECT_FALSE(ImportRegFile(path));  // gone
  EXPECT_FALSE(ImportRegText("[HKEY_LOCAL_MACHINE\\" + base_ + "]\n\"v\"=dword:1\n"));  // no header
  EXPECT_FALSE(QueryDword(base_, "v"));
}

TEST_F(RegistryTest, ImportDeletesKeysAndValues) {
  ASSERT_TRUE(WriteDword(Key("Old\\Deep"), "v", 1));
  ASSERT_TRUE(WriteDword(Key("Keep"), "a", 1));
  ASSERT_TRUE(WriteDword(Key("Keep"), "b", 2));
  ASSERT_TRUE(ImportRegText("REGEDIT4\n\n[-HKEY_LOCAL_MACHINE\\" + base_ + "\\Old]\n\n[HKEY_LOCAL_MACHINE\\" + base_ +
                            "\\Keep]\n\"a\"=-\n\"missing\"=-\n"));
  EXPECT_FALSE(KeyExists(Key("Old")));
  EXPECT_EQ(ValueNames(Key("Keep")), Names{"b"});
}

// Everything below `key` as text, through the primitives.
std::string Snapshot(const std::string& key) {
  std::string out = "[" + key + "]\n";
  for (const std::string& name : ValueNames(key)) {
    out += "\"" + name + "\"=";
    if (auto number = QueryDword(key, name)) {
      out += "dword:" + std::to_string(*number);
    } else if (auto text = QueryString(key, name)) {
      out += "\"" + *text + "\"";
    } else {
      out += "other";
    }
    out += "\n";
  }
  for (const std::string& name : SubkeyNames(key)) out += Snapshot(key + "\\" + name);
  return out;
}

#if defined(_WIN32)
// The fixture parser reads a file exactly as Wine's regedit does.
TEST_F(RegistryTest, ImportEqualsRegedit) {
  const std::string path = test::TempPath("regedit.reg");
  ASSERT_TRUE(test::WriteFile(path, Fixture(base_)));
  const char* windows = std::getenv("windir");
  ASSERT_NE(windows, nullptr);
  ChildProcess regedit;
  ASSERT_TRUE(regedit.Start({std::string(windows) + "\\regedit.exe", "/S", path}));
  ASSERT_EQ(regedit.Wait(), 0);
  const std::string byRegedit = Snapshot(base_);
  ExpectFixtureContent(Key("Fixture"));

  ASSERT_TRUE(DeleteKeyTree(base_));
  ASSERT_TRUE(ImportRegFile(path));
  EXPECT_EQ(Snapshot(base_), byRegedit);
  std::remove(path.c_str());
}
#endif

#if !defined(_WIN32)
// The POSIX backend's file mode: the tree lives in the REGEDIT4 file that
// AVEX_REGISTRY names, read and written by every call.
class RegistryFileTest : public ::testing::Test {
 protected:
  RegistryFileTest() : path_(test::TempPath("registry.reg")), env_("AVEX_REGISTRY", path_) {}
  ~RegistryFileTest() override { std::remove(path_.c_str()); }

  std::string path_;
  test::ScopedEnv env_;
};

TEST_F(RegistryFileTest, WritesARegeditFile) {
  EXPECT_EQ(ReadDword("Test\\Keys", "Number", 3), 3u);  // no file yet: an empty registry
  EXPECT_FALSE(test::FileExists(path_));
  ASSERT_TRUE(WriteString("Test\\Keys", "Text", "a\"b\\c\nd"));
  ASSERT_TRUE(WriteDword("Test\\Keys", "Number", 10));
  ASSERT_TRUE(WriteString("Test\\Keys\\Sub", "", "default"));
  ASSERT_TRUE(WriteDword("Test\\Other", "v", 0xFFFFFFFF));
  ASSERT_TRUE(WriteString("Test\\Other", "v", nullptr));
  EXPECT_EQ(test::ReadFile(path_),
            "REGEDIT4\n"
            "\n[HKEY_LOCAL_MACHINE\\Test]\n"
            "\n[HKEY_LOCAL_MACHINE\\Test\\Keys]\n"
            "\"Number\"=dword:0000000a\n"
            "\"Text\"=\"a\\\"b\\\\c\\nd\"\n"
            "\n[HKEY_LOCAL_MACHINE\\Test\\Keys\\Sub]\n"
            "@=\"default\"\n"
            "\n[HKEY_LOCAL_MACHINE\\Test\\Other]\n");
  EXPECT_EQ(ReadString("test\\keys", "text", ""), "a\"b\\c\nd");
}

TEST_F(RegistryFileTest, EveryCallReadsTheFile) {
  ASSERT_TRUE(WriteDword("Test", "v", 1));
  ASSERT_TRUE(test::WriteFile(path_, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Test]\n\"v\"=dword:00000002\n"
                                     "\"Bin\"=hex(7):61,00,00\n"));
  EXPECT_EQ(ReadDword("Test", "v", 0), 2u);
  ASSERT_TRUE(WriteDword("Test", "w", 3));
  EXPECT_EQ(test::ReadFile(path_),
            "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Test]\n\"Bin\"=hex(7):61,00,00\n\"v\"=dword:00000002\n"
            "\"w\"=dword:00000003\n");
  std::remove(path_.c_str());
  EXPECT_FALSE(KeyExists("Test"));
}

TEST_F(RegistryFileTest, ProcessesShareTheFile) {
  ASSERT_TRUE(WriteDword("Test", "parent", 1));
  constexpr int kChildren = 4, kWrites = 25;
  std::vector<pid_t> children;
  for (int c = 0; c < kChildren; ++c) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      bool ok = true;
      for (int i = 0; i < kWrites; ++i) {
        ok = WriteDword("Test\\Child" + std::to_string(c), "n" + std::to_string(i), static_cast<uint32_t>(i)) && ok;
      }
      _exit(ok ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EXPECT_EQ(ReadDword("Test", "parent", 0), 1u);
  for (int c = 0; c < kChildren; ++c) {
    EXPECT_EQ(ValueNames("Test\\Child" + std::to_string(c)).size(), static_cast<size_t>(kWrites)) << c;
  }
}

// A batch reads the file once and writes it once, whole: another process
// that reads meanwhile waits for the batch's end and then sees all of it.
TEST_F(RegistryFileTest, ABatchWritesTheFileOnceAtItsEnd) {
  ASSERT_TRUE(WriteDword("Test", "before", 1));
  const std::string before = test::ReadFile(path_);
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    char byte;
    close(go[1]);
    if (read(go[0], &byte, 1) != 1) _exit(2);
    _exit(ValueNames("Test\\Batch").size() == 100 ? 0 : 1);
  }
  close(go[0]);
  {
    Batch batch;
    RegistryKey key = RegistryKey::ForWriting("Test\\Batch");
    for (int i = 0; i < 100; ++i) ASSERT_TRUE(key.WriteDword("n" + std::to_string(i), 1));
    EXPECT_EQ(key.Values().size(), 100u);
    ASSERT_EQ(write(go[1], "x", 1), 1);
    usleep(100000);  // the reader is now waiting for the file's lock
    EXPECT_EQ(test::ReadFile(path_), before);
  }
  close(go[1]);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(ReadDword("Test", "before", 0), 1u);
}

// A new text replaces the file by a rename, so a writer killed half way
// leaves the old text, never a cut one.
TEST_F(RegistryFileTest, AWriteReplacesTheFileWhole) {
  ASSERT_TRUE(WriteDword("Test", "v", 1));
  struct stat first, second;
  ASSERT_EQ(stat(path_.c_str(), &first), 0);
  ASSERT_TRUE(WriteDword("Test", "v", 2));
  ASSERT_EQ(stat(path_.c_str(), &second), 0);
  EXPECT_NE(first.st_ino, second.st_ino);
  EXPECT_EQ(ReadDword("Test", "v", 0), 2u);
}

TEST_F(RegistryFileTest, ImportGoesIntoTheFile) {
  ASSERT_TRUE(ImportRegText("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Test\\Imported]\n\"v\"=dword:00000005\n"));
  EXPECT_NE(test::ReadFile(path_).find("[HKEY_LOCAL_MACHINE\\Test\\Imported]\n\"v\"=dword:00000005\n"),
            std::string::npos);
  test::UnsetEnv("AVEX_REGISTRY");
  EXPECT_FALSE(KeyExists("Test\\Imported"));  // the in-process tree is another registry
  test::SetEnv("AVEX_REGISTRY", path_);
  EXPECT_EQ(ReadDword("Test\\Imported", "v", 0), 5u);
}
#endif

}  // namespace
}  // namespace avex::platform::registry
