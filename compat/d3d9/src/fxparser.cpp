// The effect-file reader. Three stages: a preprocessor that resolves #include and the
// conditional directives (passing #define, #undef and #pragma on to the shader compiler, which
// expands the HLSL), a tokenizer that expands object-like macros where the effect syntax uses
// them, and a parser for the top level of the file: declarations, structs, function signatures
// and techniques. Function bodies are skipped; the shader compiler reads them.
#include "fxparser.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace fx {

std::string upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

namespace {

// Bounds on what a file can make the parser allocate, far beyond any real effect: array
// elements (more than any shader's constant registers hold), tokens a macro or #if expands to
// (macros whose bodies name others twice double at every level), and preprocessed text (a file
// that includes itself twice doubles at every level of nesting).
constexpr double kMaxArrayElements = 65536;
constexpr std::size_t kMaxExpandedTokens = 1 << 18;
constexpr std::size_t kMaxPreprocessedBytes = std::size_t(16) << 20;

bool equalsNoCase(const std::string& a, const char* b) {
    return upper(a) == upper(b);
}

bool isIdentStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool isIdentChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Thrown inside the reader; caught at the top and turned into a message.
struct Failure {
    // Line of the preprocessed text; 0 when the message already names file and line, -1 when
    // the directive being read supplies them.
    int line;
    std::string message;
};

// Brackets within brackets, far deeper than any real expression.
constexpr int kMaxNesting = 256;

// Counts how deep a recursive reader is, so that deeply nested input fails with a message
// instead of exhausting the stack.
class Nesting {
public:
    Nesting(int& depth, int line) : mDepth(depth) {
        if (++mDepth > kMaxNesting) {
            --mDepth;
            throw Failure{line, "nested more than " + std::to_string(kMaxNesting) + " deep"};
        }
    }
    ~Nesting() { --mDepth; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;

private:
    int& mDepth;
};

// #if arithmetic wraps around as the 64-bit two's complement it is done in, where C++ leaves
// overflow undefined.
long long wrap(unsigned long long v) {
    return static_cast<long long>(v);
}

// A number of the file as an integer: the fraction dropped, values beyond [lo, hi] clamped
// (C++ leaves their conversion undefined), NaN as 0.
std::int64_t clampedInteger(double d, double lo, double hi) {
    if (std::isnan(d))
        return 0;
    return static_cast<std::int64_t>(std::min(std::max(d, lo), hi));
}

std::uint32_t floatBits(double d) {
    float f = static_cast<float>(d);
    std::uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

// ---------------------------------------------------------------------------------------------
// Tokens.

struct Token {
    enum Kind { Ident, Number, String, Punct, Pragma, End } kind = End;
    std::string text;
    std::size_t begin = 0, end = 0; // in the preprocessed text
    int line = 0;                   // 1-based line of the preprocessed text
};

// Splits one line or a whole text into tokens; comments are already gone.
void lex(const std::string& s, std::size_t from, std::size_t to, int line,
         std::vector<Token>& out) {
    std::size_t i = from;
    while (i < to) {
        char c = s[i];
        if (c == '\n') {
            ++line;
            ++i;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        Token t;
        t.begin = i;
        t.line = line;
        if (isIdentStart(c)) {
            while (i < to && isIdentChar(s[i]))
                ++i;
            t.kind = Token::Ident;
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '.' && i + 1 < to && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
            while (i < to &&
                   (isIdentChar(s[i]) || s[i] == '.' ||
                    ((s[i] == '+' || s[i] == '-') && (s[i - 1] == 'e' || s[i - 1] == 'E') &&
                     !(s[t.begin] == '0' && t.begin + 1 < to &&
                       (s[t.begin + 1] == 'x' || s[t.begin + 1] == 'X')))))
                ++i;
            t.kind = Token::Number;
        } else if (c == '"') {
            ++i;
            while (i < to && s[i] != '"' && s[i] != '\n') {
                if (s[i] == '\\')
                    ++i;
                ++i;
            }
            if (i < to && s[i] == '"')
                ++i;
            t.kind = Token::String;
        } else {
            static const char* const two[] = {"==", "!=", "<=", ">=", "&&", "||", "<<", ">>"};
            t.kind = Token::Punct;
            i += 1;
            for (const char* p : two)
                if (s.compare(t.begin, 2, p) == 0) {
                    i = t.begin + 2;
                    break;
                }
        }
        t.end = i;
        t.text = s.substr(t.begin, t.end - t.begin);
        out.push_back(std::move(t));
    }
}

struct Macro {
    bool function = false;
    std::string body;
};

// ---------------------------------------------------------------------------------------------
// Constant expressions of #if.

class ConditionEvaluator {
public:
    ConditionEvaluator(const std::vector<Token>& tokens, const std::map<std::string, Macro>& macros)
        : mMacros(macros) {
        std::set<std::string> expanding;
        expand(tokens, expanding);
    }
    long long evaluate() {
        long long v = ternary();
        if (mPos != mTokens.size())
            throw Failure{-1, "unexpected '" + mTokens[mPos].text + "' in #if"};
        return v;
    }

private:
    // A macro does not expand inside itself: there its name is an undefined name.
    void expand(const std::vector<Token>& in, std::set<std::string>& expanding) {
        for (std::size_t i = 0; i < in.size(); ++i) {
            if (mTokens.size() > kMaxExpandedTokens)
                throw Failure{-1, "#if expands to more than " + std::to_string(kMaxExpandedTokens) +
                                      " tokens"};
            const Token& t = in[i];
            if (t.kind == Token::Ident && t.text == "defined") {
                bool paren = i + 1 < in.size() && in[i + 1].text == "(";
                std::size_t n = i + (paren ? 2 : 1);
                if (n >= in.size() || in[n].kind != Token::Ident)
                    throw Failure{-1, "'defined' needs a macro name"};
                Token v = t;
                v.kind = Token::Number;
                v.text = mMacros.count(in[n].text) ? "1" : "0";
                mTokens.push_back(v);
                i = n + (paren ? 1 : 0);
                continue;
            }
            auto m = t.kind == Token::Ident ? mMacros.find(t.text) : mMacros.end();
            if (m != mMacros.end() && !m->second.function && !expanding.count(t.text)) {
                std::vector<Token> body;
                lex(m->second.body, 0, m->second.body.size(), 0, body);
                expanding.insert(t.text);
                expand(body, expanding);
                expanding.erase(t.text);
            } else if (t.kind == Token::Ident) {
                Token zero = t;
                zero.kind = Token::Number;
                zero.text = "0"; // undefined names count as 0
                mTokens.push_back(zero);
            } else {
                mTokens.push_back(t);
            }
        }
    }
    bool accept(const char* p) {
        if (mPos < mTokens.size() && mTokens[mPos].text == p) {
            ++mPos;
            return true;
        }
        return false;
    }
    long long ternary() {
        Nesting nesting(mDepth, -1);
        long long c = binary(0);
        if (accept("?")) {
            long long a = ternary();
            if (!accept(":"))
                throw Failure{-1, "expected ':' in #if"};
            long long b = ternary();
            return c ? a : b;
        }
        return c;
    }
    long long binary(int level) {
        // clang-format off
        static const std::vector<std::vector<std::string>> levels = {
            {"||"}, {"&&"}, {"|"}, {"^"}, {"&"}, {"==", "!="}, {"<", ">", "<=", ">="}, {"<<", ">>"},
            {"+", "-"}, {"*", "/", "%"}}; // clang-format on
        if (level == static_cast<int>(levels.size()))
            return unary();
        long long v = binary(level + 1);
        for (;;) {
            std::string op;
            for (const std::string& o : levels[level])
                if (mPos < mTokens.size() && mTokens[mPos].text == o)
                    op = o;
            if (op.empty())
                return v;
            ++mPos;
            long long r = binary(level + 1);
            if ((op == "/" || op == "%") && r == 0)
                throw Failure{-1, "division by zero in #if"};
            if ((op == "<<" || op == ">>") && (r < 0 || r > 63))
                throw Failure{-1, "shift by " + std::to_string(r) + " in #if"};
            using U = unsigned long long;
            if (op == "||")
                v = v || r;
            else if (op == "&&")
                v = v && r;
            else if (op == "|")
                v |= r;
            else if (op == "^")
                v ^= r;
            else if (op == "&")
                v &= r;
            else if (op == "==")
                v = v == r;
            else if (op == "!=")
                v = v != r;
            else if (op == "<")
                v = v < r;
            else if (op == ">")
                v = v > r;
            else if (op == "<=")
                v = v <= r;
            else if (op == ">=")
                v = v >= r;
            else if (op == "<<")
                v = wrap(U(v) << r);
            else if (op == ">>")
                v >>= r;
            else if (op == "+")
                v = wrap(U(v) + U(r));
            else if (op == "-")
                v = wrap(U(v) - U(r));
            else if (op == "*")
                v = wrap(U(v) * U(r));
            else if (r == -1) // the one quotient that overflows
                v = op == "/" ? wrap(0 - U(v)) : 0;
            else if (op == "/")
                v /= r;
            else
                v %= r;
        }
    }
    long long unary() {
        Nesting nesting(mDepth, -1);
        if (accept("!"))
            return !unary();
        if (accept("-"))
            return wrap(0 - static_cast<unsigned long long>(unary()));
        if (accept("+"))
            return unary();
        if (accept("~"))
            return ~unary();
        if (accept("(")) {
            long long v = ternary();
            if (!accept(")"))
                throw Failure{-1, "expected ')' in #if"};
            return v;
        }
        if (mPos < mTokens.size() && mTokens[mPos].kind == Token::Number)
            return std::strtoll(mTokens[mPos++].text.c_str(), nullptr, 0);
        throw Failure{-1, "bad expression in #if"};
    }

    const std::map<std::string, Macro>& mMacros;
    std::vector<Token> mTokens;
    std::size_t mPos = 0;
    int mDepth = 0;
};

// ---------------------------------------------------------------------------------------------
// The preprocessor.

// Comments become spaces (newlines kept, so lines stay where they were).
std::string stripComments(const std::string& in) {
    std::string out = in;
    std::size_t i = 0, n = in.size();
    while (i < n) {
        if (in[i] == '"') {
            for (++i; i < n && in[i] != '"' && in[i] != '\n'; ++i)
                if (in[i] == '\\')
                    ++i;
            ++i;
        } else if (in.compare(i, 2, "//") == 0) {
            for (; i < n && in[i] != '\n'; ++i)
                out[i] = ' ';
        } else if (in.compare(i, 2, "/*") == 0) {
            std::size_t e = in.find("*/", i + 2);
            e = e == std::string::npos ? n : e + 2;
            for (; i < e; ++i)
                if (out[i] != '\n')
                    out[i] = ' ';
        } else {
            ++i;
        }
    }
    return out;
}

class Preprocessor {
public:
    Preprocessor(Effect& effect, ID3DXInclude* include) : mEffect(effect), mInclude(include) {}

    void define(const std::string& name, const std::string& value, int file) {
        mMacros[name] = Macro{false, value};
        emit("#define " + name + " " + value, file, 0);
    }
    void emitLine(const std::string& text, int file) { emit(text, file, 0); }

    void run(const std::string& source, int file, int depth) {
        if (depth > 32)
            throw Failure{0, "includes nested too deeply"};
        std::string text = stripComments(source);
        std::vector<std::string> lines;
        std::stringstream ss(text);
        for (std::string l; std::getline(ss, l);)
            lines.push_back(l.empty() || l.back() != '\r' ? l : l.substr(0, l.size() - 1));
        std::size_t conditionalDepth = mConditions.size();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            int lineNo = static_cast<int>(i) + 1;
            std::string line = lines[i];
            int continued = 0;
            while (!line.empty() && line.back() == '\\' && i + 1 < lines.size()) {
                line.pop_back();
                line += lines[++i];
                ++continued;
            }
            std::size_t first = line.find_first_not_of(" \t");
            if (first != std::string::npos && line[first] == '#')
                directive(line.substr(first + 1), file, lineNo, depth);
            else
                emit(active() ? line : std::string(), file, lineNo);
            for (int c = 0; c < continued; ++c)
                emit(std::string(), file, lineNo + c + 1);
        }
        if (mConditions.size() != conditionalDepth)
            throw Failure{0, where(file, static_cast<int>(lines.size())) + ": missing #endif"};
    }

    std::map<std::string, Macro>& macros() { return mMacros; }

private:
    struct Condition {
        bool parentActive;
        bool taken; // some branch of this #if was active
        bool active;
    };

    std::string where(int file, int line) const {
        return mEffect.files[file] + "(" + std::to_string(line) + ")";
    }
    bool active() const { return mConditions.empty() || mConditions.back().active; }
    void emit(const std::string& text, int file, int line) {
        if (mEffect.text.size() + text.size() > kMaxPreprocessedBytes)
            throw Failure{0, where(file, line) + ": the effect grows past " +
                                 std::to_string(kMaxPreprocessedBytes >> 20) +
                                 " MiB with its includes"};
        mEffect.text += text;
        mEffect.text += '\n';
        mEffect.lines.emplace_back(file, line);
    }

    void directive(const std::string& body, int file, int line, int depth) {
        std::vector<Token> toks;
        lex(body, 0, body.size(), line, toks);
        std::string name = toks.empty() ? std::string() : toks[0].text;
        std::vector<Token> rest(toks.empty() ? toks.end() : toks.begin() + 1, toks.end());
        auto fail = [&](const std::string& m) { throw Failure{0, where(file, line) + ": " + m}; };
        try {
            if (name == "if" || name == "ifdef" || name == "ifndef") {
                bool value = false;
                if (active()) {
                    if (name == "if")
                        value = ConditionEvaluator(rest, mMacros).evaluate() != 0;
                    else if (rest.empty())
                        fail("#" + name + " needs a macro name");
                    else
                        value = (mMacros.count(rest[0].text) != 0) == (name == "ifdef");
                }
                mConditions.push_back({active(), value, active() && value});
            } else if (name == "elif") {
                if (mConditions.empty())
                    fail("#elif without #if");
                Condition& c = mConditions.back();
                bool value =
                    c.parentActive && !c.taken && ConditionEvaluator(rest, mMacros).evaluate() != 0;
                c.active = value;
                c.taken = c.taken || value;
            } else if (name == "else") {
                if (mConditions.empty())
                    fail("#else without #if");
                Condition& c = mConditions.back();
                c.active = c.parentActive && !c.taken;
                c.taken = true;
            } else if (name == "endif") {
                if (mConditions.empty())
                    fail("#endif without #if");
                mConditions.pop_back();
            } else if (!active()) {
                // skipped
            } else if (name == "include") {
                include(body, file, line, depth);
                return;
            } else if (name == "define") {
                if (rest.empty() || rest[0].kind != Token::Ident)
                    fail("#define needs a macro name");
                Macro m;
                std::size_t after = rest[0].end;
                m.function = after < body.size() && body[after] == '(';
                if (m.function) {
                    std::size_t close = body.find(')', after);
                    after = close == std::string::npos ? body.size() : close + 1;
                }
                m.body = body.substr(after);
                mMacros[rest[0].text] = m;
                emit("#" + body, file, line);
                return;
            } else if (name == "undef") {
                if (!rest.empty())
                    mMacros.erase(rest[0].text);
                emit("#" + body, file, line);
                return;
            } else if (name == "error") {
                fail("#error" + body.substr(5));
            } else if (name == "pragma") {
                emit("#" + body, file, line);
                return;
            } else if (!name.empty() && name != "line") {
                fail("unknown directive '#" + name + "'");
            }
        } catch (const Failure& f) {
            if (f.line != -1)
                throw;
            throw Failure{0, where(file, line) + ": " + f.message};
        }
        emit(std::string(), file, line);
    }

    void include(const std::string& body, int file, int line, int depth) {
        std::size_t open = body.find_first_of("\"<");
        char closeChar = open == std::string::npos ? 0 : (body[open] == '"' ? '"' : '>');
        std::size_t close = closeChar ? body.find(closeChar, open + 1) : std::string::npos;
        if (close == std::string::npos)
            throw Failure{0, where(file, line) + ": #include needs a file name"};
        std::string name = body.substr(open + 1, close - open - 1);
        std::string content;
        bool found = false;
        if (mInclude) {
            LPCVOID data = nullptr;
            UINT bytes = 0;
            if (mInclude->Open(closeChar == '"' ? D3DXINC_LOCAL : D3DXINC_SYSTEM, name.c_str(),
                               nullptr, &data, &bytes) >= 0 &&
                data) {
                content.assign(static_cast<const char*>(data), bytes);
                mInclude->Close(data);
                found = true;
            }
        } else {
            const std::string& parent = mEffect.files[file];
            std::size_t slash = parent.find_last_of('/');
            std::string path = name[0] == '/' || slash == std::string::npos
                                   ? name
                                   : parent.substr(0, slash + 1) + name;
            std::ifstream in(path, std::ios::binary);
            if (in) {
                std::stringstream ss;
                ss << in.rdbuf();
                content = ss.str();
                found = true;
                name = path;
            }
        }
        if (!found)
            throw Failure{0, where(file, line) + ": cannot open include file '" + name + "'"};
        mEffect.files.push_back(name);
        run(content, static_cast<int>(mEffect.files.size()) - 1, depth + 1);
    }

    Effect& mEffect;
    ID3DXInclude* mInclude;
    std::map<std::string, Macro> mMacros;
    std::vector<Condition> mConditions;
};

// Tokens of the preprocessed text, object-like macros expanded; #pragma pack_matrix becomes a
// Pragma token, other directive lines are dropped.
std::vector<Token> tokenize(const std::string& text) {
    std::vector<Token> raw, out;
    std::map<std::string, Macro> macros;
    std::size_t pos = 0;
    int line = 1;
    while (pos < text.size()) {
        std::size_t eol = text.find('\n', pos);
        if (eol == std::string::npos)
            eol = text.size();
        std::size_t first = text.find_first_not_of(" \t", pos);
        if (first < eol && text[first] == '#') {
            std::vector<Token> d;
            lex(text, first + 1, eol, line, d);
            if (d.size() >= 2 && d[0].text == "define") {
                Macro m;
                m.function = d[1].end < eol && text[d[1].end] == '(';
                std::size_t after = d[1].end;
                std::size_t close = text.find(')', after);
                if (m.function)
                    after = close < eol ? close + 1 : eol;
                m.body = text.substr(after, eol - after);
                macros[d[1].text] = m;
            } else if (d.size() >= 2 && d[0].text == "undef") {
                macros.erase(d[1].text);
            } else if (d.size() >= 4 && d[0].text == "pragma" && d[1].text == "pack_matrix") {
                Token p = d[3];
                p.kind = Token::Pragma;
                out.push_back(p);
            }
        } else {
            raw.clear();
            lex(text, pos, eol, line, raw);
            for (const Token& t : raw) {
                auto m = t.kind == Token::Ident ? macros.find(t.text) : macros.end();
                if (m == macros.end() || m->second.function) {
                    out.push_back(t);
                    continue;
                }
                // Expand, rescanning the result; a macro does not expand inside itself. The
                // stack holds the tokens still to read and, below each body, a marker (the
                // macro's name) that ends that macro's expansion.
                std::vector<std::pair<Token, const std::string*>> stack;
                std::set<std::string> expanding;
                auto push = [&](const std::string& name, const Macro& macro) {
                    stack.push_back({Token{}, &name});
                    std::vector<Token> body;
                    lex(macro.body, 0, macro.body.size(), t.line, body);
                    for (auto it = body.rbegin(); it != body.rend(); ++it)
                        stack.push_back({std::move(*it), nullptr});
                    expanding.insert(name);
                };
                push(m->first, m->second);
                const std::size_t start = out.size();
                while (!stack.empty()) {
                    auto [b, endOf] = std::move(stack.back());
                    stack.pop_back();
                    if (endOf) {
                        expanding.erase(*endOf);
                        continue;
                    }
                    if (out.size() - start > kMaxExpandedTokens)
                        throw Failure{t.line, "macro '" + t.text + "' expands to more than " +
                                                  std::to_string(kMaxExpandedTokens) + " tokens"};
                    auto mm = b.kind == Token::Ident ? macros.find(b.text) : macros.end();
                    if (mm != macros.end() && !mm->second.function && !expanding.count(b.text)) {
                        push(mm->first, mm->second);
                    } else {
                        b.begin = t.begin;
                        b.end = t.end;
                        b.line = t.line;
                        out.push_back(std::move(b));
                    }
                }
            }
        }
        pos = eol + 1;
        ++line;
    }
    Token end;
    end.kind = Token::End;
    end.begin = end.end = text.size();
    end.line = line;
    out.push_back(end);
    return out;
}

// ---------------------------------------------------------------------------------------------
// State names and values.

enum class Values {
    Dword,
    Float,
    Bool,
    ZBuffer,
    Fill,
    Shade,
    Blend,
    BlendOp,
    Cmp,
    Cull,
    StencilOp,
    Fog,
    MaterialSource,
    ColorWrite,
    VertexBlend,
    TextureOp,
    TextureArg,
    Filter,
    Address,
    TextureTransformFlags
};

struct StateName {
    const char* name;
    std::uint32_t value;
    Values values;
};

// clang-format off
#define RS(n, v)                                                                                   \
    { #n, D3DRS_##n, Values::v }
const StateName kRenderStates[] = {
    RS(ZENABLE, ZBuffer), RS(FILLMODE, Fill), RS(SHADEMODE, Shade), RS(ZWRITEENABLE, Bool),
    RS(ALPHATESTENABLE, Bool), RS(LASTPIXEL, Bool), RS(SRCBLEND, Blend), RS(DESTBLEND, Blend),
    RS(CULLMODE, Cull), RS(ZFUNC, Cmp), RS(ALPHAREF, Dword), RS(ALPHAFUNC, Cmp),
    RS(DITHERENABLE, Bool), RS(ALPHABLENDENABLE, Bool), RS(FOGENABLE, Bool),
    RS(SPECULARENABLE, Bool), RS(FOGCOLOR, Dword), RS(FOGTABLEMODE, Fog), RS(FOGSTART, Float),
    RS(FOGEND, Float), RS(FOGDENSITY, Float), RS(RANGEFOGENABLE, Bool), RS(STENCILENABLE, Bool),
    RS(STENCILFAIL, StencilOp), RS(STENCILZFAIL, StencilOp), RS(STENCILPASS, StencilOp),
    RS(STENCILFUNC, Cmp), RS(STENCILREF, Dword), RS(STENCILMASK, Dword),
    RS(STENCILWRITEMASK, Dword), RS(TEXTUREFACTOR, Dword), RS(WRAP0, Dword), RS(WRAP1, Dword),
    RS(WRAP2, Dword), RS(WRAP3, Dword), RS(WRAP4, Dword), RS(WRAP5, Dword), RS(WRAP6, Dword),
    RS(WRAP7, Dword), RS(CLIPPING, Bool), RS(LIGHTING, Bool), RS(AMBIENT, Dword),
    RS(FOGVERTEXMODE, Fog), RS(COLORVERTEX, Bool), RS(LOCALVIEWER, Bool),
    RS(NORMALIZENORMALS, Bool), RS(DIFFUSEMATERIALSOURCE, MaterialSource),
    RS(SPECULARMATERIALSOURCE, MaterialSource), RS(AMBIENTMATERIALSOURCE, MaterialSource),
    RS(EMISSIVEMATERIALSOURCE, MaterialSource), RS(VERTEXBLEND, VertexBlend),
    RS(CLIPPLANEENABLE, Dword), RS(POINTSIZE, Float), RS(POINTSIZE_MIN, Float),
    RS(POINTSPRITEENABLE, Bool), RS(POINTSCALEENABLE, Bool), RS(POINTSCALE_A, Float),
    RS(POINTSCALE_B, Float), RS(POINTSCALE_C, Float), RS(MULTISAMPLEANTIALIAS, Bool),
    RS(MULTISAMPLEMASK, Dword), RS(POINTSIZE_MAX, Float), RS(INDEXEDVERTEXBLENDENABLE, Bool),
    RS(COLORWRITEENABLE, ColorWrite), RS(TWEENFACTOR, Float), RS(BLENDOP, BlendOp),
    RS(SCISSORTESTENABLE, Bool), RS(SLOPESCALEDEPTHBIAS, Float), RS(ANTIALIASEDLINEENABLE, Bool),
    RS(TWOSIDEDSTENCILMODE, Bool), RS(CCW_STENCILFAIL, StencilOp), RS(CCW_STENCILZFAIL, StencilOp),
    RS(CCW_STENCILPASS, StencilOp), RS(CCW_STENCILFUNC, Cmp), RS(COLORWRITEENABLE1, ColorWrite),
    RS(COLORWRITEENABLE2, ColorWrite), RS(COLORWRITEENABLE3, ColorWrite), RS(BLENDFACTOR, Dword),
    RS(SRGBWRITEENABLE, Bool), RS(DEPTHBIAS, Float), RS(WRAP8, Dword), RS(WRAP9, Dword),
    RS(WRAP10, Dword), RS(WRAP11, Dword), RS(WRAP12, Dword), RS(WRAP13, Dword), RS(WRAP14, Dword),
    RS(WRAP15, Dword), RS(SEPARATEALPHABLENDENABLE, Bool), RS(SRCBLENDALPHA, Blend),
    RS(DESTBLENDALPHA, Blend), RS(BLENDOPALPHA, BlendOp)};
#undef RS

#define SS(n, v)                                                                                   \
    { #n, D3DSAMP_##n, Values::v }
const StateName kSamplerStates[] = {
    SS(ADDRESSU, Address), SS(ADDRESSV, Address), SS(ADDRESSW, Address), SS(BORDERCOLOR, Dword),
    SS(MAGFILTER, Filter), SS(MINFILTER, Filter), SS(MIPFILTER, Filter), SS(MIPMAPLODBIAS, Float),
    SS(MAXMIPLEVEL, Dword), SS(MAXANISOTROPY, Dword), SS(SRGBTEXTURE, Bool)};
#undef SS

#define TS(n, v)                                                                                   \
    { #n, D3DTSS_##n, Values::v }
const StateName kStageStates[] = {
    TS(COLOROP, TextureOp), TS(COLORARG0, TextureArg), TS(COLORARG1, TextureArg),
    TS(COLORARG2, TextureArg), TS(ALPHAOP, TextureOp), TS(ALPHAARG0, TextureArg),
    TS(ALPHAARG1, TextureArg), TS(ALPHAARG2, TextureArg), TS(RESULTARG, TextureArg),
    TS(BUMPENVMAT00, Float), TS(BUMPENVMAT01, Float), TS(BUMPENVMAT10, Float),
    TS(BUMPENVMAT11, Float), TS(TEXCOORDINDEX, Dword), TS(BUMPENVLSCALE, Float),
    TS(BUMPENVLOFFSET, Float), TS(TEXTURETRANSFORMFLAGS, TextureTransformFlags),
    TS(CONSTANT, Dword)};
#undef TS

struct ValueName {
    const char* name;
    std::uint32_t value;
};

const std::vector<ValueName>& valueNames(Values v) {
    static const std::map<Values, std::vector<ValueName>> table = {
        {Values::Bool, {}},
        {Values::ZBuffer,
         {{"USEW", 2}}},
        {Values::Fill,
         {{"POINT", 1}, {"WIREFRAME", 2}, {"SOLID", 3}}},
        {Values::Shade,
         {{"FLAT", 1}, {"GOURAUD", 2}, {"PHONG", 3}}},
        {Values::Blend,
         {{"ZERO", 1}, {"ONE", 2}, {"SRCCOLOR", 3}, {"INVSRCCOLOR", 4}, {"SRCALPHA", 5},
          {"INVSRCALPHA", 6}, {"DESTALPHA", 7}, {"INVDESTALPHA", 8}, {"DESTCOLOR", 9},
          {"INVDESTCOLOR", 10}, {"SRCALPHASAT", 11}, {"BOTHSRCALPHA", 12}, {"BOTHINVSRCALPHA", 13},
          {"BLENDFACTOR", 14}, {"INVBLENDFACTOR", 15}}},
        {Values::BlendOp,
         {{"ADD", 1}, {"SUBTRACT", 2}, {"REVSUBTRACT", 3}, {"MIN", 4}, {"MAX", 5}}},
        {Values::Cmp,
         {{"NEVER", 1}, {"LESS", 2}, {"EQUAL", 3}, {"LESSEQUAL", 4}, {"GREATER", 5},
          {"NOTEQUAL", 6}, {"GREATEREQUAL", 7}, {"ALWAYS", 8}}},
        {Values::Cull,
         {{"NONE", 1}, {"CW", 2}, {"CCW", 3}}},
        {Values::StencilOp,
         {{"KEEP", 1}, {"ZERO", 2}, {"REPLACE", 3}, {"INCRSAT", 4}, {"DECRSAT", 5}, {"INVERT", 6},
          {"INCR", 7}, {"DECR", 8}}},
        {Values::Fog,
         {{"NONE", 0}, {"EXP", 1}, {"EXP2", 2}, {"LINEAR", 3}}},
        {Values::MaterialSource,
         {{"MATERIAL", 0}, {"COLOR1", 1}, {"COLOR2", 2}}},
        {Values::ColorWrite,
         {{"RED", 1}, {"GREEN", 2}, {"BLUE", 4}, {"ALPHA", 8}}},
        {Values::VertexBlend,
         {{"DISABLE", 0}, {"1WEIGHTS", 1}, {"2WEIGHTS", 2}, {"3WEIGHTS", 3}, {"TWEENING", 255},
          {"0WEIGHTS", 256}}},
        {Values::TextureOp,
         {{"DISABLE", 1}, {"SELECTARG1", 2}, {"SELECTARG2", 3}, {"MODULATE", 4}, {"MODULATE2X", 5},
          {"MODULATE4X", 6}, {"ADD", 7}, {"ADDSIGNED", 8}, {"ADDSIGNED2X", 9}, {"SUBTRACT", 10},
          {"ADDSMOOTH", 11}, {"BLENDDIFFUSEALPHA", 12}, {"BLENDTEXTUREALPHA", 13},
          {"BLENDFACTORALPHA", 14}, {"BLENDTEXTUREALPHAPM", 15}, {"BLENDCURRENTALPHA", 16},
          {"PREMODULATE", 17}, {"MODULATEALPHA_ADDCOLOR", 18}, {"MODULATECOLOR_ADDALPHA", 19},
          {"MODULATEINVALPHA_ADDCOLOR", 20}, {"MODULATEINVCOLOR_ADDALPHA", 21}, {"BUMPENVMAP", 22},
          {"BUMPENVMAPLUMINANCE", 23}, {"DOTPRODUCT3", 24}, {"MULTIPLYADD", 25}, {"LERP", 26}}},
        {Values::TextureArg,
         {{"DIFFUSE", 0}, {"CURRENT", 1}, {"TEXTURE", 2}, {"TFACTOR", 3}, {"SPECULAR", 4},
          {"TEMP", 5}, {"CONSTANT", 6}, {"COMPLEMENT", 16}, {"ALPHAREPLICATE", 32}}},
        {Values::Filter,
         {{"NONE", 0}, {"POINT", 1}, {"LINEAR", 2}, {"ANISOTROPIC", 3}, {"PYRAMIDALQUAD", 6},
          {"GAUSSIANQUAD", 7}}},
        {Values::Address,
         {{"WRAP", 1}, {"MIRROR", 2}, {"CLAMP", 3}, {"BORDER", 4}, {"MIRRORONCE", 5}}},
        {Values::TextureTransformFlags,
         {{"DISABLE", 0}, {"COUNT1", 1}, {"COUNT2", 2}, {"COUNT3", 3}, {"COUNT4", 4},
          {"PROJECTED", 256}}},
    };
    static const std::vector<ValueName> none;
    auto it = table.find(v);
    return it == table.end() ? none : it->second;
}
// clang-format on

template <std::size_t N>
const StateName* findState(const StateName (&table)[N], const std::string& name) {
    std::string u = upper(name);
    for (const StateName& s : table)
        if (u == s.name)
            return &s;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Types.

struct TypeInfo {
    bool known = false;
    bool isStruct = false;
    BaseType base = BaseType::Float;
    unsigned rows = 1, columns = 1;
    bool matrix = false;
};

// A numeric type name such as float, float3, half4x4, int2, bool.
bool numericType(const std::string& name, TypeInfo& t) {
    static const std::pair<const char*, BaseType> bases[] = {
        {"float", BaseType::Float},      {"half", BaseType::Float}, {"double", BaseType::Float},
        {"min16float", BaseType::Float}, {"int", BaseType::Int},    {"uint", BaseType::Int},
        {"dword", BaseType::Int},        {"bool", BaseType::Bool}};
    for (const auto& [prefix, base] : bases) {
        std::size_t n = std::strlen(prefix);
        if (name.compare(0, n, prefix) != 0)
            continue;
        std::string rest = name.substr(n);
        t.known = true;
        t.base = base;
        if (rest.empty())
            return true;
        if (rest.size() == 1 && rest[0] >= '1' && rest[0] <= '4') {
            t.columns = static_cast<unsigned>(rest[0] - '0');
            return true;
        }
        if (rest.size() == 3 && rest[1] == 'x' && rest[0] >= '1' && rest[0] <= '4' &&
            rest[2] >= '1' && rest[2] <= '4') {
            t.rows = static_cast<unsigned>(rest[0] - '0');
            t.columns = static_cast<unsigned>(rest[2] - '0');
            t.matrix = true;
            return true;
        }
        t.known = false;
    }
    return false;
}

bool objectType(const std::string& name, TypeInfo& t) {
    static const std::pair<const char*, BaseType> objects[] = {
        {"STRING", BaseType::String},          {"TEXTURE", BaseType::Texture},
        {"TEXTURE1D", BaseType::Texture1D},    {"TEXTURE2D", BaseType::Texture2D},
        {"TEXTURE3D", BaseType::Texture3D},    {"TEXTURECUBE", BaseType::TextureCube},
        {"SAMPLER", BaseType::Sampler},        {"SAMPLER1D", BaseType::Sampler1D},
        {"SAMPLER2D", BaseType::Sampler2D},    {"SAMPLER3D", BaseType::Sampler3D},
        {"SAMPLERCUBE", BaseType::SamplerCube}};
    std::string u = upper(name);
    for (const auto& [n, base] : objects)
        if (u == n) {
            t.known = true;
            t.base = base;
            return true;
        }
    return false;
}

// ---------------------------------------------------------------------------------------------
// The parser.

struct Unevaluable {};

class Parser {
public:
    Parser(Effect& effect, std::vector<Token> tokens, bool rowMajor)
        : mFx(effect), mT(std::move(tokens)), mRowMajor(rowMajor) {}

    void run() {
        while (peek().kind != Token::End) {
            const Token& t = peek();
            if (t.kind == Token::Pragma) {
                mRowMajor = t.text == "row_major";
                ++mPos;
            } else if (is(";")) {
                ++mPos;
            } else if (t.kind == Token::Ident &&
                       (equalsNoCase(t.text, "technique") || equalsNoCase(t.text, "technique9"))) {
                technique();
            } else if (t.text == "struct") {
                structure();
            } else if (t.text == "typedef") {
                skipPast(";");
            } else if (is("[")) {
                skipBalanced();
            } else {
                declaration();
            }
        }
        resolveReferences();
    }

private:
    // Token access.
    const Token& peek(std::size_t ahead = 0) const {
        return mT[std::min(mPos + ahead, mT.size() - 1)];
    }
    bool is(const char* p, std::size_t ahead = 0) const {
        const Token& t = peek(ahead);
        return (t.kind == Token::Punct || t.kind == Token::Ident) && t.text == p;
    }
    const Token& next() {
        const Token& t = peek();
        if (t.kind != Token::End)
            ++mPos;
        return t;
    }
    [[noreturn]] void fail(const Token& at, const std::string& message) const {
        throw Failure{at.line, message};
    }
    std::string describe(const Token& t) const {
        return t.kind == Token::End ? "end of file" : "'" + t.text + "'";
    }
    void expect(const char* p) {
        if (!is(p))
            fail(peek(), "expected '" + std::string(p) + "' but found " + describe(peek()));
        ++mPos;
    }
    const Token& expectIdent(const char* what) {
        if (peek().kind != Token::Ident)
            fail(peek(), std::string("expected ") + what + " but found " + describe(peek()));
        return next();
    }
    // Skips a bracketed group starting at the current token ((, [, { or <).
    void skipBalanced() {
        std::vector<char> stack;
        do {
            const Token& t = next();
            if (t.kind == Token::End)
                fail(t, "unbalanced brackets at end of file");
            if (t.kind != Token::Punct)
                continue;
            char c = t.text[0];
            if (c == '(' || c == '[' || c == '{')
                stack.push_back(c == '(' ? ')' : c == '[' ? ']' : '}');
            else if (c == ')' || c == ']' || c == '}') {
                if (stack.empty() || stack.back() != c)
                    fail(t, "unbalanced '" + t.text + "'");
                stack.pop_back();
            }
        } while (!stack.empty());
    }
    void skipPast(const char* p) {
        while (!is(p)) {
            if (peek().kind == Token::End)
                fail(peek(), "expected '" + std::string(p) + "' before end of file");
            if (is("(") || is("[") || is("{"))
                skipBalanced();
            else
                ++mPos;
        }
        ++mPos;
    }
    void blank(std::size_t begin, std::size_t end) {
        std::string spaces = mFx.text.substr(begin, end - begin);
        for (char& c : spaces)
            if (c != '\n')
                c = ' ';
        mFx.edits.push_back({begin, end - begin, spaces});
    }

    TypeInfo type(const Token& name) {
        TypeInfo t;
        if (numericType(name.text, t) || objectType(name.text, t))
            return t;
        if (name.text == "vector" || name.text == "matrix") {
            t.known = true;
            t.matrix = name.text == "matrix";
            t.rows = t.matrix ? 4 : 1;
            t.columns = 4;
            if (is("<")) {
                ++mPos;
                TypeInfo scalar;
                if (!numericType(expectIdent("a scalar type").text, scalar))
                    fail(prev(), "expected a scalar type");
                t.base = scalar.base;
                if (t.matrix) {
                    expect(",");
                    t.rows = dimension(next());
                }
                expect(",");
                t.columns = dimension(next());
                expect(">");
            }
            return t;
        }
        if (mFx.findStruct(name.text)) {
            t.known = true;
            t.isStruct = true;
        }
        return t;
    }
    const Token& prev() const { return mT[mPos - 1]; }

    long long integer(const Token& t) {
        if (t.kind != Token::Number)
            fail(t, "expected a number but found " + describe(t));
        return std::strtoll(t.text.c_str(), nullptr, 0);
    }

    // Vectors and matrices have one to four rows and columns.
    unsigned dimension(const Token& t) {
        long long n = integer(t);
        if (n < 1 || n > 4)
            fail(t, "a vector or matrix dimension must be 1 to 4, not " + t.text);
        return static_cast<unsigned>(n);
    }

    // Constant expressions of initialisers and annotations, as a flat list of numbers.
    std::vector<double> initializer() {
        Nesting nesting(mDepth, peek().line);
        std::vector<double> values;
        if (is("{")) {
            ++mPos;
            while (!is("}")) {
                std::vector<double> v = initializer();
                values.insert(values.end(), v.begin(), v.end());
                if (!is(","))
                    break;
                ++mPos;
            }
            expect("}");
            return values;
        }
        return additive();
    }
    std::vector<double> additive() {
        std::vector<double> v = multiplicative();
        while (is("+") || is("-")) {
            bool plus = next().text == "+";
            std::vector<double> r = multiplicative();
            v = combine(v, r, [plus](double a, double b) { return plus ? a + b : a - b; });
        }
        return v;
    }
    std::vector<double> multiplicative() {
        std::vector<double> v = unary();
        while (is("*") || is("/")) {
            bool times = next().text == "*";
            std::vector<double> r = unary();
            v = combine(v, r, [times](double a, double b) { return times ? a * b : a / b; });
        }
        return v;
    }
    template <class F>
    std::vector<double> combine(const std::vector<double>& a, const std::vector<double>& b, F f) {
        if (a.size() != b.size() && a.size() != 1 && b.size() != 1)
            throw Unevaluable{};
        std::vector<double> out(std::max(a.size(), b.size()));
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = f(a[a.size() == 1 ? 0 : i], b[b.size() == 1 ? 0 : i]);
        return out;
    }
    std::vector<double> unary() {
        Nesting nesting(mDepth, peek().line);
        if (is("-")) {
            ++mPos;
            std::vector<double> v = unary();
            for (double& d : v)
                d = -d;
            return v;
        }
        if (is("+")) {
            ++mPos;
            return unary();
        }
        if (is("(")) {
            ++mPos;
            std::vector<double> v = additive();
            expect(")");
            return v;
        }
        const Token& t = peek();
        if (t.kind == Token::Number) {
            ++mPos;
            std::string s = t.text;
            bool hex = s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
            if (hex)
                return {static_cast<double>(std::strtoull(s.c_str(), nullptr, 16))};
            return {std::strtod(s.c_str(), nullptr)};
        }
        if (t.kind == Token::Ident && (t.text == "true" || t.text == "false")) {
            ++mPos;
            return {t.text == "true" ? 1.0 : 0.0};
        }
        TypeInfo ti;
        if (t.kind == Token::Ident && numericType(t.text, ti) && is("(", 1)) {
            mPos += 2;
            std::vector<double> values;
            while (!is(")")) {
                std::vector<double> v = additive();
                values.insert(values.end(), v.begin(), v.end());
                if (!is(","))
                    break;
                ++mPos;
            }
            expect(")");
            return values;
        }
        throw Unevaluable{};
    }
    // An initialiser the reader cannot evaluate is left to the shader compiler; the parameter
    // then starts at zero.
    std::vector<double> tryInitializer() {
        std::size_t start = mPos;
        try {
            return initializer();
        } catch (const Unevaluable&) {
            mPos = start;
            while (!is(",") && !is(";")) {
                if (peek().kind == Token::End)
                    fail(peek(), "expected ';' before end of file");
                if (is("(") || is("{") || is("["))
                    skipBalanced();
                else
                    ++mPos;
            }
            return {};
        }
    }

    static std::vector<std::uint32_t> words(const std::vector<double>& values, BaseType base) {
        std::vector<std::uint32_t> out;
        for (double d : values) {
            if (base == BaseType::Float)
                out.push_back(floatBits(d));
            else if (base == BaseType::Bool)
                out.push_back(d != 0.0 ? 1u : 0u);
            else
                out.push_back(static_cast<std::uint32_t>(clampedInteger(d, INT32_MIN, INT32_MAX)));
        }
        return out;
    }

    std::vector<Annotation> annotations() {
        std::vector<Annotation> list;
        std::size_t begin = peek().begin;
        expect("<");
        while (!is(">")) {
            Annotation a;
            const Token& typeName = expectIdent("an annotation type");
            TypeInfo ti = type(typeName);
            if (!ti.known)
                fail(typeName, "unknown type '" + typeName.text + "'");
            a.type = typeName.text;
            a.name = expectIdent("an annotation name").text;
            expect("=");
            if (peek().kind == Token::String) {
                const std::string& s = next().text;
                a.text = s.substr(1, s.size() >= 2 ? s.size() - 2 : 0);
            } else {
                a.values = words(tryInitializer(), ti.base);
            }
            expect(";");
            list.push_back(std::move(a));
        }
        std::size_t end = peek().end;
        expect(">");
        blank(begin, end);
        return list;
    }

    void structure() {
        ++mPos; // struct
        Struct s;
        s.name = expectIdent("a struct name").text;
        expect("{");
        while (!is("}")) {
            std::size_t begin = peek().begin;
            static const std::set<std::string> modifiers = {
                "linear",    "centroid",     "nointerpolation", "noperspective", "sample",
                "row_major", "column_major", "const",           "uniform"};
            while (peek().kind == Token::Ident && modifiers.count(peek().text))
                ++mPos;
            const Token& typeName = expectIdent("a member type");
            type(typeName);
            for (;;) {
                StructMember m;
                m.offset = begin;
                m.name = expectIdent("a member name").text;
                if (is("["))
                    skipBalanced();
                while (is(":")) {
                    ++mPos;
                    const Token& sem = expectIdent("a semantic");
                    if (sem.text == "register" || sem.text == "packoffset") {
                        skipBalanced();
                        continue;
                    }
                    m.semantic = sem.text;
                    m.semanticOffset = sem.begin;
                }
                s.members.push_back(m);
                if (!is(","))
                    break;
                ++mPos;
            }
            expect(";");
        }
        expect("}");
        mFx.structs.push_back(std::move(s));
        if (!is(";"))
            skipPast(";"); // struct S { ... } instance;
        else
            ++mPos;
    }

    void function(const std::string& returnType, const std::string& name) {
        Function f;
        f.name = name;
        f.returnType = returnType;
        expect("(");
        while (!is(")")) {
            FunctionParameter p;
            std::size_t begin = peek().begin, end = begin;
            static const std::set<std::string> modifiers = {
                "in",        "out",          "inout",           "uniform",       "const",
                "linear",    "centroid",     "nointerpolation", "noperspective", "sample",
                "row_major", "column_major", "point",           "line",          "triangle",
                "lineadj",   "triangleadj"};
            while (peek().kind == Token::Ident && modifiers.count(peek().text)) {
                const std::string& m = next().text;
                p.uniform = p.uniform || m == "uniform";
                p.out = p.out || m == "out" || m == "inout";
            }
            const Token& typeName = expectIdent("a parameter type");
            p.type = typeName.text;
            if (is("<")) {
                while (!is(">") && peek().kind != Token::End)
                    ++mPos;
                expect(">");
            }
            const Token& paramName = expectIdent("a parameter name");
            p.name = paramName.text;
            end = paramName.end;
            if (is("[")) {
                skipBalanced();
                end = prev().end;
            }
            while (is(":")) {
                ++mPos;
                const Token& sem = expectIdent("a semantic");
                if (sem.text == "register") {
                    skipBalanced();
                } else {
                    p.semantic = sem.text;
                    p.semanticOffset = sem.begin;
                }
                end = prev().end;
            }
            if (is("=")) {
                while (!is(",") && !is(")") && peek().kind != Token::End) {
                    if (is("("))
                        skipBalanced();
                    else
                        ++mPos;
                }
                end = prev().end;
            }
            p.text = mFx.text.substr(begin, end - begin);
            f.parameters.push_back(std::move(p));
            if (!is(","))
                break;
            ++mPos;
        }
        expect(")");
        while (is(":")) {
            ++mPos;
            const Token& sem = expectIdent("a semantic");
            f.returnSemantic = sem.text;
            f.returnSemanticOffset = sem.begin;
        }
        mFx.functions.push_back(std::move(f));
        if (is(";")) {
            ++mPos;
            return;
        }
        if (!is("{"))
            fail(peek(), "expected a function body but found " + describe(peek()));
        skipBalanced();
    }

    void declaration() {
        std::size_t begin = peek().begin, editCount = mFx.edits.size();
        bool isStatic = false, shared = false, rowMajor = mRowMajor;
        static const std::set<std::string> ignored = {
            "uniform", "extern",          "const",      "volatile", "inline",
            "precise", "nointerpolation", "linear",     "centroid", "noperspective",
            "snorm",   "unorm",           "groupshared"};
        for (;;) {
            const std::string& w = peek().text;
            if (peek().kind != Token::Ident)
                break;
            if (w == "static")
                isStatic = true;
            else if (w == "shared")
                shared = true;
            else if (w == "row_major")
                rowMajor = true;
            else if (w == "column_major")
                rowMajor = false;
            else if (!ignored.count(w))
                break;
            ++mPos;
        }
        const Token& typeName = expectIdent("a declaration");
        if (typeName.text == "cbuffer" || typeName.text == "tbuffer")
            fail(typeName, "'" + typeName.text + "' is not part of an fx_2_0 effect");
        TypeInfo ti = type(typeName);
        const Token& first = expectIdent("a name");
        if (is("(")) {
            function(typeName.text, first.text);
            return;
        }
        if (!ti.known && !isStatic)
            fail(typeName, "unknown type '" + typeName.text + "'");
        if (ti.isStruct && !isStatic)
            fail(typeName, "struct parameters are not supported");
        bool removeAll = ti.base == BaseType::String || isTexture(ti.base);
        const Token* nameTok = &first;
        for (;;) {
            Parameter p;
            p.name = nameTok->text;
            p.line = nameTok->line;
            p.type = ti.base;
            p.rows = ti.rows;
            p.columns = ti.columns;
            p.matrix = ti.matrix;
            p.rowMajor = rowMajor;
            p.shared = shared;
            if (is("[")) {
                ++mPos;
                std::vector<double> n;
                try {
                    n = additive();
                } catch (const Unevaluable&) {
                }
                if (n.size() != 1 || !(n[0] >= 1) || n[0] != std::floor(n[0]))
                    fail(*nameTok, "the size of array '" + p.name + "' is not a constant");
                if (n[0] > kMaxArrayElements)
                    fail(*nameTok, "array '" + p.name + "' has more than " +
                                       std::to_string(kMaxArrayElements) + " elements");
                p.elements = static_cast<unsigned>(n[0]);
                expect("]");
            }
            while (is(":")) {
                ++mPos;
                const Token& sem = expectIdent("a semantic");
                if (sem.text == "register" || sem.text == "packoffset")
                    skipBalanced();
                else
                    p.semantic = sem.text;
            }
            if (is("<"))
                p.annotations = annotations();
            if (is("=")) {
                std::size_t assign = peek().begin;
                ++mPos;
                if (isSampler(p.type) && is("sampler_state")) {
                    samplerState(p);
                    blank(assign, prev().end);
                } else if (p.type == BaseType::String && peek().kind == Token::String) {
                    ++mPos;
                } else if (!isNumeric(p.type)) {
                    fail(peek(), "cannot initialise '" + p.name + "' with " + describe(peek()));
                } else {
                    p.initial = words(tryInitializer(), p.type);
                }
            }
            if (p.type == BaseType::Sampler && !isStatic)
                mPlainSamplers.push_back({typeName.begin, mFx.parameters.size()});
            if (!isStatic) {
                if (mFx.findParameter(p.name) >= 0)
                    fail(*nameTok, "redefinition of '" + p.name + "'");
                mFx.parameters.push_back(std::move(p));
            }
            if (!is(","))
                break;
            ++mPos;
            nameTok = &expectIdent("a name");
        }
        std::size_t end = peek().end;
        expect(";");
        if (removeAll) {
            mFx.edits.resize(editCount); // the whole declaration goes
            blank(begin, end);
        }
    }

    // A parameter reference: <name>, (name) or name.
    bool reference(std::string& name) {
        if ((is("<") || is("(")) && peek(1).kind == Token::Ident && is(is("<") ? ">" : ")", 2)) {
            name = peek(1).text;
            mPos += 3;
            return true;
        }
        return false;
    }

    // A state value: numbers, names of the state's values, TRUE/FALSE, a | b, or a reference.
    void stateValue(State& s, Values values, const std::string& stateName) {
        s.isFloat = values == Values::Float;
        std::uint32_t v = 0;
        for (;;) {
            bool negative = false;
            if (is("-")) {
                negative = true;
                ++mPos;
            }
            const Token& t = next();
            if (t.kind == Token::Number) {
                std::vector<double> d;
                --mPos;
                d = unary();
                double x = negative ? -d[0] : d[0];
                bool isFloat = t.text.find_first_of(".eE") != std::string::npos &&
                               t.text.find_first_of("xX") == std::string::npos;
                if (values == Values::Float)
                    v |= floatBits(x);
                else if (isFloat && values == Values::Dword)
                    v |= floatBits(x);
                else
                    v |= static_cast<std::uint32_t>(clampedInteger(x, INT32_MIN, UINT32_MAX));
            } else if (t.kind == Token::Ident) {
                std::string u = upper(t.text);
                if (u.rfind("D3D", 0) == 0 && u.find('_') != std::string::npos)
                    u = u.substr(u.find('_') + 1);
                bool found = false;
                for (const ValueName& n : valueNames(values))
                    if (u == n.name) {
                        v |= n.value;
                        found = true;
                    }
                if (!found && (u == "TRUE" || u == "FALSE")) {
                    v |= u == "TRUE" ? 1u : 0u;
                    found = true;
                }
                if (!found)
                    fail(t, "unknown value '" + t.text + "' for state '" + stateName + "'");
            } else {
                fail(t, "expected a value for state '" + stateName + "' but found " + describe(t));
            }
            if (!is("|"))
                break;
            ++mPos;
        }
        s.value = v;
    }

    std::uint32_t stateIndex() {
        if (!is("["))
            return 0;
        ++mPos;
        long long n = integer(next());
        expect("]");
        return static_cast<std::uint32_t>(n);
    }

    void samplerState(Parameter& p) {
        ++mPos; // sampler_state
        expect("{");
        while (!is("}")) {
            const Token& name = expectIdent("a sampler state");
            stateIndex();
            expect("=");
            if (equalsNoCase(name.text, "Texture")) {
                std::string ref;
                if (is("NULL") || is("null"))
                    ++mPos;
                else if (reference(ref) ||
                         (peek().kind == Token::Ident && (ref = next().text, true)))
                    mTextureRefs.push_back({mFx.parameters.size(), ref, name});
                else
                    fail(peek(), "expected <texture> but found " + describe(peek()));
            } else {
                const StateName* sn = findState(kSamplerStates, name.text);
                if (!sn)
                    fail(name, "unknown sampler state '" + name.text + "'");
                State s;
                s.kind = State::Sampler;
                s.type = sn->value;
                s.line = name.line;
                stateValue(s, sn->values, name.text);
                p.samplerStates.push_back(s);
            }
            expect(";");
        }
        expect("}");
    }

    ShaderCall shaderCall(const Token& stateName) {
        ShaderCall c;
        c.line = stateName.line;
        if (is("NULL") || is("null")) {
            ++mPos;
            return c;
        }
        if (!is("compile"))
            fail(peek(), "expected 'compile' or NULL for '" + stateName.text + "' but found " +
                             describe(peek()));
        ++mPos;
        c.present = true;
        c.profile = expectIdent("a shader profile").text;
        c.entry = expectIdent("an entry point").text;
        expect("(");
        while (!is(")")) {
            std::size_t begin = peek().begin, end = begin;
            while (!is(",") && !is(")")) {
                if (peek().kind == Token::End)
                    fail(peek(), "expected ')' before end of file");
                if (is("("))
                    skipBalanced();
                else
                    ++mPos;
                end = prev().end;
            }
            c.arguments.push_back(mFx.text.substr(begin, end - begin));
            if (is(","))
                ++mPos;
        }
        expect(")");
        return c;
    }

    void pass(Technique& t) {
        Pass p;
        p.line = next().line;
        if (peek().kind == Token::Ident)
            p.name = next().text;
        if (is("<"))
            p.annotations = annotations();
        expect("{");
        while (!is("}")) {
            const Token& name = expectIdent("a state name");
            std::string u = upper(name.text);
            std::uint32_t index = stateIndex();
            expect("=");
            State s;
            s.index = index;
            s.line = name.line;
            if (u == "VERTEXSHADER" || u == "PIXELSHADER") {
                (u == "VERTEXSHADER" ? p.vertexShader : p.pixelShader) = shaderCall(name);
                expect(";");
                continue;
            }
            if (u == "TEXTURE") {
                s.kind = State::Texture;
                std::string ref;
                if (is("NULL") || is("null"))
                    ++mPos;
                else if (reference(ref))
                    mRefs.push_back({ref, name, -1, t.passes.size(), p.states.size()});
                else
                    fail(peek(), "expected <texture> or NULL but found " + describe(peek()));
                p.states.push_back(s);
                expect(";");
                continue;
            }
            static const std::map<std::string, std::uint32_t> transforms = {
                {"WORLDTRANSFORM", 256},
                {"VIEWTRANSFORM", 2},
                {"PROJECTIONTRANSFORM", 3},
                {"TEXTURETRANSFORM", 16}};
            auto tr = transforms.find(u);
            const StateName* sn = nullptr;
            if (tr != transforms.end()) {
                s.kind = State::Transform;
                s.type = tr->second + index;
                std::string ref;
                if (!reference(ref))
                    fail(peek(), "expected <matrix> for '" + name.text + "'");
                mRefs.push_back({ref, name, -1, t.passes.size(), p.states.size()});
            } else if ((sn = findState(kRenderStates, name.text))) {
                s.kind = State::Render;
                s.type = sn->value;
            } else if ((sn = findState(kSamplerStates, name.text))) {
                s.kind = State::Sampler;
                s.type = sn->value;
            } else if ((sn = findState(kStageStates, name.text))) {
                s.kind = State::TextureStage;
                s.type = sn->value;
            } else {
                fail(name, "unknown render state '" + name.text + "'");
            }
            if (sn) {
                std::string ref;
                std::size_t save = mPos;
                s.isFloat = sn->values == Values::Float;
                if (reference(ref))
                    mRefs.push_back({ref, name, -1, t.passes.size(), p.states.size()});
                else {
                    mPos = save;
                    stateValue(s, sn->values, name.text);
                }
            }
            p.states.push_back(s);
            expect(";");
        }
        expect("}");
        t.passes.push_back(std::move(p));
    }

    void technique() {
        std::size_t begin = peek().begin, editCount = mFx.edits.size();
        Technique t;
        t.line = next().line;
        if (peek().kind == Token::Ident)
            t.name = next().text;
        if (is("<"))
            t.annotations = annotations();
        expect("{");
        while (!is("}")) {
            if (!equalsNoCase(peek().text, "pass"))
                fail(peek(), "expected 'pass' but found " + describe(peek()));
            pass(t);
        }
        std::size_t end = peek().end;
        expect("}");
        mFx.edits.resize(editCount);
        blank(begin, end);
        for (Ref& r : mRefs)
            if (r.technique < 0)
                r.technique = static_cast<int>(mFx.techniques.size());
        mFx.techniques.push_back(std::move(t));
    }

    void resolveReferences() {
        for (const Ref& r : mRefs) {
            int index = mFx.findParameter(r.name);
            if (index < 0)
                fail(r.at, "unknown parameter '" + r.name + "'");
            State& s = mFx.techniques[r.technique].passes[r.pass].states[r.state];
            s.parameter = index;
            const Parameter& p = mFx.parameters[index];
            if (s.kind == State::Texture && !isTexture(p.type))
                fail(r.at, "'" + r.name + "' is not a texture");
            else if (s.kind == State::Transform && !(p.matrix && p.rows == 4 && p.columns == 4))
                fail(r.at, "'" + r.name + "' is not a float4x4");
            else if (s.kind != State::Texture && s.kind != State::Transform && !isNumeric(p.type))
                fail(r.at, "'" + r.name + "' is not a number");
        }
        for (const auto& [sampler, name, at] : mTextureRefs) {
            int index = mFx.findParameter(name);
            if (index < 0 || !isTexture(mFx.parameters[index].type))
                fail(at, "'" + name + "' is not a texture");
            mFx.parameters[sampler].texture = index;
        }
        // HLSL's plain 'sampler' becomes the dimension of the texture it samples.
        std::set<std::size_t> edited;
        for (const auto& [offset, index] : mPlainSamplers) {
            const Parameter& p = mFx.parameters[index];
            bool cube = p.texture >= 0 && mFx.parameters[p.texture].type == BaseType::TextureCube;
            mFx.parameters[index].type = cube ? BaseType::SamplerCube : BaseType::Sampler2D;
            if (edited.insert(offset).second)
                mFx.edits.push_back({offset, 7, cube ? "samplerCUBE" : "sampler2D"});
        }
    }

    // A pass state whose value is a parameter, resolved once every parameter is known.
    struct Ref {
        std::string name;
        Token at;
        int technique;
        std::size_t pass, state;
    };

    Effect& mFx;
    std::vector<Token> mT;
    std::size_t mPos = 0;
    int mDepth = 0; // of initialisers and expressions
    bool mRowMajor;
    std::vector<Ref> mRefs;
    std::vector<std::tuple<std::size_t, std::string, Token>> mTextureRefs;
    std::vector<std::pair<std::size_t, std::size_t>> mPlainSamplers; // type offset, parameter
};

} // namespace

int Effect::findParameter(const std::string& name) const {
    for (std::size_t i = 0; i < parameters.size(); ++i)
        if (parameters[i].name == name)
            return static_cast<int>(i);
    return -1;
}

const Function* Effect::findFunction(const std::string& name) const {
    for (const Function& f : functions)
        if (f.name == name)
            return &f;
    return nullptr;
}

const Struct* Effect::findStruct(const std::string& name) const {
    for (const Struct& s : structs)
        if (s.name == name)
            return &s;
    return nullptr;
}

std::string Effect::where(int line) const {
    if (line < 1 || line > static_cast<int>(lines.size()))
        return files.empty() ? std::string("effect") : files[0];
    const auto& [file, fileLine] = lines[line - 1];
    return files[file] + "(" + std::to_string(fileLine) + ")";
}

std::string Effect::hlsl(std::vector<Edit> extra) const {
    extra.insert(extra.end(), edits.begin(), edits.end());
    std::sort(extra.begin(), extra.end(),
              [](const Edit& a, const Edit& b) { return a.offset > b.offset; });
    std::string out = text;
    for (const Edit& e : extra)
        out.replace(e.offset, e.length, e.text);
    return out;
}

bool parseEffect(const std::string& source, const std::string& fileName, const D3DXMACRO* defines,
                 ID3DXInclude* include, DWORD flags, Effect& effect, std::string& errors) {
    effect = Effect();
    effect.files.push_back(fileName);
    try {
        Preprocessor pre(effect, include);
        if (defines || (flags & D3DXSHADER_PACKMATRIX_ROWMAJOR)) {
            effect.files.push_back(fileName + " (macros)");
            int f = static_cast<int>(effect.files.size()) - 1;
            if (flags & D3DXSHADER_PACKMATRIX_ROWMAJOR)
                pre.emitLine("#pragma pack_matrix(row_major)", f);
            for (const D3DXMACRO* m = defines; m && m->Name; ++m)
                pre.define(m->Name, m->Definition ? m->Definition : "1", f);
        }
        pre.run(source, 0, 0);
        Parser parser(effect, tokenize(effect.text), false);
        parser.run();
        if (effect.techniques.empty())
            throw Failure{static_cast<int>(effect.lines.size()), "the effect has no technique"};
        return true;
    } catch (const Failure& f) {
        errors = (f.line ? effect.where(f.line) + ": " : std::string()) + f.message + "\n";
        return false;
    }
}

} // namespace fx
