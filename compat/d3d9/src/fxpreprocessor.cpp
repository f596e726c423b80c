#include "fxpreprocessor.h"

#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace fx {

namespace {

struct Macro {
    bool function = false;
    std::string body;
};

// #if arithmetic wraps around as the 64-bit two's complement it is done in, where C++ leaves
// overflow undefined.
long long wrap(unsigned long long v) {
    return static_cast<long long>(v);
}

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

} // namespace

void preprocess(const std::string& source, const D3DXMACRO* defines, ID3DXInclude* include,
                DWORD flags, Effect& effect) {
    Preprocessor pre(effect, include);
    if (defines || (flags & D3DXSHADER_PACKMATRIX_ROWMAJOR)) {
        effect.files.push_back(effect.files[0] + " (macros)");
        const int f = static_cast<int>(effect.files.size()) - 1;
        if (flags & D3DXSHADER_PACKMATRIX_ROWMAJOR)
            pre.emitLine("#pragma pack_matrix(row_major)", f);
        for (const D3DXMACRO* m = defines; m && m->Name; ++m)
            pre.define(m->Name, m->Definition ? m->Definition : "1", f);
    }
    pre.run(source, 0, 0);
}

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

} // namespace fx
