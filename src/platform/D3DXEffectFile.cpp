// D3DXEffectFile: the effect file reader. It reads the declarations of an effect file into an
// effect's table and skips every shader body unread.
//
// What is read, at the top level:
//   [modifiers] type name [ '[' count ']' ] [ ':' SEMANTIC ] [ '<' annotations '>' ] [ '=' value ] ';'
//       a global parameter (static ones are read and dropped, as D3DX hides them); several names
//       may share one type, separated by commas;
//   [modifiers] type name '(' ... ')' [ ':' SEMANTIC ] '{' ... '}'   a function, skipped;
//   struct name '{' ... '}' ';'   a struct type, skipped (parameters of it keep no members);
//   technique [name] [ '<' annotations '>' ] '{' pass [name] [ '<' annotations '>' ] '{' states '}' ... '}'
// Annotations are 'type name = value;' with a string, a number, a list in braces or a
// constructor such as float4(0, 0, 0, 1). In a pass, "VertexShader" and "PixelShader" take
// 'compile <profile> <function>(...)', NULL, an 'asm { <profile> ... }' block or a shader
// variable; every other state is skipped to its ';'. Preprocessor lines are skipped, never run.
//
// Limits, so a hostile file cannot make the reader allocate without bound: 1 MiB of text, 4096
// parameters, 256 annotations per entry, 256 techniques of 64 passes, 65536 elements per array
// and 1 << 22 values in all, and braces nested 64 deep in a value.
#include "platform/D3DXEffect.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <strings.h>

namespace {

constexpr size_t kMaxTextBytes = size_t(1) << 20;
constexpr size_t kMaxParameters = 4096;
constexpr size_t kMaxAnnotations = 256;
constexpr size_t kMaxTechniques = 256;
constexpr size_t kMaxPasses = 64;
constexpr uint32_t kMaxElements = 65536;
constexpr size_t kMaxValues = size_t(1) << 22;
constexpr int kMaxDepth = 64;

struct Token {
    enum Kind : uint8_t { End, Ident, Number, Text, Punct } kind = End;
    std::string text;
    int line = 1;
    int column = 1;
};

bool Is(const Token& t, const char* text)
{
    return (t.kind == Token::Ident || t.kind == Token::Punct) && t.text == text;
}

bool IsNoCase(const Token& t, const char* text)
{
    return t.kind == Token::Ident && strcasecmp(t.text.c_str(), text) == 0;
}

// The scanner: identifiers, numbers, strings and single punctuation characters; comments and
// preprocessor lines are dropped.
class Scanner {
public:
    Scanner(const char* text, size_t size) : m_Text(text), m_Size(size) {}

    // False with the position and the fault when the text cannot be cut into tokens.
    bool Run(std::vector<Token>& out, std::string& fault, int& line, int& column)
    {
        bool lineStart = true;
        while (m_Pos < m_Size) {
            const char c = m_Text[m_Pos];
            if (c == '\n') {
                Advance();
                lineStart = true;
                continue;
            }
            if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                Advance();
                continue;
            }
            if (c == '#' && lineStart) {  // a preprocessor line (with its continuations)
                while (m_Pos < m_Size && m_Text[m_Pos] != '\n') {
                    if (m_Text[m_Pos] == '\\' && m_Pos + 1 < m_Size && m_Text[m_Pos + 1] == '\n')
                        Advance();
                    Advance();
                }
                continue;
            }
            lineStart = false;
            if (c == '/' && Peek(1) == '/') {
                while (m_Pos < m_Size && m_Text[m_Pos] != '\n')
                    Advance();
                continue;
            }
            Token t;
            t.line = m_Line;
            t.column = m_Column;
            if (c == '/' && Peek(1) == '*') {
                Advance();
                Advance();
                while (m_Pos < m_Size && !(m_Text[m_Pos] == '*' && Peek(1) == '/'))
                    Advance();
                if (m_Pos >= m_Size)
                    return Fail("unterminated comment", t, fault, line, column);
                Advance();
                Advance();
                continue;
            }
            if (c == '"') {
                Advance();
                t.kind = Token::Text;
                while (m_Pos < m_Size && m_Text[m_Pos] != '"' && m_Text[m_Pos] != '\n') {
                    if (m_Text[m_Pos] == '\\' && m_Pos + 1 < m_Size)
                        Advance();
                    t.text += m_Text[m_Pos];
                    Advance();
                }
                if (m_Pos >= m_Size || m_Text[m_Pos] != '"')
                    return Fail("unterminated string", t, fault, line, column);
                Advance();
            } else if (IsIdentStart(c)) {
                t.kind = Token::Ident;
                while (m_Pos < m_Size && (IsIdentStart(m_Text[m_Pos]) || IsDigit(m_Text[m_Pos])))
                    TakeInto(t);
            } else if (IsDigit(c) || (c == '.' && IsDigit(Peek(1)))) {
                t.kind = Token::Number;
                while (m_Pos < m_Size) {
                    const char d = m_Text[m_Pos];
                    const bool exponentSign =
                        (d == '+' || d == '-') && !t.text.empty() && (t.text.back() == 'e' || t.text.back() == 'E') &&
                        t.text.rfind("0x", 0) != 0;
                    if (!(IsDigit(d) || IsIdentStart(d) || d == '.' || exponentSign))
                        break;
                    TakeInto(t);
                }
            } else if (std::strchr("{}()[]<>;:,=+-*/!&|.?%^~", c)) {
                t.kind = Token::Punct;
                TakeInto(t);
            } else {
                char shown[32];
                std::snprintf(shown, sizeof shown, "invalid character 0x%02x", unsigned(uint8_t(c)));
                return Fail(shown, t, fault, line, column);
            }
            out.push_back(std::move(t));
        }
        Token end;
        end.line = m_Line;
        end.column = m_Column;
        out.push_back(end);
        return true;
    }

private:
    static bool IsIdentStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
    char Peek(size_t n) const { return m_Pos + n < m_Size ? m_Text[m_Pos + n] : '\0'; }
    void Advance()
    {
        if (m_Text[m_Pos] == '\n') {
            m_Line++;
            m_Column = 1;
        } else {
            m_Column++;
        }
        m_Pos++;
    }
    void TakeInto(Token& t)
    {
        t.text += m_Text[m_Pos];
        Advance();
    }
    static bool Fail(const char* what, const Token& at, std::string& fault, int& line, int& column)
    {
        fault = what;
        line = at.line;
        column = at.column;
        return false;
    }

    const char* m_Text;
    size_t m_Size;
    size_t m_Pos = 0;
    int m_Line = 1;
    int m_Column = 1;
};

// What a type name declares.
struct TypeInfo {
    D3DXPARAMETER_CLASS paramClass = D3DXPC_SCALAR;
    D3DXPARAMETER_TYPE type = D3DXPT_VOID;
    uint32_t rows = 0;
    uint32_t columns = 0;
    bool isVoid = false;
};

bool ScalarType(const std::string& base, D3DXPARAMETER_TYPE& type)
{
    static const struct {
        const char* name;
        D3DXPARAMETER_TYPE type;
    } kScalars[] = {{"float", D3DXPT_FLOAT}, {"half", D3DXPT_FLOAT}, {"double", D3DXPT_FLOAT},
                    {"int", D3DXPT_INT},     {"uint", D3DXPT_INT},  {"dword", D3DXPT_INT},
                    {"bool", D3DXPT_BOOL}};
    for (const auto& s : kScalars)
        if (base == s.name) {
            type = s.type;
            return true;
        }
    return false;
}

// "float", "float3", "float4x4" and their kin; the objects; a struct declared before.
bool ReadType(const Token& t, const std::set<std::string>& structs, TypeInfo& info)
{
    if (t.kind != Token::Ident)
        return false;
    const std::string& n = t.text;
    static const struct {
        const char* name;
        D3DXPARAMETER_TYPE type;
    } kObjects[] = {{"string", D3DXPT_STRING},         {"texture", D3DXPT_TEXTURE},
                    {"texture1D", D3DXPT_TEXTURE1D},   {"texture2D", D3DXPT_TEXTURE2D},
                    {"texture3D", D3DXPT_TEXTURE3D},   {"textureCUBE", D3DXPT_TEXTURECUBE},
                    {"sampler", D3DXPT_SAMPLER},       {"sampler1D", D3DXPT_SAMPLER1D},
                    {"sampler2D", D3DXPT_SAMPLER2D},   {"sampler3D", D3DXPT_SAMPLER3D},
                    {"samplerCUBE", D3DXPT_SAMPLERCUBE}, {"PixelShader", D3DXPT_PIXELSHADER},
                    {"VertexShader", D3DXPT_VERTEXSHADER}};
    for (const auto& o : kObjects)
        if (strcasecmp(n.c_str(), o.name) == 0) {
            info.paramClass = D3DXPC_OBJECT;
            info.type = o.type;
            info.rows = info.columns = 1;
            return true;
        }
    if (n == "void") {
        info.isVoid = true;
        return true;
    }
    if (n == "matrix" || n == "vector") {
        info.type = D3DXPT_FLOAT;
        info.paramClass = n == "matrix" ? D3DXPC_MATRIX_ROWS : D3DXPC_VECTOR;
        info.rows = n == "matrix" ? 4 : 1;
        info.columns = 4;
        return true;
    }
    if (structs.count(n)) {
        info.paramClass = D3DXPC_STRUCT;
        info.type = D3DXPT_VOID;
        info.rows = info.columns = 1;
        return true;
    }
    size_t digits = n.size();
    while (digits > 0 && (std::isdigit(uint8_t(n[digits - 1])) || n[digits - 1] == 'x'))
        digits--;
    if (!ScalarType(n.substr(0, digits), info.type))
        return false;
    const std::string shape = n.substr(digits);
    if (shape.empty()) {
        info.paramClass = D3DXPC_SCALAR;
        info.rows = info.columns = 1;
    } else if (shape.size() == 1 && shape[0] >= '1' && shape[0] <= '4') {
        info.paramClass = D3DXPC_VECTOR;
        info.rows = 1;
        info.columns = uint32_t(shape[0] - '0');
    } else if (shape.size() == 3 && shape[0] >= '1' && shape[0] <= '4' && shape[1] == 'x' && shape[2] >= '1' &&
               shape[2] <= '4') {
        info.paramClass = D3DXPC_MATRIX_ROWS;
        info.rows = uint32_t(shape[0] - '0');
        info.columns = uint32_t(shape[2] - '0');
    } else {
        return false;
    }
    return true;
}

// "vs_2_0", "ps_3_0", "ps_2_b": the version word; 0 for a name that is no profile.
DWORD ProfileVersion(const std::string& name, bool vertex)
{
    if (name.size() < 6 || name.compare(0, 3, vertex ? "vs_" : "ps_") != 0 || name[4] != '_')
        return 0;
    const char major = name[3];
    const std::string minor = name.substr(5);
    if (major < '1' || major > '3')
        return 0;
    uint32_t minorNumber;
    if (minor.size() == 1 && minor[0] >= '0' && minor[0] <= '4')
        minorNumber = uint32_t(minor[0] - '0');
    else if (major == '2' && (minor == "a" || minor == "b" || minor == "sw"))
        minorNumber = 1;  // the extended 2.x profiles ask more than 2.0 and less than 3.0
    else
        return 0;
    return (vertex ? 0xFFFE0000u : 0xFFFF0000u) | (uint32_t(major - '0') << 8) | minorNumber;
}

class EffectReader {
public:
    EffectReader(ID3DXEffect& effect, std::vector<Token>& tokens) : m_Effect(effect), m_Tokens(tokens) {}

    bool Run()
    {
        while (Here().kind != Token::End) {
            if (Is(Here(), ";")) {
                m_Pos++;
                continue;
            }
            if (Is(Here(), "technique")) {
                if (!ReadTechnique())
                    return false;
            } else if (Is(Here(), "struct")) {
                if (!ReadStruct())
                    return false;
            } else if (!ReadDeclaration()) {
                return false;
            }
        }
        return true;
    }

    const Token& FaultToken() const { return m_FaultAt; }
    const std::string& Fault() const { return m_Fault; }
    const std::string& FaultCode() const { return m_Code; }

private:
    const Token& Here() const { return m_Tokens[m_Pos]; }
    const Token& Next(size_t n = 1) const { return m_Tokens[std::min(m_Pos + n, m_Tokens.size() - 1)]; }
    void Step()
    {
        if (Here().kind != Token::End)
            m_Pos++;
    }

    bool Fail(const std::string& what, const char* code = "X3000")
    {
        m_FaultAt = Here();
        m_Fault = what;
        m_Code = code;
        return false;
    }
    bool Unexpected()
    {
        const Token& t = Here();
        return Fail(t.kind == Token::End ? "syntax error: unexpected end of file"
                                         : "syntax error: unexpected token '" + t.text + "'");
    }
    bool Expect(const char* text)
    {
        if (!Is(Here(), text))
            return Unexpected();
        Step();
        return true;
    }
    bool ExpectName(std::string& name)
    {
        if (Here().kind != Token::Ident)
            return Unexpected();
        name = Here().text;
        Step();
        return true;
    }

    // Skips a bracketed group starting at the opening bracket, nesting counted, unread.
    bool SkipGroup(const char* open, const char* close)
    {
        if (!Expect(open))
            return false;
        for (int depth = 1; depth > 0;) {
            if (Here().kind == Token::End)
                return Unexpected();
            if (Is(Here(), open))
                depth++;
            else if (Is(Here(), close))
                depth--;
            Step();
        }
        return true;
    }

    // Skips to the ';' that ends a statement, over any brackets; the ';' stays.
    bool SkipToSemicolon()
    {
        int depth = 0;
        while (!(depth == 0 && Is(Here(), ";"))) {
            if (Here().kind == Token::End)
                return Unexpected();
            if (Is(Here(), "(") || Is(Here(), "{") || Is(Here(), "["))
                depth++;
            else if (Is(Here(), ")") || Is(Here(), "}") || Is(Here(), "]")) {
                if (--depth < 0)
                    return Unexpected();
            }
            Step();
        }
        return true;
    }

    bool ReadStruct()
    {
        Step();
        std::string name;
        if (!ExpectName(name) || !SkipGroup("{", "}"))
            return false;
        m_Structs.insert(name);
        return true;
    }

    bool ReadDeclaration()
    {
        static const char* const kModifiers[] = {"static", "uniform", "const",     "extern",       "shared",
                                                 "volatile", "row_major", "column_major", "inline"};
        bool hidden = false;
        for (bool more = true; more;) {
            more = false;
            for (const char* m : kModifiers)
                if (Is(Here(), m)) {
                    hidden = hidden || std::strcmp(m, "static") == 0;
                    Step();
                    more = true;
                }
        }
        TypeInfo type;
        if (!ReadType(Here(), m_Structs, type)) {
            if (Here().kind == Token::Ident)
                return Fail("unrecognized identifier '" + Here().text + "'", "X3004");
            return Unexpected();
        }
        Step();
        std::string name;
        if (!ExpectName(name))
            return false;
        if (Is(Here(), "("))
            return ReadFunction(name);
        if (type.isVoid)
            return Fail("'" + name + "': void is no parameter type", "X3038");
        for (;;) {
            if (!ReadVariable(type, name, hidden))
                return false;
            if (Is(Here(), ";")) {
                Step();
                return true;
            }
            if (!Expect(",") || !ExpectName(name))
                return false;
        }
    }

    bool ReadFunction(const std::string& name)
    {
        if (!SkipGroup("(", ")"))
            return false;
        if (Is(Here(), ":")) {
            Step();
            std::string semantic;
            if (!ExpectName(semantic))
                return false;
        }
        if (!Is(Here(), "{"))
            return Unexpected();
        m_Functions.insert(name);
        return SkipGroup("{", "}");
    }

    bool ReadVariable(const TypeInfo& type, const std::string& name, bool hidden)
    {
        ID3DXEffect::Node* p = m_Effect.NewNode(ID3DXEffect::NodeKind::Parameter, name);
        p->paramClass = type.paramClass;
        p->type = type.type;
        p->rows = type.rows;
        p->columns = type.columns;
        if (Is(Here(), "[")) {
            Step();
            uint32_t count = 0;
            if (!ReadCount(count))
                return false;
            p->elements = count;
            if (!Expect("]"))
                return false;
        }
        if (Is(Here(), ":")) {
            Step();
            if (Is(Here(), "register")) {
                Step();
                if (!SkipGroup("(", ")"))
                    return false;
            } else if (!ExpectName(p->semantic)) {
                return false;
            }
        }
        if (Is(Here(), "<") && !ReadAnnotations(*p))
            return false;
        const bool numeric = type.paramClass != D3DXPC_OBJECT && type.paramClass != D3DXPC_STRUCT;
        if (numeric && !Reserve(*p, size_t(p->rows) * p->columns * std::max<uint32_t>(1, p->elements)))
            return false;
        if (Is(Here(), "=")) {
            Step();
            if (!ReadInitialiser(*p))
                return false;
        }
        if (type.type == D3DXPT_VERTEXSHADER || type.type == D3DXPT_PIXELSHADER)
            m_ShaderVariables[name] = p;
        if (!hidden) {
            if (m_Parameters >= kMaxParameters)
                return Fail("too many parameters");
            m_Parameters++;
            m_Effect.AddGlobal(p);
        }
        return true;
    }

    bool ReadCount(uint32_t& count)
    {
        const Token& t = Here();
        char* end = nullptr;
        errno = 0;
        const unsigned long long n = t.kind == Token::Number ? std::strtoull(t.text.c_str(), &end, 0) : 0;
        if (t.kind != Token::Number || errno != 0 || !end || *end != '\0' || n < 1 || n > kMaxElements)
            return Fail("array dimensions must be literal counts from 1 to 65536", "X3058");
        count = uint32_t(n);
        Step();
        return true;
    }

    bool Reserve(ID3DXEffect::Node& node, size_t count)
    {
        if (count > kMaxValues || m_Values + count > kMaxValues)
            return Fail("effect holds too many values");
        m_Values += count;
        node.values.assign(count, 0.0f);
        return true;
    }

    bool ReadInitialiser(ID3DXEffect::Node& p)
    {
        if (p.type == D3DXPT_STRING)
            return ReadText(p);
        if (p.type == D3DXPT_VERTEXSHADER || p.type == D3DXPT_PIXELSHADER) {
            DWORD version = 0;
            if (!ReadShader(p.type == D3DXPT_VERTEXSHADER, version))
                return false;
            p.values.assign(1, float(version & 0xFFFF));
            return true;
        }
        if (p.paramClass == D3DXPC_OBJECT || p.paramClass == D3DXPC_STRUCT)
            return SkipToSemicolon();  // sampler states, struct values: not needed by anyone
        return ReadNumbers(p);
    }

    bool ReadText(ID3DXEffect::Node& p)
    {
        if (Here().kind != Token::Text)
            return Unexpected();
        while (Here().kind == Token::Text) {  // adjacent strings join
            if (p.text.size() + Here().text.size() > kMaxTextBytes)
                return Fail("string too long");
            p.text += Here().text;
            Step();
        }
        return true;
    }

    // Numbers, lists in braces and constructors, flattened into the node's values in order. A
    // value the reader does not fold (an expression) leaves the values 0.
    bool ReadNumbers(ID3DXEffect::Node& p)
    {
        const size_t start = m_Pos;
        std::vector<float> read;
        if (ReadValueList(read, 0) && (Is(Here(), ";") || Is(Here(), ",") || Is(Here(), ">"))) {
            std::copy_n(read.begin(), std::min(read.size(), p.values.size()), p.values.begin());
            return true;
        }
        if (!m_Fault.empty())
            return false;
        m_Pos = start;
        return SkipToSemicolon();
    }

    // False without a fault: the value is no literal (the caller may skip it).
    bool ReadValueList(std::vector<float>& out, int depth)
    {
        if (depth > kMaxDepth)
            return Fail("initialiser nested too deep");
        if (Is(Here(), "{") || (Here().kind == Token::Ident && Is(Next(), "("))) {
            if (Here().kind == Token::Ident) {
                TypeInfo ignored;
                if (!ReadType(Here(), m_Structs, ignored))
                    return false;
                Step();
            }
            const char* close = Is(Here(), "{") ? "}" : ")";
            Step();
            while (!Is(Here(), close)) {
                if (!ReadValueList(out, depth + 1))
                    return false;
                if (Is(Here(), ","))
                    Step();
                else if (!Is(Here(), close))
                    return false;
            }
            Step();
            return true;
        }
        float sign = 1.0f;
        if (Is(Here(), "-") || Is(Here(), "+")) {
            sign = Is(Here(), "-") ? -1.0f : 1.0f;
            Step();
        }
        float value = 0.0f;
        if (Is(Here(), "true") || Is(Here(), "false")) {
            value = Is(Here(), "true") ? 1.0f : 0.0f;
        } else if (Here().kind == Token::Number) {
            std::string text = Here().text;
            while (!text.empty() && (text.back() == 'f' || text.back() == 'F' || text.back() == 'h' ||
                                     text.back() == 'H' || text.back() == 'u' || text.back() == 'U' ||
                                     text.back() == 'l' || text.back() == 'L') &&
                   text.rfind("0x", 0) != 0)
                text.pop_back();
            char* end = nullptr;
            const bool hex = text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0;
            value = hex ? float(std::strtoull(text.c_str(), &end, 16)) : std::strtof(text.c_str(), &end);
            if (!end || *end != '\0')
                return Fail("invalid number '" + Here().text + "'", "X3000");
        } else {
            return false;
        }
        Step();
        if (out.size() >= kMaxValues)
            return Fail("effect holds too many values");
        out.push_back(sign * value);
        return true;
    }

    bool ReadAnnotations(ID3DXEffect::Node& owner)
    {
        Step();  // '<'
        while (!Is(Here(), ">")) {
            TypeInfo type;
            if (!ReadType(Here(), m_Structs, type) || type.isVoid || type.paramClass == D3DXPC_STRUCT)
                return Unexpected();
            Step();
            std::string name;
            if (!ExpectName(name) || !Expect("="))
                return false;
            if (owner.annotations.size() >= kMaxAnnotations)
                return Fail("too many annotations");
            ID3DXEffect::Node* a = m_Effect.NewNode(ID3DXEffect::NodeKind::Annotation, name);
            a->paramClass = type.paramClass;
            a->type = type.type;
            a->rows = type.rows;
            a->columns = type.columns;
            if (type.type == D3DXPT_STRING) {
                if (!ReadText(*a))
                    return false;
            } else if (type.paramClass == D3DXPC_OBJECT) {
                return Fail("annotation '" + name + "' of an object type", "X3000");
            } else {
                std::vector<float> read;
                if (!Reserve(*a, size_t(a->rows) * a->columns) || !ReadValueList(read, 0))
                    return m_Fault.empty() ? Unexpected() : false;
                std::copy_n(read.begin(), std::min(read.size(), a->values.size()), a->values.begin());
            }
            owner.annotations.push_back(a);
            if (!Expect(";"))
                return false;
        }
        Step();  // '>'
        return true;
    }

    bool ReadTechnique()
    {
        Step();
        std::string name;
        if (Here().kind == Token::Ident)
            ExpectName(name);
        if (m_Effect.GetTechniqueCount() >= kMaxTechniques)
            return Fail("too many techniques");
        ID3DXEffect::Node* t = m_Effect.NewNode(ID3DXEffect::NodeKind::Technique, name);
        if (Is(Here(), "<") && !ReadAnnotations(*t))
            return false;
        if (!Expect("{"))
            return false;
        while (!Is(Here(), "}")) {
            if (!Is(Here(), "pass"))
                return Unexpected();
            if (!ReadPass(*t))
                return false;
        }
        Step();
        m_Effect.AddTechnique(t);
        return true;
    }

    bool ReadPass(ID3DXEffect::Node& technique)
    {
        Step();
        std::string name;
        if (Here().kind == Token::Ident)
            ExpectName(name);
        if (technique.passes.size() >= kMaxPasses)
            return Fail("too many passes");
        ID3DXEffect::Node* p = m_Effect.NewNode(ID3DXEffect::NodeKind::Pass, name);
        if (Is(Here(), "<") && !ReadAnnotations(*p))
            return false;
        if (!Expect("{"))
            return false;
        while (!Is(Here(), "}")) {
            std::string state;
            if (!ExpectName(state))
                return false;
            if (Is(Here(), "[") && !SkipGroup("[", "]"))
                return false;
            if (!Expect("="))
                return false;
            const bool vertex = strcasecmp(state.c_str(), "VertexShader") == 0;
            if (vertex || strcasecmp(state.c_str(), "PixelShader") == 0) {
                if (!ReadShader(vertex, vertex ? p->vertexShader : p->pixelShader))
                    return false;
            } else if (!SkipToSemicolon()) {
                return false;
            }
            if (!Expect(";"))
                return false;
        }
        Step();
        technique.passes.push_back(p);
        return true;
    }

    // A shader assignment's value: its profile's version word (0 for NULL).
    bool ReadShader(bool vertex, DWORD& version)
    {
        version = 0;
        if (IsNoCase(Here(), "NULL")) {
            Step();
            return true;
        }
        if (Is(Here(), "compile")) {
            Step();
            if (Here().kind != Token::Ident)
                return Unexpected();
            version = ProfileVersion(Here().text, vertex);
            if (!version)
                return Fail("invalid " + std::string(vertex ? "vertex" : "pixel") + " shader profile '" +
                                Here().text + "'",
                            "X3539");
            Step();
            if (Here().kind != Token::Ident)
                return Unexpected();
            if (!m_Functions.count(Here().text))
                return Fail("undeclared identifier '" + Here().text + "'", "X3004");
            Step();
            return SkipGroup("(", ")");
        }
        if (Is(Here(), "asm")) {
            Step();
            if (!Is(Here(), "{"))
                return Unexpected();
            version = ProfileVersion(Next().text, vertex);
            if (!version) {
                Step();
                return Fail("asm block without a " + std::string(vertex ? "vertex" : "pixel") + " shader version",
                            "X3539");
            }
            return SkipGroup("{", "}");
        }
        if (Here().kind == Token::Ident) {
            auto found = m_ShaderVariables.find(Here().text);
            if (found == m_ShaderVariables.end() ||
                found->second->type != (vertex ? D3DXPT_VERTEXSHADER : D3DXPT_PIXELSHADER))
                return Fail("undeclared identifier '" + Here().text + "'", "X3004");
            const std::vector<float>& word = found->second->values;
            version = word.empty() || word[0] == 0.0f ? 0
                                                      : (vertex ? 0xFFFE0000u : 0xFFFF0000u) | DWORD(word[0]);
            Step();
            return true;
        }
        return Unexpected();
    }

    ID3DXEffect& m_Effect;
    std::vector<Token>& m_Tokens;
    size_t m_Pos = 0;
    size_t m_Parameters = 0;
    size_t m_Values = 0;
    std::set<std::string> m_Structs;
    std::set<std::string> m_Functions;
    std::map<std::string, ID3DXEffect::Node*> m_ShaderVariables;
    Token m_FaultAt;
    std::string m_Fault;
    std::string m_Code;
};

HRESULT Refuse(ID3DXBuffer** errors, const std::string& message)
{
    if (errors)
        *errors = new ID3DXBuffer(message);
    return E_FAIL;
}

std::string Located(const char* source, int line, int column, const char* code, const std::string& what)
{
    return std::string(source) + "(" + std::to_string(line) + "," + std::to_string(column) + "): error " + code +
           ": " + what;
}

HRESULT ReadEffect(IDirect3DDevice9* device, const char* source, const void* data, size_t size, const void* defines,
                   void* include, void* pool, ID3DXEffect** effect, ID3DXBuffer** errors)
{
    if (errors)
        *errors = nullptr;
    if (!effect || (!data && size) || defines || include || pool)
        return D3DERR_INVALIDCALL;
    *effect = nullptr;
    if (size > kMaxTextBytes)
        return Refuse(errors, std::string(source) + ": error X1507: effect text longer than 1 MiB");
    std::vector<Token> tokens;
    std::string fault;
    int line = 0, column = 0;
    Scanner scanner(static_cast<const char*>(data), size);
    if (!scanner.Run(tokens, fault, line, column))
        return Refuse(errors, Located(source, line, column, "X1000", fault));
    ID3DXEffect* made = nullptr;
    CreateEffectFor(device, &made);
    EffectReader reader(*made, tokens);
    if (!reader.Run()) {
        made->Release();
        const Token& at = reader.FaultToken();
        return Refuse(errors, Located(source, at.line, at.column, reader.FaultCode().c_str(), reader.Fault()));
    }
    if (made->GetTechniqueCount() > 0)
        made->SetTechnique(made->GetTechnique(0));
    *effect = made;
    return D3D_OK;
}

}  // namespace

HRESULT D3DXCreateEffect(IDirect3DDevice9* device, const void* data, size_t size, const void* defines, void* include,
                         DWORD, void* pool, ID3DXEffect** effect, ID3DXBuffer** errors, const char* sourceName)
{
    return ReadEffect(device, sourceName ? sourceName : "memory", data, size, defines, include, pool, effect, errors);
}

HRESULT D3DXCreateEffectFromFileA(IDirect3DDevice9* device, const char* fileName, const void* defines, void* include,
                                  DWORD, void* pool, ID3DXEffect** effect, ID3DXBuffer** errors)
{
    if (errors)
        *errors = nullptr;
    if (!fileName || !effect)
        return D3DERR_INVALIDCALL;
    FILE* file = std::fopen(fileName, "rb");
    if (!file)
        return D3DERR_NOTFOUND;
    std::string text;
    char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0 && text.size() <= kMaxTextBytes)
        text.append(chunk, got);
    std::fclose(file);
    return ReadEffect(device, fileName, text.data(), text.size(), defines, include, pool, effect, errors);
}
