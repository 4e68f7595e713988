// Tokens, keywords and passing over code of the script reader.
#include "script/ScriptReader.h"

#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

// A reader over the text without include expansion (so that any text can be tokenised).
class LexReader : public ScriptReader {
public:
    void Use(const std::string& text)
    {
        Clear();
        SetText(text.data(), static_cast<int32_t>(text.size()));
        AddFileName(String("lex"), -1);
        BuildLineTable();
    }
    void SetNesting(int32_t nesting) { m_Nesting = nesting; }  // as if the text stood deeper
};

// "code:text" of every token, separated by blanks.
std::string Tokens(LexReader& reader, const std::string& text)
{
    reader.Use(text);
    std::string out;
    String token;
    for (int32_t code; (code = reader.GetToken(token)) != kTokenEnd;)
        out += (out.empty() ? "" : " ") + std::to_string(code) + ":" + token.c_str();
    return out;
}

// The message part of a reader error: what stands between "line: N: " and the blank line.
std::string MessageOf(const std::string& report)
{
    size_t start = report.find(": ", report.find("line: ") + 6);
    size_t end = report.find("\n\n");
    return start == std::string::npos ? report : report.substr(start + 2, end - start - 2);
}

}  // namespace

TEST(ScriptLexerTest, TokenTable)
{
    const std::string longName(300, 'n');
    struct Case {
        std::string text;
        std::string tokens;
    } cases[] = {
        {"a+=1", "5:a 2:+= 1:1"},
        {"a+ =1", "5:a 2:+ 2:= 1:1"},
        {"x--y", "5:x 2:-- 5:y"},
        {">=<=!=^=&=%=|=*=/=-=~=", "2:>= 2:<= 2:!= 2:^= 2:&= 2:%= 2:|= 2:*= 2:/= 2:-= 2:~="},
        {"++==||&&", "2:++ 2:== 2:|| 2:&&"},
        {"~x ~ =", "2:~ 5:x 2:~ 2:="},
        {"a=-b", "5:a 2:= 2:- 5:b"},
        {"f (x) g[1] h", "3:f 2:( 5:x 2:) 4:g 2:[ 1:1 2:] 5:h"},
        {"a /* c */ [0]", "4:a 2:[ 1:0 2:]"},
        {"a // to the CR\r b", "5:a 5:b"},
        {"a // a lone LF ends it too\n b", "5:a 5:b"},
        {"a // CR LF\r\n b // at the end", "5:a 5:b"},
        {".5", "2:. 1:5"},
        {"1.2.3", "1:1.2.3"},
        {"1e+5x", "1:1e+5 5:x"},
        {"2E-3 4e5e6", "1:2E-3 1:4e5 5:e6"},
        {"\"a\\qb\\n\\\\\\\"c\"", "6:aqb\n\\\"c"},
        {"\"two\r\nlines\"", "6:two\r\nlines"},
        {"\"\"", "6:"},
        {"# include \"f\"", "7:include 6:f"},
        {"int x_1", "5:int 5:x_1"},
        {longName, "5:" + longName.substr(0, 256) + " 5:" + longName.substr(256)},
    };
    LexReader reader;
    for (const Case& c : cases)
        EXPECT_EQ(Tokens(reader, c.text), c.tokens) << c.text;
}

TEST(ScriptLexerTest, TokenErrors)
{
    struct Case {
        std::string text;
        std::string message;
    } cases[] = {
        {"\"abc", "End of file in string"},
        {"\"ab\\", "unexpected end of file"},
        {"a $", "Encountered invalid character: $ (36)"},
        {"a /* open", "Missing '*/'"},
    };
    LexReader reader;
    for (const Case& c : cases)
        EXPECT_EQ(MessageOf(ErrorOf([&] { Tokens(reader, c.text); })), c.message) << c.text;
    reader.Use("");
    EXPECT_EQ(MessageOf(ErrorOf([&] { reader.PeekChar(); })), "unexpected end of file");
}

// An unclosed comment is reported on the line where it opens (lines end at CR).
TEST(ScriptLexerTest, UnclosedCommentNamesItsFirstLine)
{
    struct Case {
        std::string text;
        int32_t line;
    } cases[] = {
        {"/* open", 1},
        {"a = 1; /* open\r\nb", 1},
        {"a\r\nb\r\n/* open\r\nc", 3},
        {"a\r\n\r\n  /* x */ b /* y", 3},
        {"// c\r\n/*", 2},
    };
    LexReader reader;
    for (const Case& c : cases) {
        std::string report = ErrorOf([&] { Tokens(reader, c.text); });
        EXPECT_EQ(report.substr(0, report.find("\n\n")),
                  "file:'lex', line: " + std::to_string(c.line) + ": Missing '*/'")
            << c.text;
    }
}

TEST(ScriptLexerTest, Keywords)
{
    const char* words[] = {"if",  "else", "while", "continue", "break", "return", "exit",   "do",
                           "for", "switch", "case", "default", "int",   "float",  "string", "void"};
    for (int32_t i = 0; i < 16; i++)
        EXPECT_EQ(ScriptReader::GetKeyword(words[i]), i + 1) << words[i];
    EXPECT_EQ(ScriptReader::GetKeyword("If"), 0);
    EXPECT_EQ(ScriptReader::GetKeyword("iff"), 0);
    EXPECT_EQ(ScriptReader::GetKeyword(""), 0);
}

TEST(ScriptLexerTest, SkipStatement)
{
    struct Case {
        std::string text;
        int32_t mode;
        int32_t status;
        std::string next;  // the token after the construct
    } cases[] = {
        {"if (a) {} else x = 1; y", kModeStatement, 0, "y"},
        {"if (a) x = 1; y = 2;", kModeStatement, 0, "y"},
        {"if (a) x; else if (b) { y; } else z; w", kModeStatement, 0, "w"},
        {"if (a) x; ++y; z", kModeStatement, 0, "z"},
        {"if (a) x; else y; (z); w", kModeStatement, 0, "w"},
        {"if (a) x;", kModeStatement, 0, ""},
        {"while (a) { b; } c = 1; d", kModeStatement, 0, "d"},
        {"while (a) b++ } c", kModeStatement, 0, "}"},
        {"s = \";}\"; t", kModeStatement, 0, "t"},
        {"x = 1", kModeStatement, kStatusEndOfText, ""},
        {"a, (b)) c", kModeParen, kModeParen, "c"},
        {"a; { b; } } c", kModeBlock, kModeBlock, "c"},
        {"a[1]] c", kModeIndex, kModeIndex, "c"},
        {"a, b)", kModeArgument, kModeArgument, "b"},
        {"f(a, b)) c", kModeArgument, kModeParen, "c"},
        {"\"),\" , x", kModeArgument, kModeArgument, "x"},
        {"a; b", kModeArgument, 0, "b"},
        {"1 + (2): x", kModeCase, kModeCase, "x"},
    };
    LexReader reader;
    String token;
    for (const Case& c : cases) {
        reader.Use(c.text);
        EXPECT_EQ(reader.SkipStatement(c.mode), c.status) << c.text;
        reader.GetToken(token);
        EXPECT_EQ(std::string(token.c_str()), c.next) << c.text;
    }
}

TEST(ScriptLexerTest, SkipStatementErrors)
{
    struct Case {
        std::string text;
        int32_t mode;
        std::string message;
    } cases[] = {
        {"x = 1 }", kModeStatement, "Encountered invalid '}'"},
        {"x = (1 ];", kModeStatement, "Encountered invalid ']'"},
        {"else x;", kModeStatement, "Misplaced 'else'"},
        {"if x;", kModeStatement, "Keyword 'if' without paramters"},
        {"a ]", kModeParen, "Encountered invalid ']'"},
        {"a", kModeParen, "Unexpected end of file: Missing ')'"},
        {"a", kModeBlock, "Unexpected end of file: Missing '}'"},
        {"a", kModeIndex, "Unexpected end of file: Missing ']'"},
        {"a", kModeArgument, "Unexpected end of file"},
        {"a", kModeCase, "Unexpected end of file: Missing ':'"},
        {std::string(300, '(') + std::string(300, ')'), kModeStatement, "Nesting too deep: more than 256 levels of (), [] and {}"},
    };
    LexReader reader;
    for (const Case& c : cases) {
        reader.Use(c.text);
        EXPECT_EQ(MessageOf(ErrorOf([&] { reader.SkipStatement(c.mode); })), c.message) << c.text;
    }
}

TEST(ScriptLexerTest, FindNextBlockName)
{
    LexReader reader;
    String name;
    reader.Use("(case) { case 1: } [case] x = f(default); default: } tail");
    EXPECT_EQ(reader.FindNextBlockName(name), kTokenName);
    EXPECT_STREQ(name.c_str(), "x");
    EXPECT_EQ(reader.FindNextBlockName(name), kTokenCall);
    EXPECT_STREQ(name.c_str(), "f");
    EXPECT_EQ(reader.FindNextBlockName(name), kTokenName);
    EXPECT_STREQ(name.c_str(), "default");
    EXPECT_EQ(reader.FindNextBlockName(name), 0);
    EXPECT_EQ(reader.FindNextBlockName(name), kTokenName);  // "tail", outside: the caller's business
    EXPECT_EQ(reader.FindNextBlockName(name), kTokenEnd);

    reader.Use("(a)) }");
    EXPECT_EQ(MessageOf(ErrorOf([&] { reader.FindNextBlockName(name); })), "Invalid () block found");
    reader.Use("[a }");
    EXPECT_EQ(MessageOf(ErrorOf([&] { reader.FindNextBlockName(name); })), "Invalid [] block found");
}

// Passing over is kept by its first token, but not past the nesting limit where it stands now.
TEST(ScriptLexerTest, KeptPassingOverKeepsTheNestingLimit)
{
    const std::string deep = std::string(200, '(') + std::string(200, ')') + "; x";
    LexReader reader;
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
