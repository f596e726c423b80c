#include "fxconstants.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fxstates.h"

namespace fx {

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

// Constant expressions of initialisers and annotations, as a flat list of numbers.
std::vector<double> ConstantReader::initializer() {
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

std::vector<double> ConstantReader::additive() {
    std::vector<double> v = multiplicative();
    while (is("+") || is("-")) {
        bool plus = next().text == "+";
        std::vector<double> r = multiplicative();
        v = combine(v, r, [plus](double a, double b) { return plus ? a + b : a - b; });
    }
    return v;
}

std::vector<double> ConstantReader::multiplicative() {
    std::vector<double> v = unary();
    while (is("*") || is("/")) {
        bool times = next().text == "*";
        std::vector<double> r = unary();
        v = combine(v, r, [times](double a, double b) { return times ? a * b : a / b; });
    }
    return v;
}

std::vector<double> ConstantReader::unary() {
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
std::vector<double> ConstantReader::tryInitializer() {
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

std::vector<std::uint32_t> ConstantReader::words(const std::vector<double>& values, BaseType base) {
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

} // namespace fx
