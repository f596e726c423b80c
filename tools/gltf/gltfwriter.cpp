#include "gltfwriter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include <stb/stb_image_write.h>

namespace gltf {

namespace {

// Component types and targets of glTF accessors and buffer views.
constexpr int kUnsignedShort = 5123, kUnsignedInt = 5125, kFloat = 5126;
constexpr int kArrayBuffer = 34962, kElementArrayBuffer = 34963;

std::string number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", v);
    return text;
}

// The binary chunk and the JSON lists that describe it.
class Builder {
public:
    // Appends bytes as a buffer view (4-byte aligned); returns its index.
    int view(const void* data, std::size_t size, int target) {
        while (mBin.size() % 4)
            mBin.push_back(0);
        std::ostringstream v;
        v << "{\"buffer\":0,\"byteOffset\":" << mBin.size() << ",\"byteLength\":" << size;
        if (target)
            v << ",\"target\":" << target;
        v << "}";
        mViews.push_back(v.str());
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        mBin.insert(mBin.end(), bytes, bytes + size);
        return static_cast<int>(mViews.size() - 1);
    }
    // An accessor over a new view of `count` elements of `type` ("SCALAR", "VEC3", …).
    template <class T>
    int accessor(const std::vector<T>& values, int componentType, const char* type,
                 unsigned components, int target, bool bounds = false) {
        int v = view(values.data(), values.size() * sizeof(T), target);
        std::ostringstream a;
        a << "{\"bufferView\":" << v << ",\"componentType\":" << componentType
          << ",\"count\":" << values.size() / components << ",\"type\":\"" << type << "\"";
        if (bounds && !values.empty()) {
            std::string lo, hi;
            for (unsigned c = 0; c < components; ++c) {
                double mn = values[c], mx = values[c];
                for (std::size_t i = c; i < values.size(); i += components) {
                    mn = std::min<double>(mn, values[i]);
                    mx = std::max<double>(mx, values[i]);
                }
                lo += (c ? "," : "") + number(mn);
                hi += (c ? "," : "") + number(mx);
            }
            a << ",\"min\":[" << lo << "],\"max\":[" << hi << "]";
        }
        a << "}";
        mAccessors.push_back(a.str());
        return static_cast<int>(mAccessors.size() - 1);
    }
    std::vector<std::uint8_t>& bin() { return mBin; }
    std::string views() const { return join(mViews); }
    std::string accessors() const { return join(mAccessors); }

    static std::string join(const std::vector<std::string>& items) {
        std::string s;
        for (std::size_t i = 0; i < items.size(); ++i)
            s += (i ? "," : "") + items[i];
        return s;
    }

private:
    std::vector<std::uint8_t> mBin;
    std::vector<std::string> mViews, mAccessors;
};

void appendU32(std::vector<std::uint8_t>* out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out->push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// The texture as PNG bytes, rows top first and red, green, blue (, alpha).
std::vector<std::uint8_t> png(const CImage& image) {
    const int w = image.getWidth(), h = image.getHeight(), c = image.getChannels();
    std::vector<std::uint8_t> rgba(std::size_t(w) * h * c);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* line = image.getLinePtr(h - 1 - y);
        for (int x = 0; x < w; ++x) {
            std::uint8_t* px = &rgba[(std::size_t(y) * w + x) * c];
            px[0] = line[x * c + 2];
            px[1] = line[x * c + 1];
            px[2] = line[x * c];
            if (c == 4)
                px[3] = line[x * c + 3];
        }
    }
    std::vector<std::uint8_t> out;
    stbi_write_png_to_func(
        [](void* context, void* data, int size) {
            auto* bytes = static_cast<std::uint8_t*>(data);
            static_cast<std::vector<std::uint8_t>*>(context)->insert(
                static_cast<std::vector<std::uint8_t>*>(context)->end(), bytes, bytes + size);
        },
        &out, w, h, c, rgba.data(), w * c);
    return out;
}

} // namespace

Model fromMeshFile(const rvMeshFile& record, double framesPerSecond) {
    Model m;
    m.positions = record.positions;
    m.normals = record.normals;
    m.texCoords = record.texCoords;
    m.indices = record.indices;
    m.joints.assign(record.boneIndices.begin(), record.boneIndices.end());
    m.weights = record.boneWeights;
    m.jointCount = record.boneCount;
    m.frameCount = record.frameCount;
    m.framesPerSecond = framesPerSecond;
    for (std::uint32_t b = 0; b < record.boneCount; ++b)
        for (std::uint32_t f = 0; f < record.frameCount; ++f) {
            const rvBoneKey& k = record.key(b, f);
            m.translations.insert(m.translations.end(),
                                  {k.translation.x, k.translation.y, k.translation.z});
            m.rotations.insert(m.rotations.end(),
                               {k.rotation.w, k.rotation.x, k.rotation.y, k.rotation.z});
        }
    return m;
}

std::vector<std::uint8_t> encodeGlb(const Model& m, const CImage* texture) {
    Builder b;
    const std::size_t vertices = m.positions.size() / 3;
    std::ostringstream attributes;
    attributes << "\"POSITION\":" << b.accessor(m.positions, kFloat, "VEC3", 3, kArrayBuffer, true);
    if (!m.normals.empty())
        attributes << ",\"NORMAL\":" << b.accessor(m.normals, kFloat, "VEC3", 3, kArrayBuffer);
    if (!m.texCoords.empty()) {
        // glTF puts v = 0 at the top of the picture.
        std::vector<float> uv = m.texCoords;
        for (std::size_t i = 1; i < uv.size(); i += 2)
            uv[i] = 1.0f - uv[i];
        attributes << ",\"TEXCOORD_0\":" << b.accessor(uv, kFloat, "VEC2", 2, kArrayBuffer);
    }
    const bool skinned = m.jointCount > 0 && m.frameCount > 0;
    if (skinned)
        for (unsigned set = 0; set * 4 < m.influences; ++set) {
            std::vector<std::uint16_t> joints;
            std::vector<float> weights;
            for (std::size_t v = 0; v < vertices; ++v)
                for (unsigned k = 0; k < 4; ++k) {
                    joints.push_back(m.joints[v * m.influences + set * 4 + k]);
                    weights.push_back(m.weights[v * m.influences + set * 4 + k]);
                }
            attributes << ",\"JOINTS_" << set
                       << "\":" << b.accessor(joints, kUnsignedShort, "VEC4", 4, kArrayBuffer)
                       << ",\"WEIGHTS_" << set
                       << "\":" << b.accessor(weights, kFloat, "VEC4", 4, kArrayBuffer);
        }
    const int indices = b.accessor(m.indices, kUnsignedInt, "SCALAR", 1, kElementArrayBuffer);

    // Nodes: 0 the root, 1 the mesh, 2 … the joints.
    std::ostringstream json;
    json << "{\"asset\":{\"version\":\"2.0\",\"generator\":\"brindle\"},\"scene\":0,"
         << "\"scenes\":[{\"nodes\":[0]}],\"nodes\":[{\"name\":\"root\",\"children\":[1";
    for (unsigned j = 0; j < m.jointCount && skinned; ++j)
        json << "," << j + 2;
    json << "]},{\"name\":\"mesh\",\"mesh\":0" << (skinned ? ",\"skin\":0" : "") << "}";
    for (unsigned j = 0; j < m.jointCount && skinned; ++j) {
        const float* t = &m.translations[3 * j * m.frameCount];
        const float* r = &m.rotations[4 * j * m.frameCount];
        json << ",{\"name\":\"bone " << j << "\",\"translation\":[" << number(t[0]) << ","
             << number(t[1]) << "," << number(t[2]) << "],\"rotation\":[" << number(r[1]) << ","
             << number(r[2]) << "," << number(r[3]) << "," << number(r[0]) << "]}";
    }
    json << "],\"meshes\":[{\"primitives\":[{\"attributes\":{" << attributes.str()
         << "},\"indices\":" << indices << ",\"mode\":4";
    if (texture && !texture->empty())
        json << ",\"material\":0";
    json << "}]}]";

    if (skinned) {
        std::vector<float> identity;
        for (unsigned j = 0; j < m.jointCount; ++j)
            identity.insert(identity.end(), {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
        json << ",\"skins\":[{\"inverseBindMatrices\":"
             << b.accessor(identity, kFloat, "MAT4", 16, 0) << ",\"joints\":[";
        for (unsigned j = 0; j < m.jointCount; ++j)
            json << (j ? "," : "") << j + 2;
        json << "]}]";

        // The clip: one key per frame and the first key again, one frame after the last.
        std::vector<float> times;
        for (unsigned f = 0; f <= m.frameCount; ++f)
            times.push_back(static_cast<float>(f / m.framesPerSecond));
        const int input = b.accessor(times, kFloat, "SCALAR", 1, 0, true);
        std::vector<std::string> samplers, channels;
        auto animate = [&](const std::vector<float>& values, unsigned size, const char* type,
                           const char* path, unsigned j, bool wxyz) {
            std::vector<float> keys;
            for (unsigned f = 0; f <= m.frameCount; ++f) {
                const float* k = &values[(j * m.frameCount + f % m.frameCount) * size];
                if (wxyz)
                    keys.insert(keys.end(), {k[1], k[2], k[3], k[0]});
                else
                    keys.insert(keys.end(), k, k + size);
            }
            int output = b.accessor(keys, kFloat, type, size, 0);
            channels.push_back("{\"sampler\":" + std::to_string(samplers.size()) +
                               ",\"target\":{\"node\":" + std::to_string(j + 2) + ",\"path\":\"" +
                               path + "\"}}");
            samplers.push_back("{\"input\":" + std::to_string(input) + ",\"output\":" +
                               std::to_string(output) + ",\"interpolation\":\"LINEAR\"}");
        };
        for (unsigned j = 0; j < m.jointCount; ++j) {
            animate(m.translations, 3, "VEC3", "translation", j, false);
            animate(m.rotations, 4, "VEC4", "rotation", j, true);
            if (!m.scales.empty())
                animate(m.scales, 3, "VEC3", "scale", j, false);
        }
        json << ",\"animations\":[{\"name\":\"clip\",\"samplers\":[" << Builder::join(samplers)
             << "],\"channels\":[" << Builder::join(channels) << "]}]";
    }
    if (texture && !texture->empty()) {
        const std::vector<std::uint8_t> image = png(*texture);
        const int view = b.view(image.data(), image.size(), 0);
        json << ",\"images\":[{\"bufferView\":" << view << ",\"mimeType\":\"image/png\"}]"
             << ",\"textures\":[{\"source\":0}],\"materials\":[{\"pbrMetallicRoughness\":"
             << "{\"baseColorTexture\":{\"index\":0},\"metallicFactor\":0}}]";
    }
    while (b.bin().size() % 4)
        b.bin().push_back(0);
    json << ",\"buffers\":[{\"byteLength\":" << b.bin().size() << "}],\"bufferViews\":["
         << b.views() << "],\"accessors\":[" << b.accessors() << "]}";

    std::string text = json.str();
    while (text.size() % 4)
        text += ' ';
    std::vector<std::uint8_t> out;
    appendU32(&out, 0x46546C67); // "glTF"
    appendU32(&out, 2);
    appendU32(&out, static_cast<std::uint32_t>(12 + 8 + text.size() + 8 + b.bin().size()));
    appendU32(&out, static_cast<std::uint32_t>(text.size()));
    appendU32(&out, 0x4E4F534A); // "JSON"
    out.insert(out.end(), text.begin(), text.end());
    appendU32(&out, static_cast<std::uint32_t>(b.bin().size()));
    appendU32(&out, 0x004E4942); // "BIN"
    out.insert(out.end(), b.bin().begin(), b.bin().end());
    return out;
}

bool writeGlb(const std::string& path, const Model& model, const CImage* texture,
              std::string* error) {
    const std::vector<std::uint8_t> bytes = encodeGlb(model, texture);
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    if (!file) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

} // namespace gltf
