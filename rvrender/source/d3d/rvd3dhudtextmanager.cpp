#include "rvd3dhudtextmanager.h"

#include "rvd3drender.h"

void rvD3DHUDTextManager::drawStringMesh(rvMesh* mesh) {
    if (gD3DDevice) {
        gD3DDevice->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        gD3DDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    }
    mRender->drawMesh(mesh);
    if (gD3DDevice) {
        gD3DDevice->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        gD3DDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    }
}
