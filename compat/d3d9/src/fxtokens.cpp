#include "fxtokens.h"

#include <string>

namespace fx {

std::string upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool equalsNoCase(const std::string& a, const char* b) {
    return upper(a) == upper(b);
}

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

// Skips a bracketed group starting at the current token ((, [, { or <).
void TokenCursor::skipBalanced() {
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

void TokenCursor::skipPast(const char* p) {
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

} // namespace fx
