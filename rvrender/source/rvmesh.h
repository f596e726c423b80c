// The abstract renderable mesh that both back ends implement. The application, the mesh
// import, the animated mesh and the test primitives fill meshes only through this interface.
//
// Every setter copies the caller's array (the caller keeps ownership) and replaces the stream
// completely. Counts are element counts of the array handed in: floats for the float forms,
// records for the array forms, bytes for raw bytes. Colours are alpha, red, green, blue.
// The virtual slot order is part of the contract between the back ends.
#pragma once

#include "rvvector.h"

class rvRender;
class rvTexture;

// One texture-coordinate pair.
struct rvUVPair {
    float u, v;
};

class rvMesh {
public:
    rvMesh();
    virtual ~rvMesh();                                                             // 0
    virtual bool setIndexArray32(const unsigned int* indexArray, int count) = 0;   // 1
    virtual bool setIndexArray16(const unsigned short* indexArray, int count) = 0; // 2
    // Every one of vertexCount vertices gets the one packed ARGB colour *ARGBColor.
    virtual bool setARGBColor(const unsigned int* ARGBColor, int vertexCount) = 0;          // 3
    virtual bool setFourFloatColors(const float* fourFloatColor, int floatCount) = 0;       // 4
    virtual bool setConstantColor(float a, float r, float g, float b, int vertexCount) = 0; // 5
    // Positions set vertexCount and recompute the bounding box.
    virtual bool setPositionArray(const rvVector3* posArray, int count) = 0;          // 6
    virtual bool setPositions(const float* threeFloatPos, int floatCount) = 0;        // 7
    virtual bool setBoneWeights(const float* fourFloats, int floatCount) = 0;         // 8
    virtual bool setBoneIndices(const unsigned char* fourIndices, int byteCount) = 0; // 9
    // *out = new float[vertexCount * 3] (caller delete[]s it), or null without positions.
    virtual void getPositions(float** out) = 0;                                 // 10
    virtual bool setUVPairArray(const rvUVPair* uvPairs, int count) = 0;        // 11
    virtual bool setUVs(const float* uvPairs, int floatCount) = 0;              // 12
    virtual bool setUVPairArray2(const rvUVPair* uvPairs, int count) = 0;       // 13
    virtual bool setUVs2(const float* uvPairs, int floatCount) = 0;             // 14
    virtual bool setDataArray(const rvVector3* data, int count) = 0;            // 15
    virtual bool setData(const void* data, int byteCount, int components) = 0;  // 16
    virtual bool setDataArray2(const rvVector3* data, int count) = 0;           // 17
    virtual bool setData2(const void* data, int byteCount, int components) = 0; // 18
    virtual rvMesh* setTexture(rvTexture* texture) = 0;                         // 19
    virtual rvTexture* loadTexture(const char* file) = 0;                       // 20
    virtual rvMesh* setTexture2(rvTexture* texture) = 0;                        // 21
    virtual rvTexture* loadTexture2(const char* file) = 0;                      // 22
    virtual rvTexture* loadMipmappedTexture(const char* file) = 0;              // 23
    virtual rvTexture* loadMipmappedTexture2(const char* file) = 0;             // 24
    virtual rvTexture* getTexture() = 0;                                        // 25
    virtual rvTexture* getTexture2() = 0;                                       // 26
    virtual bool setNormalArray(const rvVector3* normalArray, int count) = 0;   // 27
    virtual bool setNormals(const float* threeFloatArray, int floatCount) = 0;  // 28
    // *out = new float[vertexCount * 3] (caller delete[]s it), or null without normals.
    virtual void getNormals(float** out) = 0;             // 29
    virtual void setPrimitiveCount(int count) = 0;        // 30
    virtual int countPrimitives() = 0;                    // 31
    virtual void setPrimitiveType(int type) = 0;          // 32
    virtual int getPrimitiveType() = 0;                   // 33
    virtual bool drawBoundingBox(rvRender* renderer) = 0; // 34
    virtual bool drawNormals(rvRender* renderer) = 0;     // 35
    virtual void reserved(int) = 0;                       // 36

    int getVertexCount() const { return mVertexCount; }
    const rvVector3& getBoundsMin() const { return mMin; }
    const rvVector3& getBoundsMax() const { return mMax; }

    rvMesh(const rvMesh&) = delete;
    rvMesh& operator=(const rvMesh&) = delete;

protected:
    // Sets vertexCount = count and the bounding box of the count points xyz (3 floats each):
    // both corners start at the first point; per axis a smaller value replaces the minimum,
    // otherwise a larger one replaces the maximum. count 0 leaves the box unchanged.
    void setBoundsFromPositions(const float* xyz, int count);
    // The 12 edges of the bounding box as a line list of 24 points (72 floats).
    void boundingBoxLines(float out[72]) const;

    rvVector3 mMin;
    rvVector3 mMax;
    int mVertexCount;
};
