// The OpenGL HUD text on a real context, with a small font written for each test: string
// bookkeeping, drawing through the renderer's 2D mode, and the texture state it leaves.
#include "rvglhudtextmanager.h"

#include <GL/gl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cimage.h"
#include "glcontext.h"
#include "rvglmesh.h"
#include "rvgltexturemanager.h"

namespace {

using gltest::kWindowHeight;
using gltest::kWindowWidth;
using gltest::ScopedWorkDir;

// Every glyph is an 8 × 8 quad over the whole font texture, which is white.
class GLHUDTest : public gltest::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        dir = std::make_unique<ScopedWorkDir>();
        std::string glyphs = "header\nheader\nheader\n";
        for (int c = 0; c < 256; ++c) {
            glyphs += "8 8 0 0 1 1\n";
        }
        ScopedWorkDir::write(rvHUDTextManager::kDefaultFontGlyphs, glyphs);
        CImage white;
        white.create(8, 8, 3);
        white.fill(255, 255, 255);
        ASSERT_TRUE(white.writeBMP(rvHUDTextManager::kDefaultFontTexture));
        render = std::make_unique<rvGLRender>();
        ASSERT_TRUE(render->init(window()));
        ASSERT_TRUE(gltest::messages().empty()) << gltest::messages()[0].text;
        hud = render->getHUDTextManager();
        glViewport(0, 0, kWindowWidth, kWindowHeight);
        glReadBuffer(GL_BACK);
    }
    void TearDown() override {
        render.reset();
        dir.reset();
        WindowTest::TearDown();
    }
    rvGLTexture* fontTexture() {
        return static_cast<rvGLTexture*>(
            render->getTextureManager()->loadTexture(rvHUDTextManager::kDefaultFontTexture));
    }
    static GLint textureParameter(GLuint name, GLenum parameter) {
        glBindTexture(GL_TEXTURE_2D, name);
        GLint value = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, parameter, &value);
        return value;
    }
    static std::vector<unsigned char> pixel(int x, int y) {
        std::vector<unsigned char> rgba(4);
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return rgba;
    }

    std::unique_ptr<ScopedWorkDir> dir;
    std::unique_ptr<rvGLRender> render;
    rvGLHUDTextManager* hud = nullptr;
};

TEST_F(GLHUDTest, StringsAreNumberedInOrder) {
    EXPECT_EQ(hud->addString("one", 10, 50, 0, 1, 1, 1, 1, 1, 0), 0);
    EXPECT_EQ(hud->addString("two", 10, 30, 0, 1, 1, 1, 1, 1, 0), 1);
    EXPECT_EQ(hud->getStringCount(), 2);
}

TEST_F(GLHUDTest, StringMeshesUseTheFontTexture) {
    hud->addString("ab", 10, 50, 0, 1, 1, 1, 1, 1, 0);
    rvMesh* mesh = hud->getString(0);
    ASSERT_NE(dynamic_cast<rvGLMesh*>(mesh), nullptr);
    EXPECT_EQ(mesh->getVertexCount(), 12);
    EXPECT_EQ(mesh->getTexture(), fontTexture());
    EXPECT_NE(mesh->getTexture()->handle, 0);
}

TEST_F(GLHUDTest, SetStringReplacesInPlace) {
    hud->addString("one", 10, 50, 0, 1, 1, 1, 1, 1, 0);
    hud->addString("two", 10, 30, 0, 1, 1, 1, 1, 1, 0);
    rvMesh* second = hud->getString(1);
    EXPECT_TRUE(hud->setString(0, "longer", 10, 50, 0, 1, 1, 1, 1, 1, 0));
    EXPECT_EQ(hud->getStringCount(), 2);
    EXPECT_EQ(hud->getString(0)->getVertexCount(), 36);
    EXPECT_EQ(hud->getString(1), second);
}

TEST_F(GLHUDTest, SetStringOutsideTheListIsRefused) {
#ifdef NDEBUG
    hud->addString("one", 10, 50, 0, 1, 1, 1, 1, 1, 0);
    EXPECT_FALSE(hud->setString(1, "x", 0, 0, 0, 1, 1, 1, 1, 1, 0));
    EXPECT_FALSE(hud->setString(-1, "x", 0, 0, 0, 1, 1, 1, 1, 1, 0));
    EXPECT_FALSE(hud->drawString(1));
    EXPECT_EQ(hud->getStringCount(), 1);
#else
    GTEST_SKIP() << "an invalid index is asserted in debug builds";
#endif
}

TEST_F(GLHUDTest, DrawnStringAppearsAtItsPenPosition) {
    const float black[4] = {1, 0, 0, 0};
    render->clear(black, 1.0f);
    // Pen at (10, 50): the glyph covers x 10…18 and y 42…50 in window pixels, y up.
    hud->addString("A", 10, 50, 0, 1, 1, 0, 0, 1, 0);
    ASSERT_TRUE(render->drawString(0));
    const std::vector<unsigned char> inside = pixel(13, 46);
    EXPECT_GT(inside[0], 200);
    EXPECT_LT(inside[1], 50);
    EXPECT_LT(pixel(25, 46)[0], 20);
    EXPECT_LT(pixel(13, 60)[0], 20);
}

TEST_F(GLHUDTest, DrawStringsRestoresLinearFilteringAndUnbinds) {
    hud->addString("ab", 10, 50, 0, 1, 1, 1, 1, 1, 0);
    hud->addString("cd", 10, 30, 0, 1, 1, 1, 1, 1, 0);
    const GLuint font = fontTexture()->glName;
    ASSERT_TRUE(render->drawStrings());
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    EXPECT_EQ(textureParameter(font, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(textureParameter(font, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
}

TEST_F(GLHUDTest, EveryFontTextureGetsItsFilteringBack) {
    CImage other;
    other.create(8, 8, 3);
    ASSERT_TRUE(other.writeBMP("other.bmp"));
    const int second = render->loadFontSet("other.bmp", rvHUDTextManager::kDefaultFontGlyphs);
    hud->addString("a", 10, 50, 0, 1, 1, 1, 1, 1, 0);
    hud->addString("b", 10, 30, 0, 1, 1, 1, 1, 1, second);
    ASSERT_TRUE(render->drawStrings());
    for (int i = 0; i < 2; ++i) {
        const auto* texture = static_cast<rvGLTexture*>(hud->getString(i)->getTexture());
        EXPECT_EQ(textureParameter(texture->glName, GL_TEXTURE_MAG_FILTER), GL_LINEAR) << i;
    }
}

TEST_F(GLHUDTest, DrawStringsWithoutStringsOnlyUnbinds) {
    render->setTexture(fontTexture());
    ASSERT_TRUE(hud->drawStrings());
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
}

TEST_F(GLHUDTest, EmptyStringsDrawNothing) {
    EXPECT_EQ(hud->addString("", 10, 50, 0, 1, 1, 1, 1, 1, 0), 0);
    EXPECT_EQ(hud->getString(0)->getVertexCount(), 0);
    EXPECT_TRUE(render->drawString(0));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

} // namespace
