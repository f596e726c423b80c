!!ARBfp1.0
# Per-pixel Phong lighting of one point light: the fragment stage.
#   local[1] light colour    local[2] ambient colour    local[5].x specular power
# The diffuse texture is on unit 0; vectors arrive in object space from the vertex stage.
PARAM lightColour = program.local[1];
PARAM ambient = program.local[2];
PARAM shininess = program.local[5];
PARAM specularStrength = { 0.6, 0.6, 0.6, 0.0 };

TEMP base, n, l, v, r, lit, len, ndotl, specular;

TEX base, fragment.texcoord[0], texture[0], 2D;

DP3 len.x, fragment.texcoord[1], fragment.texcoord[1];
RSQ len.x, len.x;
MUL n.xyz, fragment.texcoord[1], len.x;
DP3 len.x, fragment.texcoord[2], fragment.texcoord[2];
RSQ len.x, len.x;
MUL l.xyz, fragment.texcoord[2], len.x;
DP3 len.x, fragment.texcoord[3], fragment.texcoord[3];
RSQ len.x, len.x;
MUL v.xyz, fragment.texcoord[3], len.x;

# Diffuse term.
DP3_SAT ndotl.x, n, l;

# Reflection of the light vector about the normal: r = 2 (n·l) n − l.
DP3 r.w, n, l;
MUL r.xyz, n, r.w;
MAD r.xyz, r, 2.0, -l;
DP3_SAT specular.x, r, v;
POW specular.x, specular.x, shininess.x;
# No highlight on faces turned away from the light.
SGE specular.y, ndotl.x, 0.0001;
MUL specular.x, specular.x, specular.y;

MAD lit.rgb, lightColour, ndotl.x, ambient;
MUL lit.rgb, lit, base;
MUL specular.rgb, lightColour, specular.x;
MAD result.color.rgb, specular, specularStrength, lit;
MOV result.color.a, base.a;
END
