// The entry-point table's slots, with a stand-in driver.
#include "glprocs.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// A stand-in driver that records the lookups and the calls reaching it; it knows only the one
// entry point the test calls.
std::vector<std::string> gLookups;
std::vector<GLenum> gCalls;
bool gProvide = false;

void APIENTRY fakeActiveTexture(GLenum unit) {
    gCalls.push_back(unit);
}

void* fakeLoader(const char* name) {
    gLookups.push_back(name);
    return gProvide ? reinterpret_cast<void*>(&fakeActiveTexture) : nullptr;
}

// The table is process-wide, so one test follows a slot through its whole life.
TEST(GLProcTable, SlotsResolveOnFirstUseAndMissingEntryPointsStayUnresolved) {
    rvResetGLProcs();
    rvSetGLProcLoader(fakeLoader);
    const PFNGLACTIVETEXTUREARBPROC resolver = RV_GL(glActiveTextureARB);
    // Debug builds stop at the missing entry point; release builds skip the call.
    EXPECT_DEBUG_DEATH(RV_GL(glActiveTextureARB)(GL_TEXTURE1_ARB), "entry point not found");
    EXPECT_EQ(RV_GL(glActiveTextureARB), resolver);

    gProvide = true;
    gLookups.clear();
    RV_GL(glActiveTextureARB)(GL_TEXTURE1_ARB);
    EXPECT_EQ(RV_GL(glActiveTextureARB), &fakeActiveTexture);
    RV_GL(glActiveTextureARB)(GL_TEXTURE2_ARB);
    EXPECT_EQ(gLookups, std::vector<std::string>{"glActiveTextureARB"});
    EXPECT_EQ(gCalls, (std::vector<GLenum>{GL_TEXTURE1_ARB, GL_TEXTURE2_ARB}));

    rvSetGLProcLoader(nullptr);
    rvResetGLProcs();
}

} // namespace
