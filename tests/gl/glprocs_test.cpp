#include "glprocs.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "glcontext.h"

namespace {

// A stand-in driver: records the lookups and the calls that reach it.
std::vector<std::string> gLookups;
std::vector<GLenum> gActiveTextureCalls;
bool gProvide = true;

void APIENTRY fakeActiveTexture(GLenum unit) {
    gActiveTextureCalls.push_back(unit);
}
GLboolean APIENTRY fakeIsProgram(GLuint) {
    return GL_TRUE;
}

void* fakeLoader(const char* name) {
    gLookups.push_back(name);
    if (!gProvide) {
        return nullptr;
    }
    if (std::strcmp(name, "glActiveTextureARB") == 0) {
        return reinterpret_cast<void*>(&fakeActiveTexture);
    }
    if (std::strcmp(name, "glIsProgramARB") == 0) {
        return reinterpret_cast<void*>(&fakeIsProgram);
    }
    return nullptr;
}

class FakeDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        gLookups.clear();
        gActiveTextureCalls.clear();
        gProvide = true;
        rvResetGLProcs();
        rvSetGLProcLoader(fakeLoader);
    }
    void TearDown() override {
        rvSetGLProcLoader(nullptr);
        rvResetGLProcs();
    }
};

TEST_F(FakeDriverTest, FirstCallResolvesStoresAndForwards) {
    const PFNGLACTIVETEXTUREARBPROC resolver = RV_GL(glActiveTextureARB);
    ASSERT_NE(resolver, &fakeActiveTexture);

    RV_GL(glActiveTextureARB)(GL_TEXTURE1_ARB);

    EXPECT_EQ(gLookups, std::vector<std::string>{"glActiveTextureARB"});
    EXPECT_EQ(gActiveTextureCalls, std::vector<GLenum>{GL_TEXTURE1_ARB});
    EXPECT_EQ(RV_GL(glActiveTextureARB), &fakeActiveTexture);
}

TEST_F(FakeDriverTest, LaterCallsGoStraightToTheDriver) {
    RV_GL(glActiveTextureARB)(GL_TEXTURE0_ARB);
    RV_GL(glActiveTextureARB)(GL_TEXTURE2_ARB);
    RV_GL(glActiveTextureARB)(GL_TEXTURE3_ARB);

    EXPECT_EQ(gLookups.size(), 1u);
    EXPECT_EQ(gActiveTextureCalls,
              (std::vector<GLenum>{GL_TEXTURE0_ARB, GL_TEXTURE2_ARB, GL_TEXTURE3_ARB}));
}

TEST_F(FakeDriverTest, ResultsComeFromTheDriver) {
    EXPECT_EQ(RV_GL(glIsProgramARB)(7), GL_TRUE);
    EXPECT_EQ(RV_GL(glIsProgramARB), &fakeIsProgram);
}

TEST_F(FakeDriverTest, SlotsAreIndependent) {
    RV_GL(glActiveTextureARB)(GL_TEXTURE0_ARB);
    EXPECT_NE(reinterpret_cast<void*>(RV_GL(glIsProgramARB)),
              reinterpret_cast<void*>(&fakeIsProgram));
    EXPECT_EQ(gLookups, std::vector<std::string>{"glActiveTextureARB"});
}

TEST_F(FakeDriverTest, MissingEntryPointSkipsTheCallAndStaysUnresolved) {
    gProvide = false;
    const PFNGLACTIVETEXTUREARBPROC resolver = RV_GL(glActiveTextureARB);
    // Debug builds stop at the missing entry point; release builds report it and go on.
    EXPECT_DEBUG_DEATH(RV_GL(glActiveTextureARB)(GL_TEXTURE1_ARB), "entry point not found");
#ifdef NDEBUG
    EXPECT_TRUE(gActiveTextureCalls.empty());
    EXPECT_EQ(RV_GL(glActiveTextureARB), resolver);
    EXPECT_EQ(RV_GL(glIsProgramARB)(1), GL_FALSE);

    // The next call looks the name up again and succeeds once the driver has it.
    gProvide = true;
    RV_GL(glActiveTextureARB)(GL_TEXTURE1_ARB);
    EXPECT_EQ(gActiveTextureCalls, std::vector<GLenum>{GL_TEXTURE1_ARB});
    EXPECT_EQ(RV_GL(glActiveTextureARB), &fakeActiveTexture);
#else
    (void)resolver;
#endif
}

TEST_F(FakeDriverTest, ResetPutsResolversBack) {
    RV_GL(glActiveTextureARB)(GL_TEXTURE0_ARB);
    ASSERT_EQ(RV_GL(glActiveTextureARB), &fakeActiveTexture);
    rvResetGLProcs();
    EXPECT_NE(RV_GL(glActiveTextureARB), &fakeActiveTexture);
    RV_GL(glActiveTextureARB)(GL_TEXTURE0_ARB);
    EXPECT_EQ(gLookups.size(), 2u);
}

TEST_F(FakeDriverTest, HasProcAsksTheLoader) {
    EXPECT_TRUE(rvHasGLProc("glActiveTextureARB"));
    EXPECT_FALSE(rvHasGLProc("glNoSuchEntryPoint"));
    EXPECT_FALSE(rvHasGLProc(nullptr));
}

TEST(GLProcLoader, SetReturnsThePreviousLoader) {
    const rvGLProcLoader original = rvSetGLProcLoader(fakeLoader);
    EXPECT_EQ(rvSetGLProcLoader(nullptr), &fakeLoader);
    // null installed the default again, which is what was there at the start.
    EXPECT_EQ(rvSetGLProcLoader(original), original);
}

// With a real context the slots reach the driver.
class DriverTest : public gltest::RenderTest {};

TEST_F(DriverTest, ActiveTextureResolvesToTheDriversFunction) {
    RV_GL(glActiveTextureARB)(GL_TEXTURE1_ARB);
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
    EXPECT_EQ(active, GL_TEXTURE1_ARB);
    EXPECT_EQ(reinterpret_cast<void*>(RV_GL(glActiveTextureARB)),
              SDL_GL_GetProcAddress("glActiveTextureARB"));
    RV_GL(glActiveTextureARB)(GL_TEXTURE0_ARB);
}

TEST_F(DriverTest, EveryEntryPointOfTheTableExists) {
#define RV_EXPECT_PROC(type, name) EXPECT_TRUE(rvHasGLProc(#name)) << #name;
    RV_GL_PROC_LIST(RV_EXPECT_PROC)
#undef RV_EXPECT_PROC
}

TEST_F(DriverTest, InitLeavesVerticalSynchronisationOff) {
    // Xvfb's software GLX may offer no swap control at all; then there is nothing to switch.
    if (SDL_GL_SetSwapInterval(1) != 0) {
        GTEST_SKIP() << "this display has no swap-interval control: " << SDL_GetError();
    }
    rvGLRender other;
    ASSERT_TRUE(other.init(window()));
    EXPECT_EQ(SDL_GL_GetSwapInterval(), 0);
    SDL_GL_SetSwapInterval(1);
    EXPECT_EQ(RV_GL(swapInterval)(0), 0);
    EXPECT_EQ(SDL_GL_GetSwapInterval(), 0);
}

} // namespace
