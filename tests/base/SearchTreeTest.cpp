// SearchTreeTest: matching with and without letter case, refused keys, the walk and clearing.
#include "base/SearchTree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string ErrorOfInsert(SearchTree<int>& tree, const char* key)
{
    try {
        tree.Insert(key);
    } catch (const ErrorMsg& e) {
        EXPECT_STREQ(e.className, "SearchTree");
        return e.message;
    }
    return "";
}

std::vector<std::string> WalkKeys(SearchTree<int>& tree)
{
    std::vector<std::string> keys;
    char name[256];
    tree.ResetWalk();
    while (tree.GetNext(name))
        keys.push_back(name);
    return keys;
}

}  // namespace

TEST(SearchTreeTest, IgnoresLetterCaseByDefault)
{
    SearchTree<int> tree;
    int* door = tree.Insert("Door");
    ASSERT_NE(door, nullptr);
    *door = 7;
    EXPECT_EQ(tree.Insert("DOOR"), nullptr);
    EXPECT_EQ(tree.Insert("door"), nullptr);

    struct Case {
        const char* key;
        bool found;
    };
    const Case cases[] = {
        {"door", true}, {"DOOR", true}, {"dOoR", true}, {"Doo", false}, {"Doors", false}, {"D", false},
        {"Poor", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tree.Find(c.key), c.found ? door : nullptr) << c.key;
    EXPECT_EQ(*tree.Find(String("DOOR")), 7);

    // Only ASCII letters fold: '[' and '{' lie 32 apart but are different characters.
    EXPECT_NE(tree.Insert("a["), nullptr);
    EXPECT_NE(tree.Insert("a{"), nullptr);
    EXPECT_NE(tree.Insert("[a"), nullptr);
    EXPECT_NE(tree.Insert("{a"), nullptr);
    EXPECT_EQ(tree.Insert("A["), nullptr);
}

TEST(SearchTreeTest, CaseSensitiveTreeKeepsBothSpellings)
{
    SearchTree<int> tree;
    tree.SetCaseSensitive(true);
    int* mixed = tree.Insert("Door");
    int* upper = tree.Insert("DOOR");
    ASSERT_NE(mixed, nullptr);
    ASSERT_NE(upper, nullptr);
    EXPECT_NE(mixed, upper);
    EXPECT_EQ(tree.Insert("Door"), nullptr);
    EXPECT_EQ(tree.Find("Door"), mixed);
    EXPECT_EQ(tree.Find("DOOR"), upper);
    EXPECT_EQ(tree.Find("door"), nullptr);
    EXPECT_EQ(tree.Find("DOor"), nullptr);
}

TEST(SearchTreeTest, RefusesBadKeys)
{
    SearchTree<int> tree;
    struct Case {
        const char* key;
        const char* message;  // "" = accepted
    };
    const Case cases[] = {
        {"", "Empty name string"},
        {"\tab", "Character in name string out of range: 9"},
        {"\x1f", "Character in name string out of range: 31"},
        {"\x80x", "Character in name string out of range: -128"},
        {"\xff", "Character in name string out of range: -1"},
        {" ", ""},
        {"\x7f", ""},
        {"a\tb", ""},      // only the character that picks the bucket is checked
        {"b\xe4r", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ErrorOfInsert(tree, c.key), c.message) << int(c.key[0]);
    EXPECT_THROW(tree.Find(""), ErrorMsg);
    EXPECT_THROW(tree.Find("\tx"), ErrorMsg);
    EXPECT_EQ(WalkKeys(tree), (std::vector<std::string>{" ", "a\tb", "b\xe4r", "\x7f"}));
}

TEST(SearchTreeTest, ShortAndLongKeysShareTheirBucket)
{
    SearchTree<int> tree;
    EXPECT_EQ(tree.Find("a"), nullptr);  // nothing allocated yet
    int* a = tree.Insert("a");
    int* ab = tree.Insert("ab");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(ab, nullptr);
    EXPECT_EQ(tree.Insert("A"), nullptr);
    EXPECT_EQ(tree.Find("A"), a);
    EXPECT_EQ(tree.Find("aB"), ab);

    // More records than the bucket list's first capacity.
    std::vector<int*> records;
    for (int i = 0; i < 40; i++)
        records.push_back(tree.Insert(String().Format("x%d", i)));
    for (int i = 0; i < 40; i++)
        EXPECT_EQ(tree.Find(String().Format("X%d", i)), records[i]) << i;
}

TEST(SearchTreeTest, WalksBucketsInCharacterOrder)
{
    SearchTree<int> tree;
    EXPECT_EQ(WalkKeys(tree), std::vector<std::string>{});
    for (const char* key : {"b", "a", "ab", "Zed", "1", "~end"})
        *tree.Insert(key) = key[0];
    const std::vector<std::string> expected{"1", "a", "ab", "b", "Zed", "~end"};
    EXPECT_EQ(WalkKeys(tree), expected);
    EXPECT_EQ(tree.GetNext(), nullptr);     // stays at the end
    EXPECT_EQ(WalkKeys(tree), expected);   // a reset starts again

    tree.ResetWalk();
    int* first = tree.GetNext();  // without a buffer
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(*first, '1');

    // At most 255 characters of the key reach the buffer.
    SearchTree<int> longTree;
    std::string longKey(300, 'k');
    longTree.Insert(longKey.c_str());
    EXPECT_EQ(WalkKeys(longTree), std::vector<std::string>{longKey.substr(0, 255)});
}

TEST(SearchTreeTest, ClearEmptiesTheTree)
{
    SearchTree<String> tree;
    tree.Insert("alpha")->Format("%s", "one");
    tree.Insert("beta");
    EXPECT_STREQ(tree.Find("ALPHA")->c_str(), "one");
    tree.Clear();
    EXPECT_EQ(tree.Find("alpha"), nullptr);
    tree.ResetWalk();
    EXPECT_EQ(tree.GetNext(), nullptr);
    EXPECT_NE(tree.Insert("alpha"), nullptr);
    EXPECT_EQ(tree.FindRecord("Alpha")->m_Key, "alpha");  // the key as inserted
}
