// The effect reader's parser, the last of its stages (fxpreprocessor.h has the first two): the
// top level of the file, declarations, structs, function signatures and techniques, read into
// the effect's record. Function bodies are skipped; the shader compiler reads them.
#include "fxparser.h"

#include "fxconstants.h"
#include "fxpreprocessor.h"
#include "fxstates.h"

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

namespace {

class Parser : ConstantReader {
public:
    Parser(Effect& effect, std::vector<Token> tokens, bool rowMajor)
        : ConstantReader(std::move(tokens)), mFx(effect), mRowMajor(rowMajor) {}

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
                const StateName* sn = findSamplerState(name.text);
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
            } else if ((sn = findRenderState(name.text))) {
                s.kind = State::Render;
                s.type = sn->value;
            } else if ((sn = findSamplerState(name.text))) {
                s.kind = State::Sampler;
                s.type = sn->value;
            } else if ((sn = findStageState(name.text))) {
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
        preprocess(source, defines, include, flags, effect);
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
