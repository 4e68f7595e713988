// Values, variables and scopes: conversions, declarations, local scopes, and the scope format
// inside save games with its golden bytes and damaged variants.
#include "script/VariableStack.h"

#include "support/ErrorOf.h"
#include "base/File.h"
#include "script/ScriptReader.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<uint8_t> Bytes(File& file)
{
    const uint8_t* data = file.GetMemoryBuffer();
    return std::vector<uint8_t>(data, data + file.GetSize());
}

void Reload(File& file, const std::vector<uint8_t>& bytes)
{
    file.CreateMemoryFile(static_cast<int32_t>(bytes.size()) + 1);
    if (!bytes.empty())
        file.Write(bytes.data(), bytes.size());
    file.Seek(0);
}

}  // namespace

TEST(VariableStackTest, ValueConversions)
{
    struct Case {
        double value;
        int32_t integer;
    } cases[] = {
        {3.9, 3}, {-3.9, -3}, {2147483647.9, INT_MAX}, {-2147483648.9, INT_MIN},
        {2147483648.0, INT_MIN}, {1e10, INT_MIN}, {-1e10, INT_MIN}, {NAN, INT_MIN}, {INFINITY, INT_MIN},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScriptValue::DoubleToInt(c.value), c.integer) << c.value;

    ScriptValue f, i, s, target;
    f.SetFloat(7.9);
    i.SetInt(12);
    s.SetString("12");
    target.SetInt(1);
    target.ConvertFrom(f);
    EXPECT_EQ(target.m_Integer, 7);
    target.ConvertFrom(s);
    EXPECT_EQ(target.m_Integer, 0);
    target.SetFloat(0.0);
    target.ConvertFrom(i);
    EXPECT_EQ(target.m_Number, 12.0);
    target.SetString("x");
    target.ConvertFrom(i);
    EXPECT_STREQ(target.m_Text.c_str(), "");
    EXPECT_EQ(target.m_Type, kScriptString);

    ScriptValue a, b;
    EXPECT_TRUE(a.Equals(b));  // Void
    a.SetInt(1);
    b.SetFloat(1.0);
    EXPECT_FALSE(a.Equals(b));  // types differ
    b.SetInt(1);
    EXPECT_TRUE(a.Equals(b));
    a.SetUnevaluated();
    b.SetUnevaluated();
    EXPECT_FALSE(a.Equals(b));
}

TEST(VariableStackTest, DeclarationsAndScopes)
{
    ScriptReader reader;
    ASSERT_TRUE(reader.LoadInline("x;"));
    ScriptValue v;
    reader.GetOrDeclareVariable(v, "g", 0, kScriptInt);
    reader.SetVariable("g", -1, (v.SetInt(1), v));
    EXPECT_TRUE(Contains(ErrorOf([&] { reader.GetOrDeclareVariable(v, "g", 0, kScriptFloat); }),
                         ": Variable 'g' already in stack\n"));
    EXPECT_TRUE(Contains(ErrorOf([&] { reader.GetOrDeclareVariable(v, "big", ScriptStackVariable::kMaxElements + 1, kScriptInt); }),
                         ": Array size 1048577 of variable 'big' exceeds 1048576\n"));
    // the arrays of all scopes together are bounded; a scope that ends gives its elements back
    const int32_t big = ScriptStackVariable::kMaxElements;
    reader.GetOrDeclareVariable(v, "a0", big, kScriptInt);
    for (int32_t depth = 1; depth < 4; depth++) {
        reader.PushScope();
        reader.GetOrDeclareVariable(v, "a", big - (depth == 3 ? 1 : 0), kScriptInt);
    }
    EXPECT_TRUE(Contains(ErrorOf([&] { reader.GetOrDeclareVariable(v, "b", 2, kScriptInt); }),
                         ": Arrays of the script exceed 4194304 elements with variable 'b'\n"));
    reader.GetOrDeclareVariable(v, "b", 1, kScriptInt);
    reader.PopScope();
    reader.GetOrDeclareVariable(v, "c", big, kScriptInt);
    reader.PopScope();
    reader.PopScope();
    EXPECT_EQ(reader.GetGlobalScope().GetElementTotal(), big);
    reader.GetGlobalScope().Clear();
    EXPECT_EQ(reader.GetGlobalScope().GetElementTotal(), 0);
    reader.GetOrDeclareVariable(v, "g", 0, kScriptInt);
    reader.SetVariable("g", -1, (v.SetInt(1), v));

    // names are case-sensitive: "G" is another variable
    reader.GetOrDeclareVariable(v, "G", 0, kScriptString);
    EXPECT_EQ(reader.GetOrDeclareVariable(v, "G", -1, kScriptRead).m_Type, kScriptString);

    // a local hides the global of its name until its scope ends
    reader.PushScope();
    reader.GetOrDeclareVariable(v, "g", 0, kScriptInt);
    EXPECT_TRUE(Contains(ErrorOf([&] { reader.GetOrDeclareVariable(v, "g", 0, kScriptInt); }),
                         ": Variable 'g' already defined\n"));
    reader.SetVariable("g", -1, (v.SetInt(99), v));
    EXPECT_EQ(reader.GetOrDeclareVariable(v, "g", -1, kScriptRead).m_Integer, 99);
    EXPECT_EQ(reader.FindVariable("G", true), nullptr);
    EXPECT_NE(reader.FindVariable("G", false), nullptr);
    reader.PopScope();
    EXPECT_EQ(reader.GetOrDeclareVariable(v, "g", -1, kScriptRead).m_Integer, 1);

    // without the game's callbacks an unknown name cannot be answered
    EXPECT_TRUE(Contains(ErrorOf([&] { reader.GetOrDeclareVariable(v, "nope", -1, kScriptRead); }),
                         ": Callback functions not set\n"));

    // stores by the target's type
    reader.GetOrDeclareVariable(v, "vd", 0, kScriptVoid);
    reader.GetOrDeclareVariable(v, "st", 0, kScriptString);
    reader.GetOrDeclareVariable(v, "fl", 2, kScriptFloat);
    reader.GetOrDeclareVariable(v, "va", 3, kScriptVoid);
    ScriptValue none, text, number;
    text.SetString("t");
    number.SetFloat(-3.9);
    struct Case {
        const char* name;
        int32_t index;
        const ScriptValue* value;
        const char* message;
    } cases[] = {
        {"vd", -1, &number, "Void variables can not be set"},
        {"g", -1, &none, "Variables can not be set 'Void'"},
        {"g", -1, &text, "Can not convert 'String' to 'Int'"},
        {"fl", 1, &text, "Can not convert 'String' to 'Float'"},
        {"st", -1, &number, "Can not convert 'Float' to 'String'"},
        {"st", 0, &number, "Invalid string position 0 in variable 'st'"},
        {"fl", 2, &number, "Index out of range: 2"},
        {"va", 2, &number, "Void variables can not be set"},
        {"va", 3, &number, "Index out of range: 3"},
        {"g", 0, &number, "Variable 'g' is none array"},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(Contains(ErrorOf([&] { reader.SetVariable(c.name, c.index, *c.value); }), std::string(": ") + c.message + "\n"))
            << c.message;
    reader.SetVariable("g", -1, number);
    EXPECT_EQ(reader.GetOrDeclareVariable(v, "g", -1, kScriptRead).m_Integer, -3);
    reader.SetVariable("st", -1, text);
    reader.SetVariable("st", 0, (v.SetString("xy"), v));
    EXPECT_STREQ(reader.GetOrDeclareVariable(v, "st", -1, kScriptRead).m_Text.c_str(), "xy");
    EXPECT_TRUE(Contains(ErrorOf([&] { reader.SetVariable("st", 1, number); }), ": String elements can only be set to characters\n"));
    EXPECT_EQ(reader.GetOrDeclareVariable(v, "va", 2, kScriptRead).m_Type, kScriptVoid);
    EXPECT_TRUE(Contains(ErrorOf([&] { reader.GetOrDeclareVariable(v, "va", 3, kScriptRead); }),
                         ": Index 3 out of range for variable 'va'\n"));
}

TEST(VariableStackTest, SavedIntArrayBytes)
{
    VariableStack scope;
    ScriptStackVariable* a = scope.AddVariable("a", kScriptInt, 3);
    ASSERT_NE(a, nullptr);
    a->m_Elements[0].m_Integer = 1;
    a->m_Elements[1].m_Integer = -2;
    a->m_Elements[2].m_Integer = 0x01020304;
    File file;
    file.CreateMemoryFile(64);
    scope.Save(file);
    const std::vector<uint8_t> expected = {
        1, 0, 0, 0,                    // one variable
        1, 0, 0, 0, 'a',               // name
        3, 0, 0, 0,                    // element count
        1,                             // type Int
        1, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 4, 3, 2, 1,
    };
    EXPECT_EQ(Bytes(file), expected);
}

TEST(VariableStackTest, RoundTripOfEveryType)
{
    VariableStack scope;
    scope.AddVariable("void", kScriptVoid, 0);
    scope.AddVariable("i", kScriptInt, 0)->m_Integer = -7;
    scope.AddVariable("f", kScriptFloat, 0)->m_Number = 0.1;
    scope.AddVariable("s", kScriptString, 0)->m_Text = "text";
    scope.AddVariable("e", kScriptString, 0);
    ScriptStackVariable* ia = scope.AddVariable("ia", kScriptInt, 2);
    ia->m_Elements[1].m_Integer = 5;
    ScriptStackVariable* fa = scope.AddVariable("fa", kScriptFloat, 2);
    fa->m_Elements[0].m_Number = -1e300;
    ScriptStackVariable* sa = scope.AddVariable("sa", kScriptString, 3);
    sa->m_Elements[2].m_Text = "last";
    File file;
    file.CreateMemoryFile(256);
    scope.Save(file);
    std::vector<uint8_t> saved = Bytes(file);

    // loaded over a scope that holds "i" as a Float array: the stored record replaces it whole
    VariableStack loaded;
    loaded.AddVariable("i", kScriptFloat, 4);
    loaded.AddVariable("keep", kScriptInt, 0)->m_Integer = 3;
    Reload(file, saved);
    loaded.Load(file, false);
    EXPECT_EQ(loaded.GetVariableCount(), 9);
    EXPECT_EQ(loaded.GetElementTotal(), 2 + 2 + 3);  // the 4 elements of the old "i" are gone
    EXPECT_EQ(loaded.FindVariable("keep")->m_Integer, 3);
    ScriptStackVariable* i = loaded.FindVariable("i");
    EXPECT_EQ(i->m_Type, kScriptInt);
    EXPECT_EQ(i->m_ElementCount, 0);
    EXPECT_EQ(i->m_Elements, nullptr);
    EXPECT_EQ(i->m_Integer, -7);
    EXPECT_EQ(loaded.FindVariable("void")->m_Type, kScriptVoid);
    EXPECT_EQ(loaded.FindVariable("f")->m_Number, 0.1);
    EXPECT_STREQ(loaded.FindVariable("s")->m_Text.c_str(), "text");
    EXPECT_STREQ(loaded.FindVariable("e")->m_Text.c_str(), "");
    EXPECT_EQ(loaded.FindVariable("ia")->m_Elements[1].m_Integer, 5);
    EXPECT_EQ(loaded.FindVariable("fa")->m_Elements[0].m_Number, -1e300);
    EXPECT_EQ(loaded.FindVariable("sa")->m_ElementCount, 3);
    EXPECT_STREQ(loaded.FindVariable("sa")->m_Elements[2].m_Text.c_str(), "last");

    // saved again, the same bytes (the walk order is the tree's)
    VariableStack again;
    Reload(file, saved);
    again.Load(file, true);
    file.CreateMemoryFile(256);
    again.Save(file);
    EXPECT_EQ(Bytes(file), saved);
}

TEST(VariableStackTest, DamagedScopesAreRefused)
{
    VariableStack scope;
    scope.AddVariable("ia", kScriptInt, 2);
    scope.AddVariable("s", kScriptString, 0)->m_Text = "abc";
    File file;
    file.CreateMemoryFile(64);
    scope.Save(file);
    const std::vector<uint8_t> saved = Bytes(file);

    // every truncation fails with an error instead of a short or oversized read
    for (size_t n = 0; n < saved.size(); n++) {
        VariableStack loaded;
        Reload(file, std::vector<uint8_t>(saved.begin(), saved.begin() + static_cast<std::ptrdiff_t>(n)));
        EXPECT_NE(ErrorOf([&] { loaded.Load(file, true); }), "no error") << n << " bytes";
    }

    struct Case {
        std::vector<uint8_t> bytes;
        const char* message;
    } cases[] = {
        {{0xFF, 0xFF, 0xFF, 0x7F}, "variable count 2147483647 exceeds the 0 bytes left"},
        {{1, 0, 0, 0, 1, 0, 0, 0, 'x', 0xFF, 0xFF, 0xFF, 0x7F, 1, 0, 0, 0, 0},
         "element count 2147483647 of 'x' exceeds the 4 bytes left"},
        {{1, 0, 0, 0, 1, 0, 0, 0, 'x', 0, 0, 0, 0, 7}, "ScriptStackVariable: Wrong variable data type"},
        {{1, 0, 0, 0, 1, 0, 0, 0, 'x', 0, 0, 0, 0x10, 0}, "element count 268435456 of 'x' exceeds"},
        {{1, 0, 0, 0, 1, 0, 0, 0, 'x', 0x40, 0x42, 0x0F, 0, 1}, "element count 1000000 of 'x' exceeds the 0 bytes left"},
    };
    for (const Case& c : cases) {
        VariableStack loaded;
        Reload(file, c.bytes);
        EXPECT_TRUE(Contains(ErrorOf([&] { loaded.Load(file, true); }), c.message)) << c.message;
    }

    // a record whose name the tree cannot hold is skipped
    VariableStack loaded;
    Reload(file, {2, 0, 0, 0, 1, 0, 0, 0, '\t', 0, 0, 0, 0, 1, 5, 0, 0, 0, 1, 0, 0, 0, 'y', 0, 0, 0, 0, 1, 6, 0, 0, 0});
    loaded.Load(file, true);
    EXPECT_EQ(loaded.GetVariableCount(), 1);
    EXPECT_EQ(loaded.FindVariable("y")->m_Integer, 6);
}

// Void elements take no bytes: many large Void arrays in a few bytes are refused, not allocated.
TEST(VariableStackTest, VoidArraysAreBoundedInAll)
{
    auto scope = [](std::vector<int32_t> counts) {
        File f;
        f.CreateMemoryFile(0);
        f.WriteInt32(static_cast<int32_t>(counts.size()));
        for (size_t i = 0; i < counts.size(); i++) {
            f.WriteString(std::string(1, static_cast<char>('a' + i)).c_str());
            f.WriteInt32(counts[i]);
            f.WriteInt8(kScriptVoid);
        }
        return Bytes(f);
    };
    constexpr int32_t kHalf = ScriptStackVariable::kMaxElements / 2;
    File file;
    VariableStack fits;
    Reload(file, scope({kHalf, kHalf}));
    fits.Load(file, true);
    EXPECT_EQ(fits.GetVariableCount(), 2);
    EXPECT_EQ(fits.FindVariable("b")->m_ElementCount, kHalf);
    File saved;
    saved.CreateMemoryFile(0);
    fits.Save(saved);
    EXPECT_EQ(Bytes(saved), scope({kHalf, kHalf}));  // a Void array saves as its count alone

    VariableStack tooMany;
    Reload(file, scope({kHalf, kHalf, 1}));
    EXPECT_TRUE(Contains(ErrorOf([&] { tooMany.Load(file, true); }), "Void arrays of more than 1048576 elements"));
}
