// The OpenGL HUD text on a real context, with a small white font written for each test in
// which every glyph is an 8 × 8 quad over the whole texture.
#include "rvglhudtextmanager.h"

#include <string>

#include <gtest/gtest.h>

#include "cimage.h"
#include "glcontext.h" // with GL/gl.h
#include "rvgltexturemanager.h"
#include "rvmesh.h"
#include "rvtexture.h"

namespace {

class GLHUDTest : public gltest::RenderTest {
protected:
    void prepare() override {
        std::string glyphs = "header\nheader\nheader\n";
        for (int c = 0; c < 256; ++c) {
            glyphs += "8 8 0 0 1 1\n";
        }
        write(rvHUDTextManager::kDefaultFontGlyphs, glyphs);
        white.create(8, 8, 3);
        white.fill(255, 255, 255);
        ASSERT_TRUE(white.writeBMP(rvHUDTextManager::kDefaultFontTexture));
    }
    rvHUDTextManager* hud() const { return render->getHUDTextManager(); }
    CImage white;
};

TEST_F(GLHUDTest, StringsAppearAtThePenThenTexturingIsOffAndLinearOnEveryFont) {
    render->setTexture(render->getTextureManager()->getTexture(0));
    ASSERT_TRUE(hud()->drawStrings()); // without strings it only unbinds
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    ASSERT_TRUE(white.writeBMP("other.bmp"));
    const int other = render->loadFontSet("other.bmp", rvHUDTextManager::kDefaultFontGlyphs);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); // to black
    // Pen at (10, 50): the glyph covers x 10…18 and y 42…50 in window pixels, y up.
    hud()->addString("A", 10, 50, 0, 1, 1, 0, 0, 1, 0);
    hud()->addString("b", 60, 50, 0, 1, 1, 1, 1, 1, other);
    ASSERT_TRUE(render->drawStrings());
    EXPECT_EQ(pixel(13, 46), (std::vector<unsigned char>{255, 0, 0, 255}));
    EXPECT_LT(pixel(13, 60)[0], 20);
    GLint value = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value); // unbound
    EXPECT_EQ(value, 0);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    // The first font was not the last one bound, and has its linear filtering back too.
    const auto* font = static_cast<rvGLTexture*>(hud()->getString(0)->getTexture());
    glBindTexture(GL_TEXTURE_2D, font->glName);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
}

} // namespace
