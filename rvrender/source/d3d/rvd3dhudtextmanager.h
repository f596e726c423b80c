// The Direct3D HUD text manager: a string is its mesh drawn with point filtering on sampler 0,
// which is then set back to linear filtering. Building, keeping and ordering the strings is
// the core's (rvhudtextmanager.h); the renderer wraps every draw in its 2D mode with the alpha
// test on.
#pragma once

#include "rvhudtextmanager.h"

class rvD3DHUDTextManager : public rvHUDTextManager {
protected:
    void drawStringMesh(rvMesh* mesh) override;
};
