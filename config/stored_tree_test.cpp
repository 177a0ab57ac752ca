#include "config/stored_tree.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/reg_file.h"
#include "platform/registry.h"

namespace avex {
namespace {

namespace registry = platform::registry;
using Kind = TreeChange::Kind;

// A change as a line, for readable comparisons: "write Key\Name", "delete Key\Name", "delete key Key".
std::string Line(const TreeChange& change) {
  switch (change.kind) {
    case Kind::DeleteKey: return "delete key " + change.key;
    case Kind::DeleteValue: return "delete " + change.key + "\\" + change.value.name;
    case Kind::WriteValue: return "write " + change.key + "\\" + change.value.name;
  }
  return "?";
}

std::vector<std::string> Lines(const std::vector<TreeChange>& changes) {
  std::vector<std::string> lines;
  for (const TreeChange& change : changes) lines.push_back(Line(change));
  return lines;
}

// A small tree in the shape of the settings: root values, a list, a response key.
void Base(StoredTreeBuilder* tree) {
  tree->WriteDword("", "RegVersion", 3);
  tree->WriteDword("Manual\\URLs", "http://a.example/", 1);
  tree->WriteDword("Manual\\URLs", "http://b.example/", 2);
  tree->WriteDword("Manual\\Sites", "c.example", 3);
  tree->WriteString("Custom Responses\\Block", "Descript", "Block");
}

TEST(StoredTreeTest, ChangesAreTheExactDifference) {
  struct Case {
    const char* what;
    std::function<void(StoredTreeBuilder*)> edit;  // applied to the wanted tree after Base
    std::vector<std::string> changes;
  };
  const Case cases[] = {
      {"nothing changed", [](StoredTreeBuilder*) {}, {}},
      {"a value added", [](StoredTreeBuilder* t) { t->WriteDword("Manual\\URLs", "http://d.example/", 4); },
       {"write Manual\\URLs\\http://d.example/"}},
      {"data changed", [](StoredTreeBuilder* t) { t->WriteDword("Manual\\URLs", "http://a.example/", 9); },
       {"write Manual\\URLs\\http://a.example/"}},
      {"type changed", [](StoredTreeBuilder* t) { t->WriteString("", "RegVersion", "3"); }, {"write \\RegVersion"}},
      {"a string changed",
       [](StoredTreeBuilder* t) { t->WriteString("Custom Responses\\Block", "Descript", "Blocked"); },
       {"write Custom Responses\\Block\\Descript"}},
      {"a new key with its parents", [](StoredTreeBuilder* t) { t->WriteDword("Logging\\Deep", "On", 1); },
       {"write Logging\\Deep\\On"}},
  };
  StoredTreeBuilder storedBuilder;
  Base(&storedBuilder);
  const StoredTree stored = std::move(storedBuilder).Build();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StoredTreeBuilder wanted;
    Base(&wanted);
    c.edit(&wanted);
    EXPECT_EQ(Lines(stored.ChangesTo(std::move(wanted).Build())), c.changes);
  }
}

// What only the stored tree holds goes: whole keys at their topmost, single
// values otherwise; a name spelled otherwise is deleted and written anew, a
// key so spelled with everything below it, as a fresh save would spell it.
TEST(StoredTreeTest, WhatTheWantedTreeLacksOrSpellsOtherwiseIsDeleted) {
  struct Case {
    const char* what;
    std::function<void(StoredTreeBuilder*)> stored;  // written before Base
    std::function<void(StoredTreeBuilder*)> wanted;  // written before Base
    std::vector<std::string> changes;
  };
  const auto none = [](StoredTreeBuilder*) {};
  const Case cases[] = {
      {"a stray value", [](StoredTreeBuilder* t) { t->WriteDword("Manual\\Sites", "stray", 1); }, none,
       {"delete Manual\\Sites\\stray"}},
      {"stray keys, nested",
       [](StoredTreeBuilder* t) {
         t->WriteString("Ban List", "1", "x");
         t->WriteString("URL List\\0", "URL", "y");
         t->WriteString("URL List\\1", "URL", "z");
       },
       none, {"delete key Ban List", "delete key URL List"}},
      {"an empty stray key", [](StoredTreeBuilder* t) { t->CreateKey("Empty"); }, none, {"delete key Empty"}},
      {"a value name spelled otherwise",
       [](StoredTreeBuilder* t) { t->WriteDword("Manual\\URLs", "http://A.example/", 1); }, none,
       {"delete Manual\\URLs\\http://A.example/", "write Manual\\URLs\\http://a.example/"}},
      {"a key name spelled otherwise",
       [](StoredTreeBuilder* t) { t->WriteString("Custom Responses\\BLOCK", "Descript", "Block"); }, none,
       {"delete key Custom Responses\\BLOCK", "write Custom Responses\\Block\\Descript"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StoredTreeBuilder stored;
    c.stored(&stored);
    Base(&stored);
    StoredTreeBuilder wanted;
    c.wanted(&wanted);
    Base(&wanted);
    EXPECT_EQ(Lines(std::move(stored).Build().ChangesTo(std::move(wanted).Build())), c.changes);
  }
}

TEST(StoredTreeTest, AnEmptiedKeyGoesWholeAndItsParentOnlyWhenNothingIsLeftInIt) {
  StoredTreeBuilder stored;
  Base(&stored);
  StoredTreeBuilder wanted;
  wanted.WriteDword("", "RegVersion", 3);
  wanted.WriteDword("Manual\\URLs", "http://a.example/", 1);
  wanted.WriteDword("Manual\\URLs", "http://b.example/", 2);
  EXPECT_EQ(Lines(std::move(stored).Build().ChangesTo(std::move(wanted).Build())),
            (std::vector<std::string>{"delete key Custom Responses", "delete key Manual\\Sites"}));
}

// As a fresh key shows two writes of one folded name: the first spelling,
// the last data.
TEST(StoredTreeTest, TwoWritesOfOneFoldedNameKeepTheFirstSpellingAndTheLastData) {
  StoredTreeBuilder builder;
  builder.WriteDword("Custom Responses\\Same", "Code", 2);
  builder.WriteDword("custom responses\\SAME", "code", 9);
  builder.WriteDword("Manual\\URLs", "http://\xC9t\xE9.example/", 1);  // folds with its lower case
  builder.WriteDword("Manual\\URLs", "http://\xE9t\xC9.example/", 5);
  const StoredTree tree = std::move(builder).Build();
  const auto& keys = tree.Keys();
  ASSERT_EQ(keys.count(FoldedName("Custom Responses\\Same")), 1u);
  const StoredTree::Key& same = keys.at(FoldedName("Custom Responses\\Same"));
  EXPECT_EQ(same.Path(), "Custom Responses\\Same");
  ASSERT_EQ(same.ValueCount(), 1u);
  EXPECT_EQ(same.Value(0).name, "Code");
  EXPECT_EQ(same.Value(0).Dword(), 9u);
  EXPECT_EQ(keys.at(FoldedName("Custom Responses")).Path(), "Custom Responses");
  const StoredTree::Key& urls = keys.at(FoldedName("Manual\\URLs"));
  ASSERT_EQ(urls.ValueCount(), 1u);
  EXPECT_EQ(urls.Value(0).name, "http://\xC9t\xE9.example/");
  EXPECT_EQ(urls.Value(0).Dword(), 5u);
}

// The image read back from the registry equals the one its writes were
// built from, strings whatever the backend keeps of their zero.
TEST(StoredTreeTest, ATreeReadBackEqualsTheImageItWasWrittenFrom) {
  const std::string root = "Software\\AVexStoredTreeTest";
  registry::DeleteKeyTree(root);
  StoredTreeBuilder builder;
  Base(&builder);
  builder.WriteString("Update Servers", "Server", std::string("lists\0cut", 9));
  builder.Write("Odd", registry::StoredValue{"Binary", platform::regfile::kTypeBinary, std::string("\0\1\2", 3)});
  const StoredTree image = std::move(builder).Build();
  for (const auto& [folded, key] : image.Keys()) {
    registry::RegistryKey written =
        registry::RegistryKey::ForWriting(key.Path().empty() ? root : root + "\\" + key.Path());
    for (size_t i = 0; i < key.ValueCount(); ++i) {
      const registry::StoredValue value = key.Value(i);
      if (value.type == platform::regfile::kTypeString) {
        ASSERT_TRUE(written.WriteString(value.name, value.data));
      } else {
        ASSERT_TRUE(written.Write(value));
      }
    }
  }
  const StoredTree read = StoredTree::Read(root);
  EXPECT_TRUE(read == image);
  EXPECT_TRUE(read.ChangesTo(image).empty());
  registry::DeleteKeyTree(root);
  EXPECT_TRUE(StoredTree::Read(root).Keys().empty());
}

}  // namespace
}  // namespace avex
