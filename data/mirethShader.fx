// Per-pixel Phong lighting of one point light on a skinned character, the effect the Direct3D
// back end draws the character with. It lights exactly as the OpenGL programs do
// (mirethVShader.vp, mirethPShader.fp): the light and the camera come in world space and are
// brought into object space with the inverse world matrix, the normals are those of the file,
// and the highlight is added at 0.6 of the light's colour.
//
// Skinning: four influences per vertex, from the mesh's BLENDINDICES (UBYTE4) and BLENDWEIGHT
// streams; each bone matrix takes a bind-pose vertex to its posed place (row vectors).
// 56 bones fill what shader model 3's 256 constant registers leave beside the other parameters;
// a model with more is drawn in parts, each with the palette of the bones its triangles use.

float4x4 wvp : WORLDVIEWPROJECTION;
float4x4 invworld;
float4x4 bones[56];
float3 lightPos;
float3 cameraPos;
float4 pLightColor = {1, 1, 1, 1};
float4 ambientColor = {0.1, 0.1, 0.1, 1};
float specShiny = 128;

texture diffTex;
sampler2D diffSampler = sampler_state {
    Texture = <diffTex>;
    MinFilter = Linear;
    MagFilter = Linear;
    MipFilter = None;
    AddressU = Wrap;
    AddressV = Wrap;
};

struct VSInput {
    float4 position : POSITION;
    float3 normal : NORMAL;
    float2 uv : TEXCOORD0;
    float4 weights : BLENDWEIGHT;
    float4 bones : BLENDINDICES;
};

struct VSOutput {
    float4 position : POSITION;
    float2 uv : TEXCOORD0;
    float3 normal : TEXCOORD1;
    float3 toLight : TEXCOORD2;
    float3 toEye : TEXCOORD3;
};

VSOutput skinVS(VSInput v) {
    float4 bind = float4(v.position.xyz, 1);
    float3 p = mul(bind, bones[(int)v.bones.x]).xyz * v.weights.x +
               mul(bind, bones[(int)v.bones.y]).xyz * v.weights.y +
               mul(bind, bones[(int)v.bones.z]).xyz * v.weights.z +
               mul(bind, bones[(int)v.bones.w]).xyz * v.weights.w;
    VSOutput o;
    o.position = mul(float4(p, 1), wvp);
    o.uv = v.uv;
    o.normal = v.normal;
    o.toLight = mul(float4(lightPos, 1), invworld).xyz - p;
    o.toEye = mul(float4(cameraPos, 1), invworld).xyz - p;
    return o;
}

float4 phongPS(VSOutput i) : COLOR0 {
    float4 base = tex2D(diffSampler, i.uv);
    float3 n = normalize(i.normal);
    float3 l = normalize(i.toLight);
    float3 e = normalize(i.toEye);
    float ndotl = saturate(dot(n, l));
    float3 r = 2 * dot(n, l) * n - l;
    // No highlight on faces turned away from the light.
    float specular = pow(saturate(dot(r, e)), specShiny) * step(0.0001, ndotl);
    float3 lit = (pLightColor.rgb * ndotl + ambientColor.rgb) * base.rgb;
    return float4(pLightColor.rgb * specular * 0.6 + lit, base.a);
}

// The rig view: each vertex, skinned as above, in the colour of its most-weighted bone (the
// mesh's COLOR0 stream), unlit.
struct RigInput {
    float4 position : POSITION;
    float4 color : COLOR0;
    float4 weights : BLENDWEIGHT;
    float4 bones : BLENDINDICES;
};

struct RigOutput {
    float4 position : POSITION;
    float4 color : COLOR0;
};

RigOutput rigVS(RigInput v) {
    float4 bind = float4(v.position.xyz, 1);
    float3 p = mul(bind, bones[(int)v.bones.x]).xyz * v.weights.x +
               mul(bind, bones[(int)v.bones.y]).xyz * v.weights.y +
               mul(bind, bones[(int)v.bones.z]).xyz * v.weights.z +
               mul(bind, bones[(int)v.bones.w]).xyz * v.weights.w;
    RigOutput o;
    o.position = mul(float4(p, 1), wvp);
    o.color = v.color;
    return o;
}

float4 rigPS(RigOutput i) : COLOR0 {
    return i.color;
}

technique phongLighting {
    pass p0 {
        VertexShader = compile vs_3_0 skinVS();
        PixelShader = compile ps_3_0 phongPS();
    }
}

technique rigColours {
    pass p0 {
        VertexShader = compile vs_3_0 rigVS();
        PixelShader = compile ps_3_0 rigPS();
    }
}
