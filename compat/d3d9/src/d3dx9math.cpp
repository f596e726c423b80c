// D3DX 9 math in Direct3D's convention: row vectors multiplied on the left (p' = p · M), so
// D3DXMatrixMultiply(A, B) means "apply A, then B". Formulas as documented by Microsoft for
// each function; a null matrix counts as the identity, and outputs may alias inputs.
#include "d3dx9math.h"

#include <cmath>
#include <cstring>

D3DXMATRIX::D3DXMATRIX(const FLOAT* f) {
    if (f)
        std::memcpy(&_11, f, sizeof(m));
}

D3DXMATRIX::D3DXMATRIX(FLOAT f11, FLOAT f12, FLOAT f13, FLOAT f14, FLOAT f21, FLOAT f22, FLOAT f23,
                       FLOAT f24, FLOAT f31, FLOAT f32, FLOAT f33, FLOAT f34, FLOAT f41, FLOAT f42,
                       FLOAT f43, FLOAT f44) {
    _11 = f11, _12 = f12, _13 = f13, _14 = f14;
    _21 = f21, _22 = f22, _23 = f23, _24 = f24;
    _31 = f31, _32 = f32, _33 = f33, _34 = f34;
    _41 = f41, _42 = f42, _43 = f43, _44 = f44;
}

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& mat) const {
    D3DXMATRIX out;
    D3DXMatrixMultiply(&out, this, &mat);
    return out;
}

D3DXMATRIX& D3DXMATRIX::operator*=(const D3DXMATRIX& mat) {
    D3DXMatrixMultiply(this, this, &mat);
    return *this;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& mat) const {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (m[i][j] != mat.m[i][j])
                return false;
    return true;
}

namespace {

D3DXMATRIX zeroMatrix() {
    D3DXMATRIX out;
    std::memset(&out, 0, sizeof(out));
    return out;
}

// The 3×3 minor's determinant of rows/columns other than (r, c), in double precision.
double minor3(const double a[4][4], int r, int c) {
    int rows[3], cols[3];
    for (int i = 0, k = 0; i < 4; ++i)
        if (i != r)
            rows[k++] = i;
    for (int j = 0, k = 0; j < 4; ++j)
        if (j != c)
            cols[k++] = j;
    auto e = [&](int i, int j) { return a[rows[i]][cols[j]]; };
    return e(0, 0) * (e(1, 1) * e(2, 2) - e(1, 2) * e(2, 1)) -
           e(0, 1) * (e(1, 0) * e(2, 2) - e(1, 2) * e(2, 0)) +
           e(0, 2) * (e(1, 0) * e(2, 1) - e(1, 1) * e(2, 0));
}

void toDouble(const D3DXMATRIX* pM, double a[4][4]) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            a[i][j] = pM->m[i][j];
}

double determinant(const double a[4][4]) {
    double det = 0.0;
    for (int j = 0; j < 4; ++j)
        det += ((j & 1) ? -1.0 : 1.0) * a[0][j] * minor3(a, 0, j);
    return det;
}

// World · View · Projection with null matrices counting as the identity.
D3DXMATRIX worldViewProjection(const D3DXMATRIX* pProjection, const D3DXMATRIX* pView,
                               const D3DXMATRIX* pWorld) {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    if (pWorld)
        D3DXMatrixMultiply(&m, &m, pWorld);
    if (pView)
        D3DXMatrixMultiply(&m, &m, pView);
    if (pProjection)
        D3DXMatrixMultiply(&m, &m, pProjection);
    return m;
}

} // namespace

D3DXMATRIX* WINAPI D3DXMatrixIdentity(D3DXMATRIX* pOut) {
    if (!pOut)
        return nullptr;
    *pOut = zeroMatrix();
    pOut->_11 = pOut->_22 = pOut->_33 = pOut->_44 = 1.0f;
    return pOut;
}

BOOL WINAPI D3DXMatrixIsIdentity(const D3DXMATRIX* pM) {
    if (!pM)
        return FALSE;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (pM->m[i][j] != (i == j ? 1.0f : 0.0f))
                return FALSE;
    return TRUE;
}

D3DXMATRIX* WINAPI D3DXMatrixMultiply(D3DXMATRIX* pOut, const D3DXMATRIX* pM1,
                                      const D3DXMATRIX* pM2) {
    if (!pOut || !pM1 || !pM2)
        return nullptr;
    D3DXMATRIX r; // computed aside, so pOut may alias either argument
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = pM1->m[i][0] * pM2->m[0][j] + pM1->m[i][1] * pM2->m[1][j] +
                        pM1->m[i][2] * pM2->m[2][j] + pM1->m[i][3] * pM2->m[3][j];
    *pOut = r;
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixTranspose(D3DXMATRIX* pOut, const D3DXMATRIX* pM) {
    if (!pOut || !pM)
        return nullptr;
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = pM->m[j][i];
    *pOut = r;
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixInverse(D3DXMATRIX* pOut, FLOAT* pDeterminant, const D3DXMATRIX* pM) {
    if (!pOut || !pM)
        return nullptr;
    double a[4][4];
    toDouble(pM, a);
    const double det = determinant(a);
    if (pDeterminant)
        *pDeterminant = static_cast<FLOAT>(det);
    if (det == 0.0 || static_cast<FLOAT>(det) == 0.0f || !std::isfinite(det))
        return nullptr;
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) // adjugate: transposed cofactors
            r.m[i][j] = static_cast<FLOAT>((((i + j) & 1) ? -1.0 : 1.0) * minor3(a, j, i) / det);
    *pOut = r;
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixTranslation(D3DXMATRIX* pOut, FLOAT x, FLOAT y, FLOAT z) {
    if (!D3DXMatrixIdentity(pOut))
        return nullptr;
    pOut->_41 = x, pOut->_42 = y, pOut->_43 = z;
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixScaling(D3DXMATRIX* pOut, FLOAT sx, FLOAT sy, FLOAT sz) {
    if (!D3DXMatrixIdentity(pOut))
        return nullptr;
    pOut->_11 = sx, pOut->_22 = sy, pOut->_33 = sz;
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationX(D3DXMATRIX* pOut, FLOAT angle) {
    if (!D3DXMatrixIdentity(pOut))
        return nullptr;
    const FLOAT c = std::cos(angle), s = std::sin(angle);
    pOut->_22 = c, pOut->_23 = s, pOut->_32 = -s, pOut->_33 = c;
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationY(D3DXMATRIX* pOut, FLOAT angle) {
    if (!D3DXMatrixIdentity(pOut))
        return nullptr;
    const FLOAT c = std::cos(angle), s = std::sin(angle);
    pOut->_11 = c, pOut->_13 = -s, pOut->_31 = s, pOut->_33 = c;
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationZ(D3DXMATRIX* pOut, FLOAT angle) {
    if (!D3DXMatrixIdentity(pOut))
        return nullptr;
    const FLOAT c = std::cos(angle), s = std::sin(angle);
    pOut->_11 = c, pOut->_12 = s, pOut->_21 = -s, pOut->_22 = c;
    return pOut;
}

// zaxis = normal(Eye − At), xaxis = normal(cross(Up, zaxis)), yaxis = cross(zaxis, xaxis);
// the axes are the columns and the last row is −(axis · Eye).
D3DXMATRIX* WINAPI D3DXMatrixLookAtRH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye,
                                      const D3DXVECTOR3* pAt, const D3DXVECTOR3* pUp) {
    if (!pOut || !pEye || !pAt || !pUp)
        return nullptr;
    D3DXVECTOR3 zaxis = *pEye - *pAt, xaxis, yaxis;
    D3DXVec3Normalize(&zaxis, &zaxis);
    D3DXVec3Cross(&xaxis, pUp, &zaxis);
    D3DXVec3Normalize(&xaxis, &xaxis);
    D3DXVec3Cross(&yaxis, &zaxis, &xaxis);
    *pOut = D3DXMATRIX(xaxis.x, yaxis.x, zaxis.x, 0.0f, //
                       xaxis.y, yaxis.y, zaxis.y, 0.0f, //
                       xaxis.z, yaxis.z, zaxis.z, 0.0f, //
                       -D3DXVec3Dot(&xaxis, pEye), -D3DXVec3Dot(&yaxis, pEye),
                       -D3DXVec3Dot(&zaxis, pEye), 1.0f);
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixPerspectiveFovRH(D3DXMATRIX* pOut, FLOAT fovy, FLOAT Aspect, FLOAT zn,
                                              FLOAT zf) {
    if (!pOut)
        return nullptr;
    const FLOAT ys = 1.0f / std::tan(fovy / 2.0f);
    *pOut = zeroMatrix();
    pOut->_11 = ys / Aspect;
    pOut->_22 = ys;
    pOut->_33 = zf / (zn - zf);
    pOut->_34 = -1.0f;
    pOut->_43 = zn * zf / (zn - zf);
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixOrthoOffCenterRH(D3DXMATRIX* pOut, FLOAT l, FLOAT r, FLOAT b, FLOAT t,
                                              FLOAT zn, FLOAT zf) {
    if (!pOut)
        return nullptr;
    *pOut = zeroMatrix();
    pOut->_11 = 2.0f / (r - l);
    pOut->_22 = 2.0f / (t - b);
    pOut->_33 = 1.0f / (zn - zf);
    pOut->_41 = (l + r) / (l - r);
    pOut->_42 = (t + b) / (b - t);
    pOut->_43 = zn / (zn - zf);
    pOut->_44 = 1.0f;
    return pOut;
}

D3DXVECTOR3* WINAPI D3DXVec3Normalize(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV) {
    if (!pOut || !pV)
        return nullptr;
    const FLOAT len = D3DXVec3Length(pV);
    if (len == 0.0f) // as native D3DX: the zero vector stays zero
        *pOut = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    else
        *pOut = D3DXVECTOR3(pV->x / len, pV->y / len, pV->z / len);
    return pOut;
}

D3DXVECTOR3* WINAPI D3DXVec3Cross(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1,
                                  const D3DXVECTOR3* pV2) {
    if (!pOut || !pV1 || !pV2)
        return nullptr;
    *pOut = D3DXVECTOR3(pV1->y * pV2->z - pV1->z * pV2->y, pV1->z * pV2->x - pV1->x * pV2->z,
                        pV1->x * pV2->y - pV1->y * pV2->x);
    return pOut;
}

FLOAT WINAPI D3DXVec3Dot(const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
    if (!pV1 || !pV2)
        return 0.0f;
    return pV1->x * pV2->x + pV1->y * pV2->y + pV1->z * pV2->z;
}

FLOAT WINAPI D3DXVec3Length(const D3DXVECTOR3* pV) {
    if (!pV)
        return 0.0f;
    return std::sqrt(pV->x * pV->x + pV->y * pV->y + pV->z * pV->z);
}

D3DXVECTOR3* WINAPI D3DXVec3TransformCoord(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV,
                                           const D3DXMATRIX* pM) {
    D3DXVECTOR4 t;
    if (!pOut || !D3DXVec3Transform(&t, pV, pM))
        return nullptr;
    *pOut = D3DXVECTOR3(t.x / t.w, t.y / t.w, t.z / t.w);
    return pOut;
}

D3DXVECTOR4* WINAPI D3DXVec3Transform(D3DXVECTOR4* pOut, const D3DXVECTOR3* pV,
                                      const D3DXMATRIX* pM) {
    if (!pOut || !pV)
        return nullptr;
    const D3DXVECTOR4 v(pV->x, pV->y, pV->z, 1.0f);
    return D3DXVec4Transform(pOut, &v, pM);
}

D3DXVECTOR4* WINAPI D3DXVec4Transform(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV,
                                      const D3DXMATRIX* pM) {
    if (!pOut || !pV || !pM)
        return nullptr;
    const D3DXVECTOR4 v = *pV; // pOut may alias pV
    FLOAT r[4];
    for (int j = 0; j < 4; ++j)
        r[j] = v.x * pM->m[0][j] + v.y * pM->m[1][j] + v.z * pM->m[2][j] + v.w * pM->m[3][j];
    *pOut = D3DXVECTOR4(r[0], r[1], r[2], r[3]);
    return pOut;
}

D3DXVECTOR3* WINAPI D3DXVec3Project(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV,
                                    const D3DVIEWPORT9* pViewport, const D3DXMATRIX* pProjection,
                                    const D3DXMATRIX* pView, const D3DXMATRIX* pWorld) {
    if (!pOut || !pV)
        return nullptr;
    const D3DXMATRIX m = worldViewProjection(pProjection, pView, pWorld);
    D3DXVECTOR3 v;
    D3DXVec3TransformCoord(&v, pV, &m);
    if (pViewport) {
        v.x = pViewport->X + (1.0f + v.x) * pViewport->Width / 2.0f;
        v.y = pViewport->Y + (1.0f - v.y) * pViewport->Height / 2.0f;
        v.z = pViewport->MinZ + v.z * (pViewport->MaxZ - pViewport->MinZ);
    }
    *pOut = v;
    return pOut;
}

D3DXVECTOR3* WINAPI D3DXVec3Unproject(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV,
                                      const D3DVIEWPORT9* pViewport, const D3DXMATRIX* pProjection,
                                      const D3DXMATRIX* pView, const D3DXMATRIX* pWorld) {
    if (!pOut || !pV)
        return nullptr;
    D3DXMATRIX m = worldViewProjection(pProjection, pView, pWorld);
    if (!D3DXMatrixInverse(&m, nullptr, &m))
        return nullptr;
    D3DXVECTOR3 v = *pV;
    if (pViewport) {
        v.x = 2.0f * (v.x - pViewport->X) / pViewport->Width - 1.0f;
        v.y = 1.0f - 2.0f * (v.y - pViewport->Y) / pViewport->Height;
        v.z = (v.z - pViewport->MinZ) / (pViewport->MaxZ - pViewport->MinZ);
    }
    return D3DXVec3TransformCoord(pOut, &v, &m);
}
