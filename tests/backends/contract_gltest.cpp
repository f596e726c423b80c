// The renderer contract, operation by operation: the same rvRender calls go through rvGLRender
// and rvD3DRender in one process, and the two pictures must agree (at least 99 % of pixels
// within 16/255 in every channel, a mean difference under 2/255) and both must show something
// besides the clear colour. Each case writes its two pictures beside the test as
// contract/<case>_gl.png and contract/<case>_d3d.png for looking at.
//
// The camera looks from (0, 0, 5) at the origin through the renderers' own 60° perspective; at
// z = 0 the view is about 7.7 × 5.8 units. Nothing is lit (the renderers start with lighting
// off), culling and depth testing are on unless a case says otherwise.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cimage.h"
#include "pictures.h"
#include "rvd3drender.h"
#include "rvglrender.h"
#include "rvmesh.h"
#include "rvmessage.h"
#include "rvparticlemanager.h"
#include "rvtestprimitives.h"
#include "rvtexture.h"
#include "testwindow.h"

namespace {

using testsupport::Picture;

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr float kClear[4] = {1.0f, 0.1f, 0.1f, 0.15f}; // alpha, red, green, blue
constexpr unsigned char kClearRGB[3] = {25, 25, 38};

using Draw = std::function<void(rvRender&)>;
using MeshPtr = std::unique_ptr<rvMesh>;

// A folder of its own for the image files the cases write, removed when the program ends.
const std::filesystem::path& fileFolder() {
    struct Folder {
        std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("rvcontract-" + std::to_string(getpid()));
        Folder() { std::filesystem::create_directories(path); }
        ~Folder() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    };
    static const Folder folder;
    return folder.path;
}

// --- Geometry ---------------------------------------------------------------------------------

// A square in the plane z, lower-left corner (x, y), counter-clockwise from the camera, with the
// texture's top row at its top; indexed unless `plain`.
MeshPtr square(rvRender& r, float x, float y, float size, float z = 0.0f) {
    MeshPtr m(r.createMesh(nullptr, kTriangleList));
    const float p[12] = {x, y, z, x + size, y, z, x + size, y + size, z, x, y + size, z};
    const float uv[8] = {0, 1, 1, 1, 1, 0, 0, 0};
    const unsigned short i[6] = {0, 1, 2, 0, 2, 3};
    m->setPositions(p, 12);
    m->setUVs(uv, 8);
    m->setIndexArray16(i, 6);
    m->setPrimitiveCount(2);
    return m;
}

void colourAll(rvMesh& m, float a, float r, float g, float b) {
    m.setConstantColor(a, r, g, b, m.getVertexCount());
}

// Pixels in createTexture's layout (top row first, blue, green, red[, alpha]): four quadrants
// red, green / blue, white, so that a flip or a swapped channel shows.
std::vector<unsigned char> quadrants(int size, int channels, unsigned char alpha = 255) {
    std::vector<unsigned char> px;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const bool top = y < size / 2, left = x < size / 2;
            const unsigned char rgb[3] = {
                static_cast<unsigned char>(top == left || !top ? 230 : 20), // red
                static_cast<unsigned char>(top && !left      ? 220
                                           : (!top && !left) ? 230
                                                             : 30),
                static_cast<unsigned char>(!top ? 230 : 25)}; // blue
            px.insert(px.end(), {rgb[2], rgb[1], rgb[0]});
            if (channels == 4)
                px.push_back(alpha);
        }
    return px;
}

// The same pattern as an image file (BMP or TGA by the name's extension).
std::string writeImage(const std::string& name, int channels) {
    const int size = 8;
    const std::vector<unsigned char> px = quadrants(size, channels);
    CImage image;
    image.create(size, size, channels);
    for (int row = 0; row < size; ++row) // image lines run bottom-up
        std::copy(&px[static_cast<size_t>(row) * size * channels],
                  &px[static_cast<size_t>(row + 1) * size * channels],
                  image.getLinePtr(size - 1 - row));
    const std::string path = (fileFolder() / name).string();
    const bool bmp = name.substr(name.size() - 4) == ".bmp";
    EXPECT_TRUE(bmp ? image.writeBMP(path.c_str()) : image.writeTGA(path.c_str())) << path;
    return path;
}

// Twelve vertices zigzagging across the view (top, bottom, top, …), coloured from red to blue.
struct Zigzag {
    std::vector<float> positions, colors;
};
Zigzag zigzag() {
    Zigzag z;
    for (int i = 0; i < 12; ++i) {
        const float t = i / 11.0f;
        z.positions.insert(z.positions.end(), {-3.0f + 6.0f * t, i % 2 ? -1.5f : 1.5f, 0.0f});
        z.colors.insert(z.colors.end(), {1.0f, 1.0f - t, 0.8f * (i % 3) / 2.0f, t});
    }
    return z;
}

// --- The two renderers --------------------------------------------------------------------------

struct Backend {
    const char* name;
    std::function<rvRender*()> make;
    std::function<Picture()> read;
};
const Backend kBackends[2] = {
    {"gl", [] { return new rvGLRender; },
     [] { return testsupport::readGLBackBuffer(kWidth, kHeight); }},
    {"d3d", [] { return new rvD3DRender; }, testsupport::readD3DBackBuffer},
};

struct Pictures {
    Picture gl, d3d;
};

class Contract : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(testsupport::window(kWidth, kHeight), nullptr) << testsupport::kNoWindow;
        // The demo's run directory has the font the HUD text needs.
        mPrevious = std::filesystem::current_path();
        std::filesystem::current_path(RV_DEMO_DIR);
        rvSetMessageHandler([](const char* text, const char* caption) {
            ADD_FAILURE() << "message box " << caption << ": " << text;
        });
    }
    void TearDown() override {
        rvSetMessageHandler(nullptr);
        if (!mPrevious.empty()) // empty when there was no window
            std::filesystem::current_path(mPrevious);
    }

    // Runs `draw` on a fresh renderer of each back end between clear and the end of the frame,
    // and returns what each drew. `look` may move the camera away from its start.
    Pictures drawBoth(const Draw& draw) {
        Pictures out;
        for (const Backend& b : kBackends) {
            std::unique_ptr<rvRender> r(b.make());
            if (!r->init(testsupport::window(kWidth, kHeight))) {
                ADD_FAILURE() << b.name << ": init failed";
                continue;
            }
            rvVector3 eye(0, 0, 5), at(0, 0, 0), up(0, 1, 0);
            r->lookAt(&eye, &at, &up);
            r->beginScene();
            r->clear(kClear, 1.0f);
            draw(*r);
            (&b == &kBackends[0] ? out.gl : out.d3d) = b.read();
            r->endScene();
        }
        return out;
    }

    // Both pictures agree and show something.
    void expectSame(const Pictures& p) {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::string file = name;
        for (char& c : file)
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        const std::filesystem::path folder = mPrevious / "contract";
        std::filesystem::create_directories(folder);
        testsupport::writePNG((folder / (file + "_gl.png")).string(), p.gl);
        testsupport::writePNG((folder / (file + "_d3d.png")).string(), p.d3d);
        ASSERT_EQ(p.gl.rgb.size(), p.d3d.rgb.size());
        const testsupport::Agreement a = testsupport::compare(p.gl, p.d3d, kClearRGB);
        const int glDrawn = testsupport::pixelsUnlike(p.gl, kClearRGB);
        const int d3dDrawn = testsupport::pixelsUnlike(p.d3d, kClearRGB);
        std::printf("%s: %.2f%% of pixels within 16/255 (%.2f%% of those drawn), mean difference "
                    "%.3f/255; drawn: OpenGL %d pixels, Direct3D %d\n",
                    name.c_str(), 100.0 * a.close, 100.0 * a.drawnClose, a.mean, glDrawn, d3dDrawn);
        EXPECT_GE(a.close, 0.99);
        EXPECT_LT(a.mean, 2.0);
        EXPECT_GE(a.drawnClose, 0.95);
        // Twelve one-pixel points are the least a case draws.
        EXPECT_GE(glDrawn, 10) << "OpenGL drew (almost) nothing";
        EXPECT_GE(d3dDrawn, 10) << "Direct3D drew (almost) nothing";
    }

    std::filesystem::path mPrevious;
};

// --- Colours and textures -----------------------------------------------------------------------

TEST_F(Contract, VertexColoursFromEverySetter) {
    expectSame(drawBoth([](rvRender& r) {
        MeshPtr a = square(r, -3.5f, -1, 2), b = square(r, -1, -1, 2), c = square(r, 1.5f, -1, 2);
        const unsigned int orange = 0xFFE08020u;
        a->setARGBColor(&orange, 4);
        const float corners[16] = {1, 1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1, 1, 1, 1, 1};
        b->setFourFloatColors(corners, 16);
        c->setConstantColor(1, 0.3f, 0.6f, 0.9f, 4);
        for (rvMesh* m : {a.get(), b.get(), c.get()})
            r.drawMesh(m);
    }));
}

TEST_F(Contract, TexturesFromPixelsAndFiles) {
    const std::string bmp = writeImage("quadrants.bmp", 3);
    const std::string tga = writeImage("quadrants.tga", 4);
    expectSame(drawBoth([&](rvRender& r) {
        const std::vector<unsigned char> px24 = quadrants(8, 3), px32 = quadrants(8, 4);
        rvTexture* textures[4] = {r.createTexture(px24.data(), "created24", 8, 8, 24),
                                  r.createTexture(px32.data(), "created32", 8, 8, 32),
                                  r.loadTexture(bmp.c_str()), r.loadTexture(tga.c_str())};
        for (int i = 0; i < 4; ++i) {
            EXPECT_NE(textures[i]->handle, 0) << "texture " << i << " is the default one";
            MeshPtr m = square(r, -3.7f + 1.9f * i, -0.9f, 1.8f);
            r.setTexture(textures[i]);
            r.drawMesh(m.get());
        }
        r.setTexture(nullptr);
    }));
}

TEST_F(Contract, SecondTextureOnASecondCoordinateSet) {
    expectSame(drawBoth([](rvRender& r) {
        const std::vector<unsigned char> base = quadrants(8, 3);
        std::vector<unsigned char> stripes;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                const unsigned char v = x % 2 ? 255 : 90;
                stripes.insert(stripes.end(), {v, v, v});
            }
        rvTexture* first = r.createTexture(base.data(), "base", 8, 8, 24);
        rvTexture* second = r.createTexture(stripes.data(), "stripes", 4, 4, 24);
        const float uv2[8] = {0, 2, 2, 2, 2, 0, 0, 0}; // the stripes repeat twice
        MeshPtr both = square(r, -3, -1.5f, 3), only = square(r, 0.5f, -1.5f, 3);
        both->setUVs2(uv2, 8);
        only->setUVs2(uv2, 8);
        r.setTexture(first);
        r.setTexture2(second);
        r.drawMesh(both.get());
        r.setTexture2(nullptr); // the second stage is off again
        r.drawMesh(only.get());
        r.setTexture(nullptr);
    }));
}

// --- Primitive types ----------------------------------------------------------------------------

struct PrimitiveCase {
    int type;
    bool indexed;
};
std::string caseName(const ::testing::TestParamInfo<PrimitiveCase>& info) {
    static const char* const kNames[5] = {"PointList", "LineList", "LineStrip", "TriangleList",
                                          "TriangleStrip"};
    return std::string(info.param.indexed ? "Indexed" : "Plain") + kNames[info.param.type];
}

class Primitives : public Contract, public ::testing::WithParamInterface<PrimitiveCase> {};

// A mesh of the type drawn without a primitive count of its own: every vertex, or every index,
// makes a primitive of the type.
TEST_P(Primitives, EveryVertexOrIndexIsDrawn) {
    const PrimitiveCase c = GetParam();
    expectSame(drawBoth([c](rvRender& r) {
        const Zigzag z = zigzag();
        MeshPtr m(r.createMesh(nullptr, c.type));
        if (!c.indexed) {
            m->setPositions(z.positions.data(), static_cast<int>(z.positions.size()));
            m->setFourFloatColors(z.colors.data(), static_cast<int>(z.colors.size()));
        } else {
            // The vertices in reverse order, reached through indices (32-bit for the lists of
            // points and lines, 16-bit otherwise).
            std::vector<float> p, col;
            for (int i = 11; i >= 0; --i) {
                p.insert(p.end(), &z.positions[3 * i], &z.positions[3 * i + 3]);
                col.insert(col.end(), &z.colors[4 * i], &z.colors[4 * i + 4]);
            }
            m->setPositions(p.data(), static_cast<int>(p.size()));
            m->setFourFloatColors(col.data(), static_cast<int>(col.size()));
            std::vector<unsigned int> i32;
            for (unsigned int i = 0; i < 12; ++i)
                i32.push_back(11 - i);
            const std::vector<unsigned short> i16(i32.begin(), i32.end());
            if (c.type <= kLineList)
                m->setIndexArray32(i32.data(), 12);
            else
                m->setIndexArray16(i16.data(), 12);
        }
        r.setRenderState(kStateCull, false);
        r.drawMesh(m.get());
    }));
}

INSTANTIATE_TEST_SUITE_P(
    Contract, Primitives,
    ::testing::Values(PrimitiveCase{kPointList, false}, PrimitiveCase{kLineList, false},
                      PrimitiveCase{kLineStrip, false}, PrimitiveCase{kTriangleList, false},
                      PrimitiveCase{kTriangleStrip, false}, PrimitiveCase{kPointList, true},
                      PrimitiveCase{kLineList, true}, PrimitiveCase{kLineStrip, true},
                      PrimitiveCase{kTriangleList, true}, PrimitiveCase{kTriangleStrip, true}),
    caseName);

class FromPrimitive : public Contract, public ::testing::WithParamInterface<int> {};

// createMeshFromPrimitive's mesh of each type, textured from a file, as a user fills the model.
TEST_P(FromPrimitive, TheModelsMeshIsDrawnTextured) {
    const int type = GetParam();
    const std::string bmp = writeImage("model.bmp", 3);
    expectSame(drawBoth([&](rvRender& r) {
        rvPrimitiveModel model;
        rvPrimitiveGeometry g;
        const Zigzag z = zigzag();
        g.positions = z.positions;
        for (int i = 0; i < 12; ++i)
            g.uvs.insert(g.uvs.end(), {i / 11.0f, i % 2 ? 1.0f : 0.0f});
        for (unsigned short i = 0; i < 12; ++i)
            g.indices.push_back(i);
        g.vertexCount = 12;
        g.indexCount = 12;
        model.geometry.push_back(g);
        model.textureName = bmp;
        rvMesh* made = nullptr;
        rvTexture* texture = r.createMeshFromPrimitive(&model, &made, type);
        MeshPtr mesh(made);
        ASSERT_NE(texture, nullptr);
        EXPECT_NE(texture->handle, 0);
        r.setRenderState(kStateCull, false);
        r.setTexture(texture);
        r.drawMesh(mesh.get());
        r.setTexture(nullptr);
    }));
}

INSTANTIATE_TEST_SUITE_P(Contract, FromPrimitive,
                         ::testing::Values(kPointList, kLineList, kLineStrip, kTriangleList,
                                           kTriangleStrip));

// The generated test primitives, each on a mesh of its own.
TEST_F(Contract, TestPrimitives) {
    expectSame(drawBoth([](rvRender& r) {
        MeshPtr plane(r.createMesh(nullptr, kTriangleList)),
            cube(r.createMesh(nullptr, kTriangleList)),
            sphere(r.createMesh(nullptr, kTriangleList)), grid(r.createMesh(nullptr, kLineList));
        rvTestPrimitive::createPlane(1.5f, {1, 0.9f, 0.5f, 0.2f}, plane.get(), 1);
        rvTestPrimitive::createCube(1.2f, {1, 0.2f, 0.8f, 0.4f}, false, false, cube.get());
        rvTestPrimitive::createGeoSphere(0.8f, 2, false, {1, 0.3f, 0.5f, 1.0f}, sphere.get());
        rvTestPrimitive::createUnitGrid(4, {1, 1, 1, 1}, grid.get());
        const rvMatrix44 place[4] = {rvTranslationMatrix(rvVector3(-2.5f, 1, 0)),
                                     rvTranslationMatrix(rvVector3(0, 1, 0)) *
                                         rvRotationYMatrix(0.6f),
                                     rvTranslationMatrix(rvVector3(2.5f, 1, 0)),
                                     rvTranslationMatrix(rvVector3(0, -1.8f, 0))};
        rvMesh* meshes[4] = {plane.get(), cube.get(), sphere.get(), grid.get()};
        for (int i = 0; i < 4; ++i) {
            rvMatrix44 world = place[i];
            r.setWorldMatrix(&world);
            r.drawMesh(meshes[i]);
        }
    }));
}

// --- Particles, text, fill and blending ----------------------------------------------------------

TEST_F(Contract, ParticlesShrinkWithDistance) {
    expectSame(drawBoth([](rvRender& r) {
        // A sprite bright in its upper half, dimmer below: a flipped sprite shows.
        std::vector<unsigned char> sprite;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const unsigned char v = y < 8 ? 255 : 110;
                sprite.insert(sprite.end(), {v, v, v, 255});
            }
        rvParticleSystem system;
        system.texture = r.createTexture(sprite.data(), "sprite", 16, 16, 32);
        system.pointSize = 0.4f;
        // 2, 5 and 10 units from the camera, near the view axis (Mesa scales by the depth,
        // Direct3D by the distance: off the axis they part), and a fourth behind a wall.
        for (const rvVector3& at : {rvVector3(-0.2f, 0.1f, 3), rvVector3(0.5f, 0.3f, 0),
                                    rvVector3(0.8f, -0.5f, -5), rvVector3(2, -1, -5)})
            system.particles.push_back({at, {1, 1, 0.8f, 0.3f}});
        std::unique_ptr<rvParticleManager> particles(r.createParticleManager());
        particles->addSystem(&system);
        MeshPtr wall = square(r, 0.9f, -1.5f, 1.5f, -2);
        colourAll(*wall, 1, 0.2f, 0.4f, 0.2f);
        r.drawMesh(wall.get());
        particles->render();
    }));
}

TEST_F(Contract, HudTextIsDrawnOverNearGeometryWhateverTheWorldMatrix) {
    expectSame(drawBoth([](rvRender& r) {
        const int text = r.addString("Text over a near quad", 20, 200, 0, 1, 1, 1, 0.3f, 1, 0);
        MeshPtr nearQuad = square(r, -2, -2, 4, 3.5f); // 1.5 units from the camera
        colourAll(*nearQuad, 1, 0.3f, 0.3f, 0.7f);
        r.drawMesh(nearQuad.get());
        rvMatrix44 world = rvRotationZMatrix(0.5f) * rvTranslationMatrix(rvVector3(1.5f, -0.5f, 0));
        r.setWorldMatrix(&world);
        r.drawString(text);
    }));
}

TEST_F(Contract, Wireframe) {
    expectSame(drawBoth([](rvRender& r) {
        MeshPtr sphere(r.createMesh(nullptr, kTriangleList));
        rvTestPrimitive::createGeoSphere(2.0f, 1, false, {1, 0.9f, 0.9f, 0.3f}, sphere.get());
        r.setFillMode(kFillWireframe);
        r.drawMesh(sphere.get());
    }));
}

TEST_F(Contract, AlphaBlendingAndAlphaTest) {
    expectSame(drawBoth([](rvRender& r) {
        MeshPtr under = square(r, -3.5f, -1.5f, 3), over = square(r, -2.5f, -1, 3, 0.1f);
        colourAll(*under, 1, 0.9f, 0.2f, 0.1f);
        colourAll(*over, 0.5f, 0.1f, 0.9f, 0.3f);
        r.drawMesh(under.get());
        r.setRenderState(kStateBlend, true);
        r.drawMesh(over.get());
        r.setRenderState(kStateBlend, false);

        // Alpha from 0 at the left to 1 at the right: the test keeps the right half.
        MeshPtr ramp = square(r, 1, -1.5f, 2.5f);
        const float argb[16] = {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1};
        ramp->setFourFloatColors(argb, 16);
        r.enableAlphaTest(0.5f);
        r.drawMesh(ramp.get());
        r.disableAlphaTest();
    }));
}

// --- Modes and states ---------------------------------------------------------------------------

// The caller's states (no depth test, no culling, its own world matrix) hold across the 2D mode;
// the 2D mode draws in pixels from the bottom-left corner whatever the world matrix.
TEST_F(Contract, TheOrthoModeAndBackKeepTheCallersStates) {
    const Pictures p = drawBoth([](rvRender& r) {
        r.setRenderState(kStateDepthTest, false);
        r.setRenderState(kStateCull, false);
        rvMatrix44 world = rvTranslationMatrix(rvVector3(0.5f, 0.2f, 0));
        r.setWorldMatrix(&world);
        MeshPtr a = square(r, -3, -1, 2), b = square(r, -2, -2, 2, -1),
                c = square(r, -1.5f, 0, 2, -2);
        colourAll(*a, 1, 0.9f, 0.2f, 0.2f);
        colourAll(*b, 1, 0.2f, 0.9f, 0.2f);
        colourAll(*c, 1, 0.9f, 0.9f, 0.2f);
        r.drawMesh(a.get());
        r.drawMesh(b.get()); // behind a, drawn over it: no depth test
        r.toggleOrtho();
        const float pixels[9] = {200, 20, 0, 300, 20, 0, 250, 120, 0};
        r.drawPrimitives(kTriangleList, pixels, 3, 1);
        r.toggleOrtho();
        r.drawMesh(c.get()); // still no depth test, still moved by the world matrix
    });
    expectSame(p);
    // Where c, farther away, overlaps a, c is seen.
    for (const Picture* picture : {&p.gl, &p.d3d}) {
        const unsigned char* yellow = picture->at(135, 95);
        EXPECT_TRUE(yellow[0] > 200 && yellow[1] > 200 && yellow[2] < 100)
            << int(yellow[0]) << " " << int(yellow[1]) << " " << int(yellow[2]);
    }
}

TEST_F(Contract, UserArraysWithConsistentCounts) {
    expectSame(drawBoth([](rvRender& r) {
        const float tris[18] = {-3.5f, -2,   0, -1.5f, -2,   0, -2.5f, 0,    0,
                                -3.5f, 0.5f, 0, -1.5f, 0.5f, 0, -2.5f, 2.5f, 0};
        EXPECT_TRUE(r.drawPrimitives(kTriangleList, tris, 6, 2));
        const float strip[15] = {-1, -2, 0, 0, 2, 0, 1, -2, 0, 2, 2, 0, 3, -2, 0};
        EXPECT_TRUE(r.drawPrimitives(kLineStrip, strip, 5, 4));
        const float quad[12] = {1, 0.5f, 0, 3.5f, 0.5f, 0, 3.5f, 2.5f, 0, 1, 2.5f, 0};
        const unsigned short two[6] = {0, 1, 2, 0, 2, 3};
        EXPECT_TRUE(r.drawIndexedPrimitives(kTriangleList, quad, 4, two, 6, 2));
        const unsigned short cross[4] = {0, 2, 1, 3};
        const float box[12] = {-0.5f, -2.5f, 0, 0.5f, -2.5f, 0, 0.5f, -1.5f, 0, -0.5f, -1.5f, 0};
        EXPECT_TRUE(r.drawIndexedPrimitives(kLineList, box, 4, cross, 4, 2));
    }));
}

// Counts the arrays cannot hold are refused, the same way on both back ends, and nothing is
// drawn.
TEST_F(Contract, UserArraysBeyondTheirCountsAreRefused) {
    const Pictures p = drawBoth([](rvRender& r) {
        const float three[9] = {-1, -1, 0, 1, -1, 0, 0, 1, 0};
        const unsigned short far[3] = {0, 1, 7};
        const unsigned short ok[3] = {0, 1, 2};
        EXPECT_FALSE(r.drawPrimitives(kTriangleList, three, 3, 2)); // needs 6 vertices
        EXPECT_FALSE(r.drawPrimitives(kLineStrip, three, 3, 5));
        EXPECT_FALSE(r.drawPrimitives(kTriangleList, three, -3, 1));
        EXPECT_FALSE(r.drawPrimitives(9, three, 3, 1)); // no such type
        EXPECT_FALSE(r.drawIndexedPrimitives(kTriangleList, three, 3, far, 3, 1));
        EXPECT_FALSE(r.drawIndexedPrimitives(kTriangleList, three, 3, ok, 3, 2)); // 6 indices
        EXPECT_FALSE(r.drawIndexedPrimitives(kTriangleList, three, 3, ok, -1, 1));
        EXPECT_FALSE(r.drawIndexedPrimitives(9, three, 3, ok, 3, 1));
    });
    EXPECT_EQ(testsupport::pixelsUnlike(p.gl, kClearRGB), 0);
    EXPECT_EQ(testsupport::pixelsUnlike(p.d3d, kClearRGB), 0);
}

// A texture larger than the device holds is the default texture, not a cut copy of the pixels
// (Direct3D's limit is 8192, which D3DX would cut a wider texture to).
TEST_F(Contract, TexturesBeyondTheDevicesLimitAreTheDefaultTexture) {
    const int width = 9000;
    const std::vector<unsigned char> wide(static_cast<size_t>(width) * 2 * 3, 200);
    drawBoth([&](rvRender& r) {
        GLint largest = 8192;
        if (!dynamic_cast<rvD3DRender*>(&r))
            glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
        const rvTexture* t = r.createTexture(wide.data(), "wide", width, 2, 24);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->handle == 0, width > largest) << "limit " << largest;
    });
}

// resetRenderStates stores depth on, blending off, culling on, lighting off and solid fill;
// popRenderStates on an empty stack applies them.
TEST_F(Contract, ResetRenderStatesAfterChangedStates) {
    expectSame(drawBoth([](rvRender& r) {
        r.setFillMode(kFillWireframe);
        r.setRenderState(kStateBlend, true);
        r.setRenderState(kStateCull, false);
        r.setRenderState(kStateDepthTest, false);
        MeshPtr before = square(r, -3, -1, 2.5f), back = square(r, 0.5f, -1, 2.5f);
        colourAll(*before, 0.6f, 0.9f, 0.9f, 0.2f);
        colourAll(*back, 1, 0.2f, 0.8f, 0.9f);
        r.drawMesh(before.get());
        r.resetRenderStates();
        EXPECT_EQ(r.getRenderStates().fillMode, kFillSolid);
        r.popRenderStates();
        // Seen from behind: culled again. The front-facing one is solid.
        rvMatrix44 turned = rvRotationYMatrix(3.1415927f);
        r.setWorldMatrix(&turned);
        r.drawMesh(back.get());
        rvMatrix44 identity;
        r.setWorldMatrix(&identity);
        r.drawMesh(back.get());
    }));
}

// --- Numbers both back ends must agree on ------------------------------------------------------

TEST_F(Contract, FrustumAndUnprojectAgree) {
    ASSERT_NE(testsupport::window(kWidth, kHeight), nullptr);
    rvFrustum frustum[2];
    rvVector3 points[2][3];
    for (int b = 0; b < 2; ++b) {
        std::unique_ptr<rvRender> r(kBackends[b].make());
        ASSERT_TRUE(r->init(testsupport::window(kWidth, kHeight)));
        rvVector3 eye(0, 0, 5), at(0, 0, 0), up(0, 1, 0);
        r->lookAt(&eye, &at, &up);
        r->updateFrustum();
        frustum[b] = r->getFrustum();
        // The window's bottom-left pixel centre on the near plane, its centre half-way in
        // depth, and its top-right pixel centre on the far plane.
        r->unproject(&points[b][0], 0.5f, 0.5f, 0);
        r->unproject(&points[b][1], kWidth / 2.0f, kHeight / 2.0f, 0.5f);
        r->unproject(&points[b][2], kWidth - 0.5f, kHeight - 0.5f, 1);
    }
    for (int p = 0; p < 6; ++p)
        for (int k = 0; k < 4; ++k)
            EXPECT_NEAR(frustum[0].planes[p][k], frustum[1].planes[p][k],
                        std::fabs(frustum[0].planes[p][k]) * 1e-2 + 1e-2)
                << "plane " << p << " coefficient " << k;
    // The near plane lies one unit in front of the camera: 4 units from the origin along +z.
    EXPECT_NEAR(frustum[1].planes[kPlaneNear][3] / frustum[1].planes[kPlaneNear][2], -4, 1e-3);
    for (int i = 0; i < 3; ++i) {
        const float tolerance = i == 2 ? 30.0f : 0.02f; // the far plane is 8192 units away
        EXPECT_NEAR(points[0][i].x, points[1][i].x, tolerance) << "point " << i;
        EXPECT_NEAR(points[0][i].y, points[1][i].y, tolerance) << "point " << i;
        EXPECT_NEAR(points[0][i].z, points[1][i].z, tolerance) << "point " << i;
    }
    EXPECT_LT(points[1][0].y, 0) << "the bottom of the window is below the view axis";
}

} // namespace
