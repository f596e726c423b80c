// What the parts of the layer share beyond the public Direct3D 9 interfaces: the OpenGL entry
// points, the fixed mapping of vertex-element usages to shader input locations, and the hooks
// through which D3DX effects bind their programs on the device.
#pragma once

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include "d3d9.h"

namespace d3d9gl {

// Every vertex element reaches the shaders at a location fixed by its usage and usage index,
// so a vertex declaration binds the same way for the fixed-function programs and for effects:
// POSITION0 0, BLENDWEIGHT0 1, BLENDINDICES0 2, NORMAL0 3, PSIZE0 4, COLOR0 5, COLOR1 6,
// TEXCOORD0..7 7..14, TANGENT0 15. -1 for a usage the layer has no location for.
constexpr int kMaxInputs = 16;
int inputLocation(unsigned usage, unsigned usageIndex);
// The location of a semantic as HLSL writes it ("TEXCOORD3", "COLOR", "BLENDINDICES0"; case
// does not matter), or -1.
int inputLocationOfSemantic(const char* semantic);

// Binds a linked program in place of the fixed-function pipeline for the following draws, or
// returns to the fixed-function pipeline when program is 0. Bit n of integerInputs is set when
// the program reads the input at location n as an integer vector. Its uniform block "_Global",
// if any, is the caller's to bind at uniform binding 0; samplers use texture unit = sampler
// number, and the device binds each unit's texture and sampler states from SetTexture and
// SetSamplerState. False when device is not a device of this layer.
bool setShaderProgram(IDirect3DDevice9* device, GLuint program, unsigned integerInputs);

// The OpenGL texture behind a texture of this layer, or 0.
GLuint textureName(IDirect3DBaseTexture9* texture);

// Makes the device's OpenGL context current (the layer's objects may be made and destroyed
// while another context is current).
void makeCurrent(IDirect3DDevice9* device);

} // namespace d3d9gl
