// The OpenGL texture manager on a real context: the default texture, loading by name and
// extension, uploads in blue-green-red order and textures made from pixels.
#include "rvgltexturemanager.h"

#include <GL/gl.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "cimage.h"
#include "glcontext.h"

namespace {

// Every byte of a line differs from its neighbours and from the same byte of other lines.
CImage pattern(int width, int height, int channels) {
    CImage image;
    image.create(width, height, channels);
    for (int line = 0; line < height; ++line) {
        for (int i = 0; i < width * channels; ++i) {
            image.getLinePtr(line)[i] = static_cast<std::uint8_t>(40 * line + i + 1);
        }
    }
    return image;
}

// The image that OpenGL should hold for rows given top first: its first line is the last row.
CImage upsideDown(const std::uint8_t* rows, int width, int height, int channels) {
    CImage image;
    image.create(width, height, channels);
    for (int line = 0, row = width * channels; line < height; ++line) {
        std::memcpy(image.getLinePtr(line), rows + row * (height - 1 - line), row);
    }
    return image;
}

// Level 0 of the texture holds the image (blue, green, red (, alpha) bytes), line 0 first.
void expectTexelsOf(const rvTexture* texture, const CImage& image) {
    glBindTexture(GL_TEXTURE_2D, static_cast<const rvGLTexture*>(texture)->glName);
    GLint size[2] = {};
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &size[0]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &size[1]);
    // Rows of 4-byte texels need no padding.
    std::vector<std::uint8_t> rgba(static_cast<size_t>(size[0]) * size[1] * 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    const int c = image.getChannels();
    std::vector<std::uint8_t> expected;
    for (int line = 0; line < image.getHeight(); ++line) {
        const std::uint8_t* p = image.getLinePtr(line);
        for (int x = 0; x < image.getWidth(); ++x, p += c) {
            expected.insert(expected.end(), {p[2], p[1], p[0], c == 4 ? p[3] : std::uint8_t{255}});
        }
    }
    EXPECT_EQ(rgba, expected);
}

// Every test starts with these files in its directory.
class GLTextureTest : public gltest::RenderTest {
protected:
    void prepare() override {
        std::filesystem::create_directory("images");
        ASSERT_TRUE(pattern(2, 2, 3).writeBMP("images/default.bmp"));
        ASSERT_TRUE(pattern(3, 4, 3).writeBMP("odd.bmp")); // 9-byte lines padded to 12
        ASSERT_TRUE(pattern(4, 2, 4).writeTGA("sprite.TGA"));
        ASSERT_TRUE(pattern(2, 2, 3).writeBMP("a.BMP"));
        ASSERT_TRUE(pattern(2, 2, 3).writeBMP("mixed.Bmp"));
    }
    rvTextureManager* manager() const { return render->getTextureManager(); }
};

TEST_F(GLTextureTest, ImagesAreUploadedInBlueGreenRedOrderOnceForEachName) {
    expectTexelsOf(manager()->getTexture(0), pattern(2, 2, 3));
    rvTexture* odd = manager()->loadTexture("odd.bmp");
    expectTexelsOf(odd, pattern(3, 4, 3));
    EXPECT_EQ(manager()->loadTexture("odd.bmp"), odd);
    expectTexelsOf(manager()->loadTexture("sprite.TGA"), pattern(4, 2, 4));
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
}

TEST_F(GLTextureTest, OnlyTheKnownExtensionsAreLoaded) {
    rvTexture* fallback = manager()->getTexture(0);
    EXPECT_EQ(manager()->loadTexture("nothere.bmp"), fallback);
    EXPECT_EQ(manager()->loadTexture("mixed.Bmp"), fallback);
    EXPECT_NE(manager()->loadTexture("a.BMP"), fallback);
}

TEST_F(GLTextureTest, CreatedTexturesTakeTopRowFirstData) {
    const std::uint8_t bgr[12] = {1, 2, 3, 4, 5, 6, 11, 12, 13, 14, 15, 16}; // 2 × 2
    const std::uint8_t bgra[8] = {1, 2, 3, 4, 5, 6, 7, 8};                   // 1 × 2
    expectTexelsOf(manager()->createTexture(bgr, "bgr", 2, 2, 24), upsideDown(bgr, 2, 2, 3));
    expectTexelsOf(manager()->createTexture(bgra, "bgra", 1, 2, 32), upsideDown(bgra, 1, 2, 4));
}

} // namespace
