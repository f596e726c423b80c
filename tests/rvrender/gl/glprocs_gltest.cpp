// The entry-point table on a real driver.
#include "glprocs.h"

#include <gtest/gtest.h>

#include "glcontext.h"
#include "zrglcontext.h"

namespace {

class DriverTest : public gltest::RenderTest {};

TEST_F(DriverTest, EveryEntryPointResolvesToTheDriversFunction) {
#define RV_EXPECT_PROC(type, name) EXPECT_TRUE(rvHasGLProc(#name)) << #name;
    RV_GL_PROC_LIST(RV_EXPECT_PROC)
#undef RV_EXPECT_PROC
    RV_GL(glActiveTextureARB)(GL_TEXTURE1_ARB);
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
    EXPECT_EQ(active, GL_TEXTURE1_ARB);
    EXPECT_EQ(reinterpret_cast<void*>(RV_GL(glActiveTextureARB)),
              zrGLContext::getProcAddress("glActiveTextureARB"));
    // Xvfb's software GLX may offer no swap control; then there is nothing to switch off.
    if (zrGLContext::setSwapInterval(1)) {
        rvGLRender other;
        ASSERT_TRUE(other.init(window()));
        EXPECT_EQ(zrGLContext::getSwapInterval(), 0);
    }
}

} // namespace
