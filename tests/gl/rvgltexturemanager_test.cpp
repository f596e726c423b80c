// The OpenGL texture manager on a real context: the default texture, loading by name and
// extension, uploads in blue-green-red order, created textures, and releasing.
#include "rvgltexturemanager.h"

#include <GL/gl.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cimage.h"
#include "glcontext.h"

namespace {

using gltest::ScopedWorkDir;

// An image whose pixel (x, line) has blue = 10·x + line, green = 100 + line, red = 200 − x
// and, with four channels, alpha = 50 + x.
CImage pattern(int width, int height, int channels) {
    CImage image;
    image.create(width, height, channels);
    for (int line = 0; line < height; ++line) {
        std::uint8_t* p = image.getLinePtr(line);
        for (int x = 0; x < width; ++x) {
            p[channels * x] = static_cast<std::uint8_t>(10 * x + line);
            p[channels * x + 1] = static_cast<std::uint8_t>(100 + line);
            p[channels * x + 2] = static_cast<std::uint8_t>(200 - x);
            if (channels == 4) {
                p[channels * x + 3] = static_cast<std::uint8_t>(50 + x);
            }
        }
    }
    return image;
}

// The texels of level 0 as RGBA rows, bottom row first.
std::vector<std::uint8_t> texels(const rvTexture* texture, int* width, int* height) {
    glBindTexture(GL_TEXTURE_2D, static_cast<const rvGLTexture*>(texture)->glName);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, height);
    std::vector<std::uint8_t> rgba(static_cast<size_t>(*width) * *height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

// Checks that the texture holds `image` with its line 0 as the texture's first row.
void expectTexelsOf(const rvTexture* texture, const CImage& image) {
    int width = 0;
    int height = 0;
    const std::vector<std::uint8_t> rgba = texels(texture, &width, &height);
    ASSERT_EQ(width, image.getWidth());
    ASSERT_EQ(height, image.getHeight());
    const int c = image.getChannels();
    for (int line = 0; line < height; ++line) {
        const std::uint8_t* p = image.getLinePtr(line);
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* t = &rgba[4 * (static_cast<size_t>(line) * width + x)];
            EXPECT_EQ(t[0], p[c * x + 2]) << "red at " << x << ", " << line;
            EXPECT_EQ(t[1], p[c * x + 1]) << "green at " << x << ", " << line;
            EXPECT_EQ(t[2], p[c * x]) << "blue at " << x << ", " << line;
            EXPECT_EQ(t[3], c == 4 ? p[c * x + 3] : 255) << "alpha at " << x << ", " << line;
        }
    }
}

GLint levelParameter(const rvTexture* texture, int level, GLenum name) {
    glBindTexture(GL_TEXTURE_2D, static_cast<const rvGLTexture*>(texture)->glName);
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
    return value;
}

// Each test runs in its own directory, holding the files the test writes before the
// renderer (and with it the manager) is made.
class GLTextureTest : public gltest::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        dir = std::make_unique<ScopedWorkDir>();
    }
    void TearDown() override {
        render.reset();
        dir.reset();
        WindowTest::TearDown();
    }
    rvGLTextureManager* start() {
        render = std::make_unique<rvGLRender>();
        EXPECT_TRUE(render->init(window()));
        return render->getTextureManager();
    }
    static void writeBMP(const std::string& name, const CImage& image) {
        ScopedWorkDir::write(name, "");
        ASSERT_TRUE(image.writeBMP(name.c_str()));
    }
    static void writeTGA(const std::string& name, const CImage& image) {
        ScopedWorkDir::write(name, "");
        ASSERT_TRUE(image.writeTGA(name.c_str()));
    }

    std::unique_ptr<ScopedWorkDir> dir;
    std::unique_ptr<rvGLRender> render;
};

// --- the default texture -----------------------------------------------------------------------

TEST_F(GLTextureTest, DefaultTextureComesFromImagesDefaultBmp) {
    const CImage image = pattern(3, 2, 3);
    writeBMP("images/default.bmp", image);
    rvGLTextureManager* manager = start();
    ASSERT_EQ(manager->getTextureCount(), 1);
    rvGLTexture* fallback = manager->getTexture(0);
    EXPECT_EQ(fallback->handle, 0);
    EXPECT_STREQ(fallback->name, "images/default.bmp");
    expectTexelsOf(fallback, image);
}

TEST_F(GLTextureTest, MissingDefaultFileGivesABuiltInChecker) {
    rvGLTextureManager* manager = start();
    ASSERT_EQ(manager->getTextureCount(), 1);
    rvGLTexture* fallback = manager->getTexture(0);
    ASSERT_NE(fallback->glName, 0u);
    int width = 0;
    int height = 0;
    const std::vector<std::uint8_t> rgba = texels(fallback, &width, &height);
    ASSERT_GT(width, 1);
    // Magenta in the first corner, black beside it.
    EXPECT_EQ(rgba[0], 255);
    EXPECT_EQ(rgba[1], 0);
    EXPECT_EQ(rgba[2], 255);
    const std::uint8_t* far = &rgba[4 * (width - 1)];
    EXPECT_EQ(far[0], 0);
    EXPECT_EQ(far[2], 0);
}

TEST_F(GLTextureTest, SecondInitAddsNothing) {
    rvGLTextureManager* manager = start();
    EXPECT_TRUE(manager->init(nullptr));
    EXPECT_EQ(manager->getTextureCount(), 1);
}

// --- loading -----------------------------------------------------------------------------------

TEST_F(GLTextureTest, BMPIsUploadedInBlueGreenRedOrderWithLinearFiltering) {
    // Width 3 gives 9-byte lines padded to 12, as GL's unpack alignment expects.
    const CImage image = pattern(3, 4, 3);
    writeBMP("textures/odd.bmp", image);
    rvGLTextureManager* manager = start();
    rvTexture* texture = manager->loadTexture("textures/odd.bmp");
    ASSERT_EQ(texture->handle, 1);
    EXPECT_STREQ(texture->name, "textures/odd.bmp");
    expectTexelsOf(texture, image);
    GLint filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR);
}

TEST_F(GLTextureTest, FourChannelTGAKeepsItsAlpha) {
    const CImage image = pattern(4, 2, 4);
    writeTGA("sprite.TGA", image);
    rvGLTextureManager* manager = start();
    rvTexture* texture = manager->loadTexture("sprite.TGA");
    ASSERT_NE(texture->handle, 0);
    const GLint format = levelParameter(texture, 0, GL_TEXTURE_INTERNAL_FORMAT);
    EXPECT_TRUE(format == 4 || format == GL_RGBA || format == GL_RGBA8) << format;
    EXPECT_GT(levelParameter(texture, 0, GL_TEXTURE_ALPHA_SIZE), 0);
    expectTexelsOf(texture, image);
}

TEST_F(GLTextureTest, TheSameNameGivesTheSameRecordLoadedOnce) {
    writeBMP("a.bmp", pattern(2, 2, 3));
    rvGLTextureManager* manager = start();
    rvTexture* first = manager->loadTexture("a.bmp");
    const GLuint name = static_cast<rvGLTexture*>(first)->glName;
    rvTexture* second = manager->loadTexture("a.bmp");
    EXPECT_EQ(first, second);
    EXPECT_EQ(static_cast<rvGLTexture*>(second)->glName, name);
    EXPECT_EQ(manager->getTextureCount(), 2);
}

TEST_F(GLTextureTest, MissingFilesAndUnknownExtensionsGiveTheDefault) {
    writeBMP("mixed.Bmp", pattern(2, 2, 3));
    writeBMP("plain.png", pattern(2, 2, 3));
    rvGLTextureManager* manager = start();
    EXPECT_EQ(manager->loadTexture("nothere.bmp")->handle, 0);
    EXPECT_EQ(manager->loadTexture("mixed.Bmp")->handle, 0);
    EXPECT_EQ(manager->loadTexture("plain.png")->handle, 0);
    EXPECT_EQ(manager->loadTexture(nullptr)->handle, 0);
    EXPECT_EQ(manager->loadMipmappedTexture("nothere.tga")->handle, 0);
    EXPECT_EQ(manager->getTextureCount(), 1);
}

TEST_F(GLTextureTest, UpperCaseExtensionsAreForPlainLoadsOnly) {
    const CImage image = pattern(2, 2, 3);
    writeBMP("a.BMP", image);
    rvGLTextureManager* manager = start();
    EXPECT_EQ(manager->loadMipmappedTexture("a.BMP")->handle, 0);
    rvTexture* plain = manager->loadTexture("a.BMP");
    EXPECT_EQ(plain->handle, 1);
    expectTexelsOf(plain, image);
}

TEST_F(GLTextureTest, AFileTheLoaderRejectsGivesTheDefault) {
    ScopedWorkDir::write("broken.bmp", "BM not really a bitmap");
    rvGLTextureManager* manager = start();
    EXPECT_EQ(manager->loadTexture("broken.bmp")->handle, 0);
    EXPECT_EQ(manager->getTextureCount(), 1);
}

TEST_F(GLTextureTest, MipmappedLoadsBuildTheMipChain) {
    const CImage image = pattern(8, 4, 3);
    writeTGA("mip.tga", image);
    rvGLTextureManager* manager = start();
    rvTexture* texture = manager->loadMipmappedTexture("mip.tga");
    ASSERT_EQ(texture->handle, 1);
    expectTexelsOf(texture, image);
    EXPECT_EQ(levelParameter(texture, 1, GL_TEXTURE_WIDTH), 4);
    EXPECT_EQ(levelParameter(texture, 3, GL_TEXTURE_WIDTH), 1);
}

// --- created textures --------------------------------------------------------------------------

TEST_F(GLTextureTest, CreatedTexturesTakeTopRowFirstDataOfBothDepths) {
    rvGLTextureManager* manager = start();
    // 24-bit rows are exactly width × 3 bytes: 9 for the plain width of 3, 6 for the mipmapped
    // width of 2 (gluBuild2DMipmaps would rescale a width of 3).
    const std::uint8_t rgb[18] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16, 17, 18, 19};
    const std::uint8_t argb[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    for (bool mipmapped : {false, true}) {
        SCOPED_TRACE(mipmapped ? "mipmapped" : "plain");
        const std::string tag = mipmapped ? "mip " : "";
        const int width = mipmapped ? 2 : 3;
        const int row = width * 3;
        rvTexture* t24 =
            mipmapped ? manager->createMipmappedTexture(rgb, (tag + "rgb").c_str(), width, 2, 24)
                      : manager->createTexture(rgb, (tag + "rgb").c_str(), width, 2, 24);
        rvTexture* t32 =
            mipmapped ? manager->createMipmappedTexture(argb, (tag + "argb").c_str(), 1, 2, 32)
                      : manager->createTexture(argb, (tag + "argb").c_str(), 1, 2, 32);
        // GL's first row is the bottom one: the caller's last row.
        CImage expected24;
        expected24.create(width, 2, 3);
        for (int line = 0; line < 2; ++line) {
            std::memcpy(expected24.getLinePtr(line), rgb + row * (1 - line), row);
        }
        CImage expected32;
        expected32.create(1, 2, 4);
        std::memcpy(expected32.getLinePtr(0), argb + 4, 4);
        std::memcpy(expected32.getLinePtr(1), argb, 4);
        expectTexelsOf(t24, expected24);
        expectTexelsOf(t32, expected32);
    }
    EXPECT_EQ(manager->getTextureCount(), 5);
}

TEST_F(GLTextureTest, CreatingAnExistingNameReturnsItUnchanged) {
    rvGLTextureManager* manager = start();
    const std::uint8_t a[4] = {1, 2, 3, 4};
    const std::uint8_t b[4] = {9, 9, 9, 9};
    rvTexture* first = manager->createTexture(a, "same", 1, 1, 32);
    rvTexture* second = manager->createTexture(b, "same", 1, 1, 32);
    EXPECT_EQ(first, second);
    int w = 0;
    int h = 0;
    EXPECT_EQ(texels(second, &w, &h)[0], 3);
}

TEST_F(GLTextureTest, CreatingWithoutDataGivesTheDefault) {
    rvGLTextureManager* manager = start();
    EXPECT_EQ(manager->createTexture(nullptr, "none", 4, 4, 32)->handle, 0);
    EXPECT_EQ(manager->createMipmappedTexture(nullptr, "none", 4, 4, 24)->handle, 0);
    EXPECT_EQ(manager->getTextureCount(), 1);
}

// --- releasing ---------------------------------------------------------------------------------

TEST_F(GLTextureTest, ReleaseKeepsTheDefaultAndTheLastEntry) {
    rvGLTextureManager* manager = start();
    const std::uint8_t px[4] = {1, 2, 3, 4};
    rvTexture* one = manager->createTexture(px, "one", 1, 1, 32);
    manager->createTexture(px, "two", 1, 1, 32);
    const GLuint name = static_cast<rvGLTexture*>(one)->glName;
    ASSERT_EQ(manager->getTextureCount(), 3);
    EXPECT_FALSE(manager->releaseTexture(0));
    EXPECT_FALSE(manager->releaseTexture(2));
    EXPECT_FALSE(manager->releaseTexture(-1));
    EXPECT_FALSE(manager->releaseTexture(3));
    EXPECT_TRUE(manager->releaseTexture(1));
    EXPECT_EQ(manager->getTexture(1), manager->getTexture(0));
    EXPECT_FALSE(glIsTexture(name));
    EXPECT_EQ(manager->getTextureCount(), 3);
    // Releasing the same handle again must not destroy the default texture.
    EXPECT_FALSE(manager->releaseTexture(1));
    EXPECT_TRUE(glIsTexture(manager->getTexture(0)->glName));
}

TEST_F(GLTextureTest, ReleaseAllDestroysEveryTextureOnce) {
    rvGLTextureManager* manager = start();
    const std::uint8_t px[4] = {1, 2, 3, 4};
    std::vector<GLuint> names = {manager->getTexture(0)->glName};
    for (const char* n : {"a", "b", "c"}) {
        names.push_back(static_cast<rvGLTexture*>(manager->createTexture(px, n, 1, 1, 32))->glName);
    }
    ASSERT_TRUE(manager->releaseTexture(1));
    manager->releaseAll();
    EXPECT_EQ(manager->getTextureCount(), 0);
    for (GLuint name : names) {
        EXPECT_FALSE(glIsTexture(name)) << name;
    }
}

TEST_F(GLTextureTest, RendererDestructionDeletesTheTexturesThroughItsContext) {
    rvGLTextureManager* manager = start();
    const std::uint8_t px[4] = {1, 2, 3, 4};
    const GLuint name =
        static_cast<rvGLTexture*>(manager->createTexture(px, "kept", 1, 1, 32))->glName;
    // A context sharing the renderer's objects outlives it and sees whether the name is gone.
    SDL_Window* sdl = static_cast<SDL_Window*>(window()->getHwnd());
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
    SDL_GLContext witness = SDL_GL_CreateContext(sdl);
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
    ASSERT_NE(witness, nullptr) << SDL_GetError();
    EXPECT_TRUE(glIsTexture(name)); // the witness is current now
    render.reset();
    EXPECT_EQ(gTextureManager, nullptr);
    ASSERT_EQ(SDL_GL_MakeCurrent(sdl, witness), 0);
    EXPECT_FALSE(glIsTexture(name));
    SDL_GL_MakeCurrent(sdl, nullptr);
    SDL_GL_DeleteContext(witness);
}

} // namespace
