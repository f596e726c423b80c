// The OpenGL HUD text manager: a string is its mesh drawn with nearest-neighbour filtering on
// its font texture, which is then set back to linear filtering. Building, keeping and ordering
// the strings is the core's (rvhudtextmanager.h). The renderer wraps every draw in its 2D mode
// with the alpha test on.
#pragma once

#include "rvhudtextmanager.h"

class rvGLHUDTextManager : public rvHUDTextManager {
protected:
    void drawStringMesh(rvMesh* mesh) override;
};
