// The OpenGL HUD text manager. The base class reads the font sets and builds one triangle-list
// mesh per string through the renderer; this class only draws them: a string is its mesh
// drawn with nearest-neighbour filtering on the font texture, which is then set back to
// linear filtering and unbound. The renderer wraps every draw in its 2D mode with the alpha
// test on (rvGLRender::drawString / drawStrings).
#pragma once

#include "rvhudtextmanager.h"

class rvGLHUDTextManager : public rvHUDTextManager {
public:
    rvGLHUDTextManager() = default;

    // Returns the new string's index (0 for the first).
    int addString(const char* text, float x, float y, float lineSpacing, float a, float r, float g,
                  float b, float scale, int fHandle) override;
    // Rebuilds the string at index; the others keep their indices. An invalid index is a
    // caller error (asserted; false and nothing changed when assertions are off).
    bool setString(int index, const char* text, float x, float y, float lineSpacing, float a,
                   float r, float g, float b, float scale, int fHandle) override;
    // Needs the renderer's context. An invalid index is a caller error (asserted; false).
    bool drawString(int index) override;
    // Draws every string in index order; with none, only unbinds the stage-0 texture.
    bool drawStrings() override;

private:
    // Draws one mesh with nearest filtering on its texture, then restores linear filtering.
    void drawWithNearestFilter(rvMesh* mesh);
};
