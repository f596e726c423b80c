// D3DX 9: math, textures and effects over Direct3D 9.
#pragma once

#include "d3d9.h"
#include "d3dx9core.h"
#include "d3dx9effect.h"
#include "d3dx9math.h"
#include "d3dx9tex.h"
