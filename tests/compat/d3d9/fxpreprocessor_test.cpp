// The effect reader's preprocessor on text alone: which lines the conditional directives keep,
// how lines keep their numbers, and the failures of files made to exhaust memory or the stack.
#include "fxpreprocessor.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Result {
    std::string text;  // the preprocessed text, or empty
    std::string error; // "file(line): message", or empty
    fx::Effect effect;
};

// Preprocesses source as the file `file` (whose folder includes are looked for in).
Result run(const std::string& source, const std::string& file = "fx.fx",
           const D3DXMACRO* defines = nullptr, DWORD flags = 0) {
    Result r;
    r.effect.files.push_back(file);
    try {
        fx::preprocess(source, defines, nullptr, flags, r.effect);
        r.text = r.effect.text;
    } catch (const fx::Failure& f) {
        r.error = (f.line > 0 ? r.effect.where(f.line) + ": " : std::string()) + f.message;
    }
    return r;
}

// M24 is 2^25 tokens: each macro names the one before twice.
std::string doublingMacros() {
    std::string text = "#define M0 x x\n";
    for (int i = 1; i <= 24; ++i)
        text += "#define M" + std::to_string(i) + " M" + std::to_string(i - 1) + " M" +
                std::to_string(i - 1) + "\n";
    return text;
}

TEST(FxPreprocessor, ConditionsKeepTheLinesOfTheBranchTaken) {
    const D3DXMACRO three[] = {{"X", "3"}, {nullptr, nullptr}};
    const struct {
        const char* source;
        const D3DXMACRO* defines;
        bool keepsA;
    } rows[] = {
        {"#if 1 + 2 * 3 == 7\nA\n#endif", nullptr, true},
        {"#if defined(X)\nA\n#endif", nullptr, false},
        {"#if X == 3 && !defined Y\nA\n#endif", three, true},
        {"#define X 2\n#if X > 1 ? X - 2 : 1\nA\n#endif", nullptr, false},
        {"#ifdef X\nB\n#elif 0x10 >> 4\nA\n#else\nB\n#endif", nullptr, true},
        {"#ifndef X\nA\n#else\nB\n#endif", nullptr, true},
        // Wrapping as 64-bit two's complement, where C++ leaves overflow undefined.
        {"#if 0x7fffffffffffffff + 1 < 0 && -(-0x7fffffffffffffff - 1) / -1 < 0\nA\n#endif",
         nullptr, true},
        // What a branch not taken holds is not evaluated.
        {"#if 0\n#if 1 / 0\nB\n#endif\n#endif\nA", nullptr, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.source);
        const Result r = run(row.source, "fx.fx", row.defines);
        ASSERT_EQ(r.error, "");
        EXPECT_EQ(r.text.find("\nA\n") != std::string::npos || r.text.rfind("A\n", 0) == 0,
                  row.keepsA)
            << r.text;
        EXPECT_EQ(r.text.find('B'), std::string::npos) << r.text;
    }
}

TEST(FxPreprocessor, EveryLineKeepsItsFileAndNumber) {
    const D3DXMACRO one[] = {{"ONE", nullptr}, {nullptr, nullptr}};
    const Result r = run("a /* one\ntwo */ b\n#define C c\nd \\\ne // gone\ng", "fx.fx", one,
                         D3DXSHADER_PACKMATRIX_ROWMAJOR);
    ASSERT_EQ(r.error, "");
    // The caller's macros and the packing come first, from a file of their own.
    EXPECT_EQ(r.text.rfind("#pragma pack_matrix(row_major)\n#define ONE 1\n", 0), 0u) << r.text;
    EXPECT_EQ(r.effect.files, (std::vector<std::string>{"fx.fx", "fx.fx (macros)"}));
    EXPECT_NE(r.text.find("#define C c\n"), std::string::npos); // passed on to the compiler
    EXPECT_EQ(r.text.find("one"), std::string::npos);           // comments are spaces
    EXPECT_EQ(r.text.find("gone"), std::string::npos);
    EXPECT_EQ(r.effect.where(3), "fx.fx(1)");
    EXPECT_EQ(r.effect.where(4), "fx.fx(2)"); // " b", after the comment
    EXPECT_EQ(r.effect.where(7), "fx.fx(5)"); // the continued line's second half is a line
    EXPECT_EQ(r.effect.where(8), "fx.fx(6)");
    EXPECT_NE(r.text.find("d e"), std::string::npos) << r.text;
}

TEST(FxPreprocessor, WhatNoRealEffectDoesFailsNamingFileAndLine) {
    const std::string doubling = doublingMacros();
    const struct {
        std::string source;
        const char* message;
    } rows[] = {
        {"\n#endif", "fx.fx(2): #endif without #if"},
        {"#if 1\nA", "fx.fx(2): missing #endif"},
        {"#error stop here", "fx.fx(1): #error stop here"},
        {"#frobnicate", "fx.fx(1): unknown directive '#frobnicate'"},
        {"#include \"none.fx\"", "fx.fx(1): cannot open include file"},
        {"#if 1 << 64\n#endif", "fx.fx(1): shift by 64"},
        {"#if " + std::string(5000, '(') + "\n#endif", "fx.fx(1): nested more than 256 deep"},
        {"#define A A A\n#if A\n#endif", "fx.fx(2): "}, // A does not expand in itself: 0 0
        {doubling + "#if M24\n#endif", "#if expands to more than"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.source.substr(0, 60));
        const Result r = run(row.source);
        EXPECT_NE(r.error.find(row.message), std::string::npos) << r.error;
    }
}

TEST(FxPreprocessor, IncludesAreBoundedInDepthAndSize) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("fxinclude" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    auto write = [&](const std::string& name, const std::string& text) {
        std::ofstream((dir / name).string()) << text;
    };
    write("self.fx", "#include \"self.fx\"\n");
    std::string level0;
    for (int i = 0; i < 64; ++i)
        level0 +=
            "static const float pad" + std::to_string(i) + " = 0;" + std::string(100, ' ') + "\n";
    write("level0.fx", level0);
    for (int i = 1; i <= 16; ++i) {
        const std::string include = "#include \"level" + std::to_string(i - 1) + ".fx\"\n";
        write("level" + std::to_string(i) + ".fx", include + include);
    }
    write("two.fx", "#include \"level1.fx\"\nafter\n");
    const std::string main = (dir / "main.fx").string();

    EXPECT_NE(run("#include \"self.fx\"", main).error.find("includes nested too deeply"),
              std::string::npos);
    EXPECT_NE(run("#include \"level16.fx\"", main).error.find("MiB with its includes"),
              std::string::npos);
    const Result two = run("#include \"two.fx\"\nend", main);
    ASSERT_EQ(two.error, "");
    const int lines = static_cast<int>(two.effect.lines.size());
    EXPECT_EQ(two.effect.where(lines - 1), (dir / "two.fx").string() + "(2)");
    EXPECT_EQ(two.effect.where(lines), main + "(2)");
    std::filesystem::remove_all(dir);
}

TEST(FxPreprocessor, TokensExpandObjectLikeMacrosWithinBounds) {
    std::vector<fx::Token> t = fx::tokenize("#define N 4\n#define F(x) x\nfloat a[N]; F(1)\n");
    std::vector<std::string> texts;
    for (const fx::Token& token : t)
        texts.push_back(token.text);
    EXPECT_EQ(texts,
              (std::vector<std::string>{"float", "a", "[", "4", "]", ";", "F", "(", "1", ")", ""}));
    EXPECT_EQ(t[3].kind, fx::Token::Number);
    EXPECT_EQ(t[3].line, 3);
    EXPECT_EQ(t.back().kind, fx::Token::End);

    const std::string doubling = doublingMacros();
    try {
        fx::tokenize(doubling + "M24\n");
        ADD_FAILURE() << "a macro of 2^25 tokens was expanded";
    } catch (const fx::Failure& f) {
        EXPECT_NE(f.message.find("expands to more than"), std::string::npos) << f.message;
    }
}

} // namespace
