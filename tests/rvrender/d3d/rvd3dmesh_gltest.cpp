// The Direct3D mesh: the mesh contract read back from its buffers, the vertex declaration it
// builds from the streams, and the normal lines it keeps. One renderer makes the device for the
// whole program.
#include "rvd3dmesh.h"

#include <memory>
#include <vector>

#include "d3dcontext.h"
#include "meshcontract.h"

namespace {

// The renderer whose device every mesh of the program uses, made by the first case that needs
// it; without a display each case fails on its own (a failing environment would skip them).
rvD3DRender* gRenderer = nullptr;

void makeDevice() {
    ASSERT_NE(d3dtest::window(), nullptr) << testsupport::kNoWindow;
    if (gRenderer)
        return;
    rvSetMessageHandler([](const char* text, const char* caption) {
        d3dtest::gMessages.push_back({text ? text : "", caption ? caption : ""});
    });
    gRenderer = new rvD3DRender;
    ASSERT_TRUE(gRenderer->init(d3dtest::window()));
}

class DeviceEnvironment : public ::testing::Environment {
public:
    void TearDown() override { delete gRenderer; }
};
::testing::Environment* const kDevice = ::testing::AddGlobalTestEnvironment(new DeviceEnvironment);

UINT sizeOf(IDirect3DVertexBuffer9* b) {
    D3DVERTEXBUFFER_DESC desc;
    b->GetDesc(&desc);
    return desc.Size;
}
UINT sizeOf(IDirect3DIndexBuffer9* b) {
    D3DINDEXBUFFER_DESC desc;
    b->GetDesc(&desc);
    return desc.Size;
}

template <typename T, typename Buffer> std::vector<T> contents(Buffer* buffer) {
    void* bytes = nullptr;
    if (!buffer || buffer->Lock(0, 0, &bytes, D3DLOCK_READONLY) != D3D_OK)
        return {};
    const T* first = static_cast<const T*>(bytes);
    std::vector<T> values(first, first + sizeOf(buffer) / sizeof(T));
    buffer->Unlock();
    return values;
}

std::vector<D3DVERTEXELEMENT9> declaration(const rvD3DMesh& mesh) {
    UINT count = 0;
    if (!mesh.declaration() || mesh.declaration()->GetDeclaration(nullptr, &count) != D3D_OK)
        return {};
    std::vector<D3DVERTEXELEMENT9> elements(count);
    mesh.declaration()->GetDeclaration(elements.data(), &count);
    return elements;
}

} // namespace

template <> struct MeshReader<rvD3DMesh> {
    static constexpr bool kStoresBones = true; // the effect skins from them
    static void setUp() { makeDevice(); }
    static Floats colors(rvD3DMesh& m) {
        Floats argb;
        for (D3DCOLOR c : contents<D3DCOLOR>(m.buffer(rvD3DMesh::kColors))) {
            for (int shift : {24, 16, 8, 0})
                argb.push_back(static_cast<float>(c >> shift & 0xFF) / 255.0f);
        }
        return argb;
    }
    static Floats uvs(rvD3DMesh& m, int set) {
        return contents<float>(m.buffer(set ? rvD3DMesh::kUVs1 : rvD3DMesh::kUVs0));
    }
    static Floats data(rvD3DMesh& m, int s) {
        return contents<float>(m.buffer(s ? rvD3DMesh::kData1 : rvD3DMesh::kData0));
    }
    static int components(rvD3DMesh& m, int stream) { return m.components(stream); }
    static bool wideIndices(rvD3DMesh& m) { return m.wideIndices(); }
    static std::vector<unsigned> indices(rvD3DMesh& m) {
        if (m.wideIndices())
            return contents<unsigned>(m.indexBuffer());
        const auto narrow = contents<unsigned short>(m.indexBuffer());
        return std::vector<unsigned>(narrow.begin(), narrow.end());
    }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Direct3D, MeshContract, rvD3DMesh);

namespace {

TEST(D3DMesh, TheDeclarationNumbersTheStreamsThatExistInTheirOrder) {
    ASSERT_NO_FATAL_FAILURE(makeDevice());
    rvD3DMesh mesh(kTriangleList);
    const float f[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 1};
    const float uv[6] = {0, 0, 1, 0, 0, 1};
    EXPECT_FALSE(mesh.setUVs(uv, 6)); // kept until there are positions
    EXPECT_EQ(mesh.declaration(), nullptr);
    ASSERT_TRUE(mesh.setPositions(f, 9));
    EXPECT_EQ(declaration(mesh)[1].Usage, D3DDECLUSAGE_TEXCOORD);

    rvD3DMesh plain(kTriangleList);
    ASSERT_TRUE(plain.setPositions(f, 9));
    const auto one = declaration(plain);
    ASSERT_EQ(one.size(), 2u);
    EXPECT_EQ(one[0].Usage, D3DDECLUSAGE_POSITION);
    EXPECT_EQ(one[1].Stream, 0xFF); // the end marker

    ASSERT_TRUE(mesh.setNormals(f, 9));
    EXPECT_EQ(declaration(mesh)[2].Usage, D3DDECLUSAGE_NORMAL);
    EXPECT_EQ(declaration(mesh)[2].Stream, 2);
    const float tangents[12] = {1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, -1};
    ASSERT_TRUE(mesh.setData(tangents, 3 * 16, 4));
    const D3DVERTEXELEMENT9 data = declaration(mesh)[2];
    EXPECT_EQ(data.Type, D3DDECLTYPE_FLOAT4);
    EXPECT_EQ(data.Usage, D3DDECLUSAGE_TEXCOORD);
    EXPECT_EQ(data.UsageIndex, 2);
    EXPECT_EQ(declaration(mesh).size(), 5u);
}

// Lines lit in the band of columns around x.
int litInColumns(const std::vector<D3DCOLOR>& pixels, int x) {
    int lit = 0;
    for (int y = 0; y < d3dtest::kWindowHeight; ++y)
        for (int c = x - 3; c <= x + 3; ++c)
            lit += (pixels[y * d3dtest::kWindowWidth + c] & 0xFFFFFF) != 0;
    return lit;
}

TEST(D3DMesh, NormalLinesAreTheOnesOfTheFirstDrawEvenAfterNewPositions) {
    ASSERT_NO_FATAL_FAILURE(makeDevice());
    rvRender* render = gRenderer;
    rvMatrix44 identity;
    render->setWorldMatrix(&identity);
    render->setViewMatrix(identity);
    render->setTexture(nullptr);
    // Three vertices 3 units ahead at x = −1, 0, 1 (about 28 pixels apart), normals up.
    const float p[9] = {-1, 0, -3, 0, 0, -3, 1, 0, -3};
    const float n[9] = {0, 0.8f, 0, 0, 0.8f, 0, 0, 0.8f, 0};
    rvD3DMesh mesh(kPointList);
    ASSERT_TRUE(mesh.setPositions(p, 9));
    ASSERT_TRUE(mesh.setNormals(n, 9));
    const float black[4] = {1, 0, 0, 0};
    render->clear(black, 1);
    ASSERT_TRUE(mesh.drawNormals(render));
    const std::vector<D3DCOLOR> before = d3dtest::readBackBuffer();
    const float moved[3] = {0, -1.5f, -3}; // its line would be below the middle one
    ASSERT_TRUE(mesh.setPositions(moved, 3));
    render->clear(black, 1);
    ASSERT_TRUE(mesh.drawNormals(render));
    const std::vector<D3DCOLOR> second = d3dtest::readBackBuffer();
    for (int i = 0; i < 3; ++i) {
        EXPECT_GT(litInColumns(before, 36 + 28 * i), 5) << i;
        EXPECT_EQ(litInColumns(second, 36 + 28 * i), litInColumns(before, 36 + 28 * i)) << i;
    }
}

} // namespace
