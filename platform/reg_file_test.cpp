// The REGEDIT4 parser and writer of platform/reg_file.h.
#include "platform/reg_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace avex::platform::regfile {
namespace {

using Kind = Operation::Kind;

std::vector<Operation> ParseOk(const std::string& text) {
  std::vector<Operation> operations;
  EXPECT_TRUE(Parse(text, &operations)) << text;
  return operations;
}

std::string Dword(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

TEST(RegFileTest, NeedsTheHeader) {
  std::vector<Operation> operations;
  EXPECT_FALSE(Parse("", &operations));
  EXPECT_FALSE(Parse("[HKEY_LOCAL_MACHINE\\A]\n", &operations));
  EXPECT_TRUE(Parse("REGEDIT4\r\n", &operations));
  EXPECT_TRUE(Parse("\n\nWindows Registry Editor Version 5.00\n", &operations));
  EXPECT_TRUE(operations.empty());
}

TEST(RegFileTest, SectionsAndValues) {
  auto ops = ParseOk(
      "REGEDIT4\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\A]\r\n"
      "\"Text\"=\"x\\\"y\\\\z\\nw\\rv\\qu\"\r\n"
      "\"N\"=dword:0000000A\r\n"
      "@=\"default\"\r\n"
      "\"Bin\"=hex:de,ad,\\\r\n"
      "   be,ef\r\n"
      "\"Multi\"=hex(7):61,00,00\r\n"
      "\"Del\"=-\r\n"
      "\"Zero\"=\"a\\0b\"\r\n"
      "\"Junk\"=what\r\n"
      "; comment\r\n"
      "# comment\r\n"
      "[-HKEY_LOCAL_MACHINE\\Software\\B]\r\n"
      "\"Orphan\"=dword:1\r\n"
      "[hklm]\r\n"
      "\"Root\"=dword:2\r\n"
      "[HKEY_CURRENT_USER\\Other]\r\n"
      "\"Skipped\"=dword:3\r\n");
  ASSERT_EQ(ops.size(), 10u);
  EXPECT_EQ(ops[0].kind, Kind::CreateKey);
  EXPECT_EQ(ops[0].key, "Software\\A");
  EXPECT_EQ(ops[1].kind, Kind::SetValue);
  EXPECT_EQ(ops[1].key, "Software\\A");
  EXPECT_EQ(ops[1].name, "Text");
  EXPECT_EQ(ops[1].type, kTypeString);
  EXPECT_EQ(ops[1].data, "x\"y\\z\nw\rvqu");  // an unknown escape stands for its character
  EXPECT_EQ(ops[2].name, "N");
  EXPECT_EQ(ops[2].type, kTypeDword);
  EXPECT_EQ(ops[2].data, Dword(10));
  EXPECT_EQ(ops[3].name, "");
  EXPECT_EQ(ops[3].data, "default");
  EXPECT_EQ(ops[4].name, "Bin");
  EXPECT_EQ(ops[4].type, kTypeBinary);
  EXPECT_EQ(ops[4].data, "\xDE\xAD\xBE\xEF");
  EXPECT_EQ(ops[5].type, 7u);
  EXPECT_EQ(ops[5].data, std::string("a\0\0", 3));
  EXPECT_EQ(ops[6].kind, Kind::DeleteValue);
  EXPECT_EQ(ops[6].name, "Del");
  EXPECT_EQ(ops[7].kind, Kind::DeleteKey);  // "Zero" and "Junk" do not parse
  EXPECT_EQ(ops[7].key, "Software\\B");
  EXPECT_EQ(ops[8].kind, Kind::CreateKey);  // "Orphan" belongs to no key
  EXPECT_EQ(ops[8].key, "");
  EXPECT_EQ(ops[9].name, "Root");
  EXPECT_EQ(ops[9].data, Dword(2));
}

TEST(RegFileTest, WriterOutputParsesBack) {
  Writer writer;
  writer.Key("");
  writer.Value("Root", kTypeDword, Dword(0xDEADBEEF));
  writer.Key("Software\\A");
  writer.Value("", kTypeString, "default");
  writer.Value("Quote\"Name\\", kTypeString, "line\nbreak \"q\" \\ \r");
  writer.Value("Bin", kTypeBinary, std::string("\x00\x01\xFF", 3));
  writer.Value("Other", 2, "%PATH%");
  writer.Value("Embedded", kTypeString, std::string("a\0b", 3));
  EXPECT_EQ(writer.Text(),
            "REGEDIT4\n"
            "\n[HKEY_LOCAL_MACHINE]\n"
            "\"Root\"=dword:deadbeef\n"
            "\n[HKEY_LOCAL_MACHINE\\Software\\A]\n"
            "@=\"default\"\n"
            "\"Quote\\\"Name\\\\\"=\"line\\nbreak \\\"q\\\" \\\\ \\r\"\n"
            "\"Bin\"=hex:00,01,ff\n"
            "\"Other\"=hex(2):25,50,41,54,48,25\n"
            "\"Embedded\"=hex(1):61,00,62\n");
  auto ops = ParseOk(writer.Text());
  ASSERT_EQ(ops.size(), 8u);
  EXPECT_EQ(ops[1].data, Dword(0xDEADBEEF));
  EXPECT_EQ(ops[4].name, "Quote\"Name\\");
  EXPECT_EQ(ops[4].data, "line\nbreak \"q\" \\ \r");
  EXPECT_EQ(ops[5].data, std::string("\x00\x01\xFF", 3));
  EXPECT_EQ(ops[6].type, 2u);
  EXPECT_EQ(ops[6].data, "%PATH%");
  EXPECT_EQ(ops[7].type, kTypeString);
  EXPECT_EQ(ops[7].data, std::string("a\0b", 3));
}

}  // namespace
}  // namespace avex::platform::regfile
