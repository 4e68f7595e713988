// Plans of simple constructs: where a value turns Void the passes decide again, and passing over
// kept by its first token still stops at the nesting limit.
#include "ScriptTestRunner.h"

#include "script/ScriptReader.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// "flip" reads as the Int 5 and as Void by turns; a minus after a Void value is a unary minus,
// so the same construct is read otherwise the second time.
int32_t g_FlipReads = 0;
ScriptValue* GetFlip(ScriptValue* result, const char* name, int32_t)
{
    if (std::strcmp(name, "flip") == 0 && g_FlipReads++ % 2 == 0)
        result->SetInt(5);
    else
        result->SetVoid();
    return result;
}
ScriptValue* NoFunction(ScriptValue* result, const char*, ScriptValue*, int32_t) { return result; }
void NoStore(const char*, int32_t, ScriptValue*) {}

class PlainReader : public ScriptReader {
public:
    PlainReader() { m_UseShortcuts = false; }
};

std::string RunFlip(ScriptReader& reader, const char* source)
{
    g_FlipReads = 0;
    reader.SetThreaded(false);
    EXPECT_TRUE(reader.LoadInline(source));
    reader.SetGameCallbacks(ScriptGameCallbacks{GetFlip, NoFunction, NoStore});
    return ErrorOf([&] { reader.Execute(); });
}

// A reader whose nesting a test may set, as if the construct stood deeper.
class NestingReader : public ScriptReader {
public:
    void Use(const std::string& text)
    {
        Clear();
        SetText(text.data(), static_cast<int32_t>(text.size()));
        AddFileName(String("nest"), -1);
        BuildLineTable();
    }
    void SetNesting(int32_t nesting) { m_Nesting = nesting; }
};

}  // namespace

TEST(ScriptPlansTest, VoidOperandsAreReadByThePasses)
{
    const char* source = "int i;\r\nint r = 0;\r\nfor (i = 0; i < 4; i++)\r\n  r = flip - 1;\r\nreturn r;";
    PlainReader plain;
    std::string read = RunFlip(plain, source);
    EXPECT_NE(read.find("line: 4: Operator '=' not applicable on 'Void'"), std::string::npos) << read;
    ScriptReader reader;
    EXPECT_EQ(RunFlip(reader, source), read);
    EXPECT_EQ(g_FlipReads, 2);  // the second reading of flip ended the run
}

TEST(ScriptPlansTest, KeptPassingOverKeepsTheNestingLimit)
{
    const std::string deep = std::string(200, '(') + std::string(200, ')') + "; x";
    NestingReader reader;
    reader.Use(deep);
    EXPECT_EQ(reader.SkipStatement(kModeStatement), 0);
    int32_t end = reader.GetReadPos();
    for (int32_t nesting : {50, 55}) {  // 55 + 1 + 200 levels stay within 256
        reader.SetReadPos(0);
        reader.SetNesting(nesting);
        EXPECT_EQ(reader.SkipStatement(kModeStatement), 0);
        EXPECT_EQ(reader.GetReadPos(), end);
    }
    reader.SetReadPos(0);
    reader.SetNesting(56);
    EXPECT_NE(ErrorOf([&] { reader.SkipStatement(kModeStatement); }).find("Nesting too deep"), std::string::npos);
}
