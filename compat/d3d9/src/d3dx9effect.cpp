// D3DX effects: an effect file read and compiled once at creation, its parameters stored as
// D3DX stores them (tightly, matrices row by row as a D3DXMATRIX holds them) and laid out into
// each pass's uniform block when a pass begins or changes are committed.
#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <tuple>

#include <strings.h>

#include "d3d9internal.h"
#include "d3dx9effect.h"
#include "fxcompiler.h"
#include "fxparser.h"

namespace {

using fx::BaseType;

// One pass, linked.
struct PassProgram {
    GLuint program = 0; // 0: the pass uses the fixed-function pipeline
    GLint pixelOffset = -1;
    unsigned integerInputs = 0;
    std::vector<fx::BlockMember> block;
    std::vector<int> blockParameters; // parameter of each block member, -1 if none
    std::uint32_t blockSize = 0;
    GLuint buffer = 0;
    unsigned long long uploaded = 0; // parameter version in the buffer
    std::vector<int> samplers;
};

class Effect final : public ID3DXEffect {
public:
    Effect(IDirect3DDevice9* device, fx::Effect&& effect)
        : mDevice(device), mFx(std::move(effect)) {
        mDevice->AddRef();
        for (const fx::Parameter& p : mFx.parameters) {
            std::vector<std::uint32_t> words;
            if (fx::isNumeric(p.type)) {
                words.assign(std::size_t(std::max(1u, p.elements)) * p.rows * p.columns, 0);
                std::copy_n(p.initial.begin(), std::min(p.initial.size(), words.size()),
                            words.begin());
            }
            mValues.push_back(std::move(words));
        }
        mTextures.assign(mFx.parameters.size(), nullptr);
    }
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

    // Links every pass; false with the reason in errors.
    bool link(const std::map<std::pair<int, int>, fx::PassSource>& sources, std::string& errors) {
        d3d9gl::makeCurrent(mDevice);
        mPrograms.resize(mFx.techniques.size());
        for (std::size_t t = 0; t < mFx.techniques.size(); ++t) {
            mPrograms[t].resize(mFx.techniques[t].passes.size());
            for (std::size_t p = 0; p < mPrograms[t].size(); ++p) {
                auto source = sources.find({int(t), int(p)});
                if (source == sources.end())
                    continue;
                PassProgram& pass = mPrograms[t][p];
                std::string linkErrors;
                pass.program = fx::linkPass(source->second, pass.pixelOffset, linkErrors);
                if (!pass.program) {
                    errors +=
                        mFx.where(mFx.techniques[t].passes[p].line) + ": error: " + linkErrors;
                    return false;
                }
                pass.integerInputs = source->second.integerInputs;
                pass.block = source->second.block;
                pass.blockSize = source->second.blockSize;
                pass.samplers = source->second.samplers;
                for (const fx::BlockMember& m : pass.block)
                    pass.blockParameters.push_back(mFx.findParameter(m.name));
                if (pass.blockSize) {
                    glCreateBuffers(1, &pass.buffer);
                    glNamedBufferData(pass.buffer, pass.blockSize, nullptr, GL_DYNAMIC_DRAW);
                }
            }
        }
        return true;
    }

    // IUnknown
    HRESULT WINAPI QueryInterface(REFIID, void** object) override {
        if (object)
            *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG WINAPI AddRef() override { return ++mReferences; }
    ULONG WINAPI Release() override {
        ULONG count = --mReferences;
        if (count == 0)
            destroy();
        return count;
    }

    // ID3DXBaseEffect
    D3DXHANDLE WINAPI GetParameterByName(D3DXHANDLE parent, LPCSTR name) override {
        if (parent || !name)
            return nullptr;
        int i = mFx.findParameter(name);
        return i < 0 ? nullptr : mFx.parameters[i].name.c_str();
    }
    D3DXHANDLE WINAPI GetTechniqueByName(LPCSTR name) override {
        if (!name)
            return nullptr;
        for (const fx::Technique& t : mFx.techniques)
            if (t.name == name)
                return t.name.c_str();
        return nullptr;
    }

    HRESULT WINAPI SetFloat(D3DXHANDLE handle, FLOAT f) override { return setScalar(handle, f); }
    HRESULT WINAPI SetFloatArray(D3DXHANDLE handle, const FLOAT* f, UINT count) override {
        int i = parameter(handle);
        if (i < 0 || !f || !fx::isNumeric(mFx.parameters[i].type))
            return D3DERR_INVALIDCALL;
        for (std::size_t k = 0; k < std::min<std::size_t>(count, mValues[i].size()); ++k)
            store(i, k, f[k]);
        ++mVersion;
        return D3D_OK;
    }
    HRESULT WINAPI GetFloatArray(D3DXHANDLE handle, FLOAT* f, UINT count) override {
        int i = parameter(handle);
        if (i < 0 || !f || !fx::isNumeric(mFx.parameters[i].type))
            return D3DERR_INVALIDCALL;
        for (std::size_t k = 0; k < std::min<std::size_t>(count, mValues[i].size()); ++k)
            f[k] = toFloat(i, k);
        return D3D_OK;
    }
    HRESULT WINAPI SetMatrix(D3DXHANDLE handle, const D3DXMATRIX* m) override {
        return setMatrices(handle, m, 1, false, false);
    }
    HRESULT WINAPI GetMatrix(D3DXHANDLE handle, D3DXMATRIX* m) override {
        int i = parameter(handle);
        if (i < 0 || !m || !mFx.parameters[i].matrix || mFx.parameters[i].elements)
            return D3DERR_INVALIDCALL;
        const fx::Parameter& p = mFx.parameters[i];
        std::memset(m, 0, sizeof *m);
        for (unsigned r = 0; r < p.rows; ++r)
            for (unsigned c = 0; c < p.columns; ++c)
                m->m[r][c] = toFloat(i, r * p.columns + c);
        return D3D_OK;
    }
    HRESULT WINAPI SetMatrixArray(D3DXHANDLE handle, const D3DXMATRIX* m, UINT count) override {
        return setMatrices(handle, m, count, false, true);
    }
    HRESULT WINAPI SetMatrixTranspose(D3DXHANDLE handle, const D3DXMATRIX* m) override {
        return setMatrices(handle, m, 1, true, false);
    }
    HRESULT WINAPI SetTexture(D3DXHANDLE handle, LPDIRECT3DBASETEXTURE9 texture) override {
        int i = parameter(handle);
        if (i < 0 || !fx::isTexture(mFx.parameters[i].type))
            return D3DERR_INVALIDCALL;
        if (texture)
            texture->AddRef();
        if (mTextures[i])
            mTextures[i]->Release();
        mTextures[i] = texture;
        return D3D_OK;
    }

    // ID3DXEffect
    HRESULT WINAPI SetTechnique(D3DXHANDLE handle) override {
        int t = technique(handle);
        if (t < 0 || mActive)
            return D3DERR_INVALIDCALL;
        mTechnique = t;
        return D3D_OK;
    }
    HRESULT WINAPI Begin(UINT* passes, DWORD flags) override {
        if (mActive)
            return D3DERR_INVALIDCALL;
        mActive = true;
        mFlags = flags;
        mPass = -1;
        if (passes)
            *passes = UINT(mFx.techniques[mTechnique].passes.size());
        if (!(flags & D3DXFX_DONOTSAVESTATE))
            saveState();
        return D3D_OK;
    }
    HRESULT WINAPI BeginPass(UINT index) override {
        if (!mActive || mPass >= 0 || index >= mPrograms[mTechnique].size())
            return D3DERR_INVALIDCALL;
        mPass = int(index);
        d3d9gl::makeCurrent(mDevice);
        PassProgram& pass = mPrograms[mTechnique][index];
        d3d9gl::setShaderProgram(mDevice, pass.program, pass.integerInputs);
        applyStates(mFx.techniques[mTechnique].passes[index]);
        commit(pass);
        return D3D_OK;
    }
    HRESULT WINAPI CommitChanges() override {
        if (mPass < 0)
            return D3DERR_INVALIDCALL;
        commit(mPrograms[mTechnique][mPass]);
        return D3D_OK;
    }
    HRESULT WINAPI EndPass() override {
        if (mPass < 0)
            return D3DERR_INVALIDCALL;
        mPass = -1;
        return D3D_OK;
    }
    HRESULT WINAPI End() override {
        if (!mActive)
            return D3DERR_INVALIDCALL;
        mActive = false;
        mPass = -1;
        // As in D3DX, the pass's shaders stay bound when Begin did not save the shader state;
        // the caller sets null shaders before drawing without them.
        if (!(mFlags & (D3DXFX_DONOTSAVESTATE | D3DXFX_DONOTSAVESHADERSTATE)))
            d3d9gl::setShaderProgram(mDevice, 0, 0);
        restoreState();
        return D3D_OK;
    }
    HRESULT WINAPI GetDevice(LPDIRECT3DDEVICE9* device) override {
        if (!device)
            return D3DERR_INVALIDCALL;
        mDevice->AddRef();
        *device = mDevice;
        return D3D_OK;
    }
    // The GL context and everything in it survive a device reset.
    HRESULT WINAPI OnLostDevice() override { return D3D_OK; }
    HRESULT WINAPI OnResetDevice() override { return D3D_OK; }

private:
    ~Effect() = default;

    void destroy() {
        d3d9gl::makeCurrent(mDevice);
        for (auto& technique : mPrograms)
            for (PassProgram& p : technique) {
                if (p.program)
                    glDeleteProgram(p.program);
                if (p.buffer)
                    glDeleteBuffers(1, &p.buffer);
            }
        for (auto& saved : mSavedTextures)
            if (saved.second)
                saved.second->Release();
        for (IDirect3DBaseTexture9* t : mTextures)
            if (t)
                t->Release();
        IDirect3DDevice9* device = mDevice;
        delete this;
        device->Release();
    }

    // A handle: one this effect returned, or a name.
    int parameter(D3DXHANDLE handle) const {
        if (!handle)
            return -1;
        for (std::size_t i = 0; i < mFx.parameters.size(); ++i)
            if (handle == mFx.parameters[i].name.c_str())
                return int(i);
        return mFx.findParameter(handle);
    }
    int technique(D3DXHANDLE handle) const {
        if (!handle)
            return -1;
        for (std::size_t i = 0; i < mFx.techniques.size(); ++i)
            if (handle == mFx.techniques[i].name.c_str())
                return int(i);
        for (std::size_t i = 0; i < mFx.techniques.size(); ++i)
            if (mFx.techniques[i].name == handle)
                return int(i);
        return -1;
    }
    int scalarParameter(D3DXHANDLE handle) const {
        int i = parameter(handle);
        if (i < 0 || !fx::isNumeric(mFx.parameters[i].type) || mValues[i].size() != 1)
            return -1;
        return i;
    }

    // Word k of parameter i, converted from and to the parameter's type.
    void store(int i, std::size_t k, double value) {
        BaseType type = mFx.parameters[i].type;
        std::uint32_t word;
        if (type == BaseType::Float) {
            float f = float(value);
            std::memcpy(&word, &f, 4);
        } else if (type == BaseType::Bool) {
            word = value != 0.0;
        } else {
            word = std::uint32_t(std::int32_t(value));
        }
        mValues[i][k] = word;
    }
    float toFloat(int i, std::size_t k) const {
        std::uint32_t word = mValues[i][k];
        if (mFx.parameters[i].type == BaseType::Float) {
            float f;
            std::memcpy(&f, &word, 4);
            return f;
        }
        return float(std::int32_t(word));
    }

    HRESULT setScalar(D3DXHANDLE handle, double value) {
        int i = scalarParameter(handle);
        if (i < 0)
            return D3DERR_INVALIDCALL;
        store(i, 0, value);
        ++mVersion;
        return D3D_OK;
    }

    HRESULT setMatrices(D3DXHANDLE handle, const D3DXMATRIX* m, UINT count, bool transpose,
                        bool array) {
        int i = parameter(handle);
        if (i < 0 || !m || !mFx.parameters[i].matrix)
            return D3DERR_INVALIDCALL;
        const fx::Parameter& p = mFx.parameters[i];
        if (array ? count > std::max(1u, p.elements) : p.elements != 0)
            return D3DERR_INVALIDCALL;
        std::size_t size = std::size_t(p.rows) * p.columns;
        for (UINT e = 0; e < count; ++e)
            for (unsigned r = 0; r < p.rows; ++r)
                for (unsigned c = 0; c < p.columns; ++c)
                    store(i, e * size + r * p.columns + c, transpose ? m[e].m[c][r] : m[e].m[r][c]);
        ++mVersion;
        return D3D_OK;
    }

    std::uint32_t stateValue(const fx::State& s) const {
        if (s.parameter < 0)
            return s.value;
        const std::vector<std::uint32_t>& words = mValues[s.parameter];
        if (words.empty())
            return 0;
        bool isFloat = mFx.parameters[s.parameter].type == BaseType::Float;
        if (isFloat == s.isFloat)
            return words[0];
        float f = toFloat(s.parameter, 0);
        std::uint32_t bits;
        std::memcpy(&bits, &f, 4);
        return s.isFloat ? bits : std::uint32_t(std::int32_t(f));
    }

    void applyStates(const fx::Pass& pass) {
        for (const fx::State& s : pass.states) {
            switch (s.kind) {
            case fx::State::Render:
                mDevice->SetRenderState(D3DRENDERSTATETYPE(s.type), stateValue(s));
                break;
            case fx::State::Sampler:
                mDevice->SetSamplerState(s.index, D3DSAMPLERSTATETYPE(s.type), stateValue(s));
                break;
            case fx::State::TextureStage:
                mDevice->SetTextureStageState(s.index, D3DTEXTURESTAGESTATETYPE(s.type),
                                              stateValue(s));
                break;
            case fx::State::Texture:
                mDevice->SetTexture(s.index, s.parameter < 0 ? nullptr : mTextures[s.parameter]);
                break;
            case fx::State::Transform: {
                D3DXMATRIX m;
                GetMatrix(mFx.parameters[s.parameter].name.c_str(), &m);
                mDevice->SetTransform(D3DTRANSFORMSTATETYPE(s.type), &m);
                break;
            }
            }
        }
    }

    // Textures and sampler states of the pass's samplers, and its parameter block.
    void commit(PassProgram& pass) {
        for (int s : pass.samplers) {
            const fx::Parameter& sampler = mFx.parameters[s];
            DWORD stage = fx::samplerNumber(mFx, s);
            mDevice->SetTexture(stage, sampler.texture < 0 ? nullptr : mTextures[sampler.texture]);
            for (const fx::State& state : sampler.samplerStates)
                mDevice->SetSamplerState(stage, D3DSAMPLERSTATETYPE(state.type), state.value);
        }
        if (!pass.program)
            return;
        if (pass.pixelOffset >= 0) {
            D3DVIEWPORT9 viewport = {};
            mDevice->GetViewport(&viewport);
            if (viewport.Width && viewport.Height)
                glProgramUniform2f(pass.program, pass.pixelOffset, 1.0f / float(viewport.Width),
                                   -1.0f / float(viewport.Height));
        }
        if (!pass.buffer)
            return;
        if (pass.uploaded != mVersion) {
            std::vector<unsigned char> bytes(pass.blockSize, 0);
            for (std::size_t m = 0; m < pass.block.size(); ++m)
                if (pass.blockParameters[m] >= 0)
                    layOut(pass.block[m], pass.blockParameters[m], bytes);
            glNamedBufferSubData(pass.buffer, 0, GLsizeiptr(bytes.size()), bytes.data());
            pass.uploaded = mVersion;
        }
        glBindBufferBase(GL_UNIFORM_BUFFER, 0, pass.buffer);
    }

    // A parameter's words where the block keeps them. A matrix element M[r][c] (row r of the
    // D3DXMATRIX) is component c of the r-th SPIR-V column; RowMajor stores the components of
    // one index together.
    void layOut(const fx::BlockMember& member, int i, std::vector<unsigned char>& bytes) const {
        const fx::Parameter& p = mFx.parameters[i];
        const std::vector<std::uint32_t>& words = mValues[i];
        unsigned elements = std::max(1u, p.elements);
        std::size_t size = std::size_t(p.rows) * p.columns;
        auto put = [&](std::size_t offset, std::uint32_t word) {
            if (offset + 4 <= bytes.size())
                std::memcpy(&bytes[offset], &word, 4);
        };
        for (unsigned e = 0; e < elements; ++e) {
            std::size_t base = member.offset + std::size_t(e) * member.arrayStride;
            if (e > 0 && member.arrayStride == 0)
                break;
            for (unsigned r = 0; r < p.rows; ++r)
                for (unsigned c = 0; c < p.columns; ++c) {
                    std::size_t offset = !p.matrix         ? base + c * 4
                                         : member.rowMajor ? base + c * member.matrixStride + r * 4
                                                           : base + r * member.matrixStride + c * 4;
                    put(offset, words[e * size + r * p.columns + c]);
                }
        }
    }

    // What Begin saves (unless D3DXFX_DONOTSAVESTATE) and End restores: every state the
    // technique's passes set.
    void saveState() {
        std::set<std::pair<int, std::uint64_t>> seen;
        auto once = [&](int kind, std::uint64_t key) { return seen.insert({kind, key}).second; };
        bool samplers = !(mFlags & D3DXFX_DONOTSAVESAMPLERSTATE);
        auto saveTexture = [&](DWORD stage) {
            if (!once(fx::State::Texture, stage))
                return;
            IDirect3DBaseTexture9* t = nullptr;
            mDevice->GetTexture(stage, &t);
            mSavedTextures.push_back({stage, t});
        };
        auto saveSampler = [&](DWORD stage, DWORD type) {
            if (!samplers || !once(fx::State::Sampler, (std::uint64_t(stage) << 32) | type))
                return;
            DWORD value = 0;
            mDevice->GetSamplerState(stage, D3DSAMPLERSTATETYPE(type), &value);
            mSavedSamplers.push_back({stage, type, value});
        };
        for (std::size_t p = 0; p < mFx.techniques[mTechnique].passes.size(); ++p) {
            for (const fx::State& s : mFx.techniques[mTechnique].passes[p].states) {
                DWORD value = 0;
                switch (s.kind) {
                case fx::State::Render:
                    if (once(s.kind, s.type)) {
                        mDevice->GetRenderState(D3DRENDERSTATETYPE(s.type), &value);
                        mSavedRender.push_back({s.type, value});
                    }
                    break;
                case fx::State::Sampler:
                    saveSampler(s.index, s.type);
                    break;
                case fx::State::TextureStage:
                    if (once(s.kind, (std::uint64_t(s.index) << 32) | s.type)) {
                        mDevice->GetTextureStageState(s.index, D3DTEXTURESTAGESTATETYPE(s.type),
                                                      &value);
                        mSavedStages.push_back({s.index, s.type, value});
                    }
                    break;
                case fx::State::Texture:
                    saveTexture(s.index);
                    break;
                case fx::State::Transform:
                    if (once(s.kind, s.type)) {
                        D3DMATRIX m;
                        mDevice->GetTransform(D3DTRANSFORMSTATETYPE(s.type), &m);
                        mSavedTransforms.push_back({s.type, m});
                    }
                    break;
                }
            }
            for (int sampler : mPrograms[mTechnique][p].samplers) {
                DWORD stage = fx::samplerNumber(mFx, sampler);
                saveTexture(stage);
                for (const fx::State& s : mFx.parameters[sampler].samplerStates)
                    saveSampler(stage, s.type);
            }
        }
    }

    void restoreState() {
        for (const auto& [type, value] : mSavedRender)
            mDevice->SetRenderState(D3DRENDERSTATETYPE(type), value);
        for (const auto& [stage, type, value] : mSavedSamplers)
            mDevice->SetSamplerState(stage, D3DSAMPLERSTATETYPE(type), value);
        for (const auto& [stage, type, value] : mSavedStages)
            mDevice->SetTextureStageState(stage, D3DTEXTURESTAGESTATETYPE(type), value);
        for (const auto& [type, m] : mSavedTransforms)
            mDevice->SetTransform(D3DTRANSFORMSTATETYPE(type), &m);
        for (auto& [stage, texture] : mSavedTextures) {
            mDevice->SetTexture(stage, texture);
            if (texture)
                texture->Release();
        }
        mSavedRender.clear();
        mSavedSamplers.clear();
        mSavedStages.clear();
        mSavedTransforms.clear();
        mSavedTextures.clear();
    }

    ULONG mReferences = 1;
    IDirect3DDevice9* mDevice;
    fx::Effect mFx;
    std::vector<std::vector<std::uint32_t>> mValues; // numeric parameters' words
    std::vector<IDirect3DBaseTexture9*> mTextures;   // texture parameters' textures (held)
    std::vector<std::vector<PassProgram>> mPrograms; // [technique][pass]
    unsigned long long mVersion = 1;                 // counts parameter changes
    int mTechnique = 0;
    bool mActive = false;
    int mPass = -1;
    DWORD mFlags = 0;
    std::vector<std::pair<DWORD, DWORD>> mSavedRender;
    std::vector<std::tuple<DWORD, DWORD, DWORD>> mSavedSamplers, mSavedStages;
    std::vector<std::pair<DWORD, D3DMATRIX>> mSavedTransforms;
    std::vector<std::pair<DWORD, IDirect3DBaseTexture9*>> mSavedTextures;
};

HRESULT fail(const std::string& message, LPD3DXBUFFER* errors) {
    if (errors) {
        *errors = nullptr;
        if (D3DXCreateBuffer(DWORD(message.size() + 1), errors) == D3D_OK && *errors)
            std::memcpy((*errors)->GetBufferPointer(), message.c_str(), message.size() + 1);
    }
    return D3DXERR_INVALIDDATA;
}

bool isProfile(const std::string& profile, const char* prefix) {
    static const char* const versions[] = {"1_1", "2_0", "2_a", "2_b", "2_sw", "3_0", "3_sw"};
    for (const char* v : versions)
        if (profile == std::string(prefix) + v)
            return true;
    return false;
}

HRESULT createEffect(IDirect3DDevice9* device, const std::string& source, const std::string& name,
                     const D3DXMACRO* defines, ID3DXInclude* include, DWORD flags,
                     LPD3DXEFFECT* effect, LPD3DXBUFFER* errorBuffer) {
    if (errorBuffer)
        *errorBuffer = nullptr;
    if (!device || !effect)
        return D3DERR_INVALIDCALL;
    *effect = nullptr;
    fx::Effect parsed;
    std::string errors;
    if (!fx::parseEffect(source, name, defines, include, flags, parsed, errors))
        return fail(errors, errorBuffer);
    std::map<std::pair<int, int>, fx::PassSource> sources;
    std::map<std::string, fx::PassSource> compiled; // passes with the same shaders share them
    for (std::size_t t = 0; t < parsed.techniques.size(); ++t) {
        for (std::size_t p = 0; p < parsed.techniques[t].passes.size(); ++p) {
            const fx::Pass& pass = parsed.techniques[t].passes[p];
            const fx::ShaderCall &vs = pass.vertexShader, &ps = pass.pixelShader;
            if (!vs.present && !ps.present)
                continue;
            if (vs.present != ps.present)
                return fail(
                    parsed.where(pass.line) +
                        ": error: a pass needs both a vertex and a pixel shader, or neither\n",
                    errorBuffer);
            if (!isProfile(vs.profile, "vs_") || !isProfile(ps.profile, "ps_")) {
                const fx::ShaderCall& bad = isProfile(vs.profile, "vs_") ? ps : vs;
                return fail(parsed.where(bad.line) + ": error: '" + bad.profile +
                                "' is not a shader model 1-3 profile for this shader\n",
                            errorBuffer);
            }
            std::string key = vs.entry + "(";
            for (const std::string& a : vs.arguments)
                key += a + ",";
            key += ")" + ps.entry + "(";
            for (const std::string& a : ps.arguments)
                key += a + ",";
            auto found = compiled.find(key);
            if (found == compiled.end()) {
                fx::PassSource translated;
                if (!fx::translatePass(parsed, pass, translated, errors))
                    return fail(errors, errorBuffer);
                found = compiled.emplace(key, std::move(translated)).first;
            }
            sources[{int(t), int(p)}] = found->second;
        }
    }
    auto* created = new Effect(device, std::move(parsed));
    if (!created->link(sources, errors)) {
        created->Release();
        return fail(errors, errorBuffer);
    }
    *effect = created;
    return D3D_OK;
}

} // namespace

HRESULT WINAPI D3DXCreateEffect(LPDIRECT3DDEVICE9 pDevice, LPCVOID pSrcData, UINT SrcDataLen,
                                const D3DXMACRO* pDefines, LPD3DXINCLUDE pInclude, DWORD Flags,
                                LPD3DXEFFECTPOOL, LPD3DXEFFECT* ppEffect,
                                LPD3DXBUFFER* ppCompilationErrors) {
    if (!pSrcData)
        return D3DERR_INVALIDCALL;
    std::string source(static_cast<const char*>(pSrcData), SrcDataLen);
    return createEffect(pDevice, source, "(memory)", pDefines, pInclude, Flags, ppEffect,
                        ppCompilationErrors);
}

HRESULT WINAPI D3DXCreateEffectFromFileA(LPDIRECT3DDEVICE9 pDevice, LPCSTR pSrcFile,
                                         const D3DXMACRO* pDefines, LPD3DXINCLUDE pInclude,
                                         DWORD Flags, LPD3DXEFFECTPOOL, LPD3DXEFFECT* ppEffect,
                                         LPD3DXBUFFER* ppCompilationErrors) {
    if (!pSrcFile)
        return D3DERR_INVALIDCALL;
    if (ppEffect)
        *ppEffect = nullptr;
    std::ifstream in(pSrcFile, std::ios::binary);
    if (!in)
        return fail(std::string(pSrcFile) + ": error: cannot open the file\n", ppCompilationErrors);
    std::stringstream text;
    text << in.rdbuf();
    return createEffect(pDevice, text.str(), pSrcFile, pDefines, pInclude, Flags, ppEffect,
                        ppCompilationErrors);
}
