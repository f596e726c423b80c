// Constant expressions of an effect's initialisers, annotations and state values, read by the
// parser from its tokens as a flat list of numbers (vectors and matrices element by element):
// numbers, true and false, + - * / and brackets, and constructors such as float3(1, 2, 3). What
// cannot be evaluated here is left to the shader compiler.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "fxparser.h"
#include "fxtokens.h"

namespace fx {

// A number of the file as an integer: the fraction dropped, values beyond [lo, hi] clamped
// (C++ leaves their conversion undefined), NaN as 0.
std::int64_t clampedInteger(double d, double lo, double hi);

// The number as a float's bits.
std::uint32_t floatBits(double d);

// Thrown by an expression the reader cannot evaluate (a name, a function of the shader).
struct Unevaluable {};

class ConstantReader : protected TokenCursor {
protected:
    explicit ConstantReader(std::vector<Token> tokens) : TokenCursor(std::move(tokens)) {}

    // An initialiser: an expression, or {…} of them, flattened. Throws Unevaluable.
    std::vector<double> initializer();
    // An initialiser the reader cannot evaluate is left to the shader compiler: the tokens up
    // to the next ',' or ';' are skipped and the list is empty, so that the parameter starts
    // at zero.
    std::vector<double> tryInitializer();
    // The values as the words of a parameter of the base type (floats as their bits, integers
    // clamped to 32 bits, booleans 0 or 1).
    static std::vector<std::uint32_t> words(const std::vector<double>& values, BaseType base);

    // The levels of an expression, for the parser's own uses of them (array sizes, state
    // values).
    std::vector<double> additive();
    std::vector<double> multiplicative();
    std::vector<double> unary();

    int mDepth = 0; // of initialisers and expressions

private:
    template <class F>
    std::vector<double> combine(const std::vector<double>& a, const std::vector<double>& b, F f) {
        if (a.size() != b.size() && a.size() != 1 && b.size() != 1)
            throw Unevaluable{};
        std::vector<double> out(std::max(a.size(), b.size()));
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = f(a[a.size() == 1 ? 0 : i], b[b.size() == 1 ? 0 : i]);
        return out;
    }
};

} // namespace fx
