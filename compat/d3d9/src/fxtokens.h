// The effect reader's tokens, shared by its preprocessor and its parser: what a line of the
// preprocessed text splits into, the position of a reader in a list of them, the failure every
// stage throws, and the bounds on what a file can make the reader allocate.
#pragma once

#include <cctype>
#include <cstddef>
#include <string>
#include <vector>

namespace fx {

// The text in upper case (effect names and values are compared without case).
std::string upper(std::string s);
bool equalsNoCase(const std::string& a, const char* b);

inline bool isIdentStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
inline bool isIdentChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Bounds on what a file can make the reader allocate, far beyond any real effect: array
// elements (more than any shader's constant registers hold), tokens a macro or #if expands to
// (macros whose bodies name others twice double at every level), and preprocessed text (a file
// that includes itself twice doubles at every level of nesting).
constexpr double kMaxArrayElements = 65536;
constexpr std::size_t kMaxExpandedTokens = 1 << 18;
constexpr std::size_t kMaxPreprocessedBytes = std::size_t(16) << 20;

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

struct Token {
    enum Kind { Ident, Number, String, Punct, Pragma, End } kind = End;
    std::string text;
    std::size_t begin = 0, end = 0; // in the preprocessed text
    int line = 0;                   // 1-based line of the preprocessed text
};

// Splits the text from `from` to `to`, which starts on `line`, into tokens; comments are
// already gone.
void lex(const std::string& s, std::size_t from, std::size_t to, int line, std::vector<Token>& out);

// A reader's position in a list of tokens that ends with an End token, which it never passes.
class TokenCursor {
protected:
    explicit TokenCursor(std::vector<Token> tokens) : mT(std::move(tokens)) {}

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
    void skipBalanced();
    // Skips to the token p and past it, bracketed groups whole.
    void skipPast(const char* p);

    std::vector<Token> mT;
    std::size_t mPos = 0;
};

} // namespace fx
