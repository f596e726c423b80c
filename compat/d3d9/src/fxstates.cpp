#include "fxstates.h"

#include <cstring>
#include <map>

namespace fx {

namespace {

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

// clang-format on

template <std::size_t N>
const StateName* findState(const StateName (&table)[N], const std::string& name) {
    std::string u = upper(name);
    for (const StateName& s : table)
        if (u == s.name)
            return &s;
    return nullptr;
}

} // namespace

const std::vector<ValueName>& valueNames(Values v) {
    static const std::map<Values, std::vector<ValueName>> table = {
        {Values::Bool, {}},
        {Values::ZBuffer, {{"USEW", 2}}},
        {Values::Fill, {{"POINT", 1}, {"WIREFRAME", 2}, {"SOLID", 3}}},
        {Values::Shade, {{"FLAT", 1}, {"GOURAUD", 2}, {"PHONG", 3}}},
        {Values::Blend,
         {{"ZERO", 1},
          {"ONE", 2},
          {"SRCCOLOR", 3},
          {"INVSRCCOLOR", 4},
          {"SRCALPHA", 5},
          {"INVSRCALPHA", 6},
          {"DESTALPHA", 7},
          {"INVDESTALPHA", 8},
          {"DESTCOLOR", 9},
          {"INVDESTCOLOR", 10},
          {"SRCALPHASAT", 11},
          {"BOTHSRCALPHA", 12},
          {"BOTHINVSRCALPHA", 13},
          {"BLENDFACTOR", 14},
          {"INVBLENDFACTOR", 15}}},
        {Values::BlendOp,
         {{"ADD", 1}, {"SUBTRACT", 2}, {"REVSUBTRACT", 3}, {"MIN", 4}, {"MAX", 5}}},
        {Values::Cmp,
         {{"NEVER", 1},
          {"LESS", 2},
          {"EQUAL", 3},
          {"LESSEQUAL", 4},
          {"GREATER", 5},
          {"NOTEQUAL", 6},
          {"GREATEREQUAL", 7},
          {"ALWAYS", 8}}},
        {Values::Cull, {{"NONE", 1}, {"CW", 2}, {"CCW", 3}}},
        {Values::StencilOp,
         {{"KEEP", 1},
          {"ZERO", 2},
          {"REPLACE", 3},
          {"INCRSAT", 4},
          {"DECRSAT", 5},
          {"INVERT", 6},
          {"INCR", 7},
          {"DECR", 8}}},
        {Values::Fog, {{"NONE", 0}, {"EXP", 1}, {"EXP2", 2}, {"LINEAR", 3}}},
        {Values::MaterialSource, {{"MATERIAL", 0}, {"COLOR1", 1}, {"COLOR2", 2}}},
        {Values::ColorWrite, {{"RED", 1}, {"GREEN", 2}, {"BLUE", 4}, {"ALPHA", 8}}},
        {Values::VertexBlend,
         {{"DISABLE", 0},
          {"1WEIGHTS", 1},
          {"2WEIGHTS", 2},
          {"3WEIGHTS", 3},
          {"TWEENING", 255},
          {"0WEIGHTS", 256}}},
        {Values::TextureOp,
         {{"DISABLE", 1},
          {"SELECTARG1", 2},
          {"SELECTARG2", 3},
          {"MODULATE", 4},
          {"MODULATE2X", 5},
          {"MODULATE4X", 6},
          {"ADD", 7},
          {"ADDSIGNED", 8},
          {"ADDSIGNED2X", 9},
          {"SUBTRACT", 10},
          {"ADDSMOOTH", 11},
          {"BLENDDIFFUSEALPHA", 12},
          {"BLENDTEXTUREALPHA", 13},
          {"BLENDFACTORALPHA", 14},
          {"BLENDTEXTUREALPHAPM", 15},
          {"BLENDCURRENTALPHA", 16},
          {"PREMODULATE", 17},
          {"MODULATEALPHA_ADDCOLOR", 18},
          {"MODULATECOLOR_ADDALPHA", 19},
          {"MODULATEINVALPHA_ADDCOLOR", 20},
          {"MODULATEINVCOLOR_ADDALPHA", 21},
          {"BUMPENVMAP", 22},
          {"BUMPENVMAPLUMINANCE", 23},
          {"DOTPRODUCT3", 24},
          {"MULTIPLYADD", 25},
          {"LERP", 26}}},
        {Values::TextureArg,
         {{"DIFFUSE", 0},
          {"CURRENT", 1},
          {"TEXTURE", 2},
          {"TFACTOR", 3},
          {"SPECULAR", 4},
          {"TEMP", 5},
          {"CONSTANT", 6},
          {"COMPLEMENT", 16},
          {"ALPHAREPLICATE", 32}}},
        {Values::Filter,
         {{"NONE", 0},
          {"POINT", 1},
          {"LINEAR", 2},
          {"ANISOTROPIC", 3},
          {"PYRAMIDALQUAD", 6},
          {"GAUSSIANQUAD", 7}}},
        {Values::Address,
         {{"WRAP", 1}, {"MIRROR", 2}, {"CLAMP", 3}, {"BORDER", 4}, {"MIRRORONCE", 5}}},
        {Values::TextureTransformFlags,
         {{"DISABLE", 0},
          {"COUNT1", 1},
          {"COUNT2", 2},
          {"COUNT3", 3},
          {"COUNT4", 4},
          {"PROJECTED", 256}}},
    };
    static const std::vector<ValueName> none;
    auto it = table.find(v);
    return it == table.end() ? none : it->second;
}

const StateName* findRenderState(const std::string& name) {
    return findState(kRenderStates, name);
}
const StateName* findSamplerState(const std::string& name) {
    return findState(kSamplerStates, name);
}
const StateName* findStageState(const std::string& name) {
    return findState(kStageStates, name);
}

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

} // namespace fx
