// The effect reader's preprocessor: #include (through the caller's include handler, else from
// the including file's folder) and the conditional directives (#if with its constant
// expressions and defined(), #ifdef, #ifndef, #elif, #else, #endif, #error) are resolved here;
// #define, #undef and #pragma are passed on to the shader compiler, which expands the HLSL.
// Comments become spaces and every line stays a line, so messages can name the file and line a
// line came from. Then the text is split into tokens for the parser, with the object-like
// macros expanded where the effect syntax uses them.
#pragma once

#include <string>
#include <vector>

#include "fxparser.h"
#include "fxtokens.h"

namespace fx {

// Fills effect.text, effect.lines and effect.files (whose first entry names the source) from
// the source, with the caller's macros and D3DXSHADER_PACKMATRIX_ROWMAJOR (flags) first.
// Throws Failure.
void preprocess(const std::string& source, const D3DXMACRO* defines, ID3DXInclude* include,
                DWORD flags, Effect& effect);

// Tokens of the preprocessed text, object-like macros expanded; #pragma pack_matrix becomes a
// Pragma token, other directive lines are dropped. Throws Failure.
std::vector<Token> tokenize(const std::string& text);

} // namespace fx
