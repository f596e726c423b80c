// The abstract renderable mesh that both back ends implement. The application, the mesh
// import, the animated mesh and the test primitives fill meshes only through this interface.
//
// The 37 virtual slots come first, in an order that is part of the contract between the back
// ends. The rules every mesh follows are carried out here, once:
// - Every setter copies the caller's array (the caller keeps ownership) and replaces the
//   stream completely. Counts are element counts of the array handed in: floats for the float
//   forms, records for the array forms, bytes for raw bytes.
// - A null array or a negative count is refused: the setter returns false and the previous
//   stream stays. Index setters also refuse a count of 0. Float and byte counts use whole
//   vertices only: a trailing partial vertex is dropped. Extra data streams take 1 to 4
//   components (floats) per vertex.
// - Colours come in as alpha, red, green, blue floats in 0…1; a packed colour is ARGB with
//   alpha in the top byte.
// - Positions set the vertex count and the bounding box.
// What a back end does with accepted data (its layout, its buffers) is behind the protected
// store hooks, which come after the slots; their result is the setter's result.
#pragma once

#include <vector>

#include "rvvector.h"

class rvRender;
class rvTexture;
class rvTextureManager;

// One texture-coordinate pair.
struct rvUVPair {
    float u, v;
};

class rvMesh {
public:
    // type is one of the primitive types 0…4 (asserted; another value gives a triangle list).
    explicit rvMesh(int primitiveType);
    virtual ~rvMesh();                                                         // 0
    virtual bool setIndexArray32(const unsigned int* indexArray, int count);   // 1
    virtual bool setIndexArray16(const unsigned short* indexArray, int count); // 2
    // Every one of vertexCount vertices gets the one packed ARGB colour *ARGBColor.
    virtual bool setARGBColor(const unsigned int* ARGBColor, int vertexCount);          // 3
    virtual bool setFourFloatColors(const float* fourFloatColor, int floatCount);       // 4
    virtual bool setConstantColor(float a, float r, float g, float b, int vertexCount); // 5
    virtual bool setPositionArray(const rvVector3* posArray, int count);                // 6
    virtual bool setPositions(const float* threeFloatPos, int floatCount);              // 7
    virtual bool setBoneWeights(const float* fourFloats, int floatCount);               // 8
    virtual bool setBoneIndices(const unsigned char* fourIndices, int byteCount);       // 9
    // *out = new float[vertexCount * 3] (caller delete[]s it), or null without positions.
    virtual void getPositions(float** out) = 0;                             // 10
    virtual bool setUVPairArray(const rvUVPair* uvPairs, int count);        // 11
    virtual bool setUVs(const float* uvPairs, int floatCount);              // 12
    virtual bool setUVPairArray2(const rvUVPair* uvPairs, int count);       // 13
    virtual bool setUVs2(const float* uvPairs, int floatCount);             // 14
    virtual bool setDataArray(const rvVector3* data, int count);            // 15
    virtual bool setData(const void* data, int byteCount, int components);  // 16
    virtual bool setDataArray2(const rvVector3* data, int count);           // 17
    virtual bool setData2(const void* data, int byteCount, int components); // 18
    virtual rvMesh* setTexture(rvTexture* texture);                         // 19
    // Through the process's texture manager; null (and nothing stored) when there is none.
    virtual rvTexture* loadTexture(const char* file);                      // 20
    virtual rvMesh* setTexture2(rvTexture* texture);                       // 21
    virtual rvTexture* loadTexture2(const char* file);                     // 22
    virtual rvTexture* loadMipmappedTexture(const char* file);             // 23
    virtual rvTexture* loadMipmappedTexture2(const char* file);            // 24
    virtual rvTexture* getTexture();                                       // 25
    virtual rvTexture* getTexture2();                                      // 26
    virtual bool setNormalArray(const rvVector3* normalArray, int count);  // 27
    virtual bool setNormals(const float* threeFloatArray, int floatCount); // 28
    // *out = new float[vertexCount * 3] (caller delete[]s it), or null without normals.
    virtual void getNormals(float** out) = 0;      // 29
    virtual void setPrimitiveCount(int count) = 0; // 30
    // The primitives a draw of the mesh without indices makes from its vertices
    // (rvPrimitivesFrom): every vertex is drawn, on both back ends.
    virtual int countPrimitives(); // 31
    // Types outside 0…4 leave the type unchanged.
    virtual void setPrimitiveType(int type); // 32
    virtual int getPrimitiveType();          // 33
    // The box's 12 edges as a line list through the renderer's drawPrimitives.
    virtual bool drawBoundingBox(rvRender* renderer); // 34
    virtual bool drawNormals(rvRender* renderer) = 0; // 35
    virtual void reserved(int) {}                     // 36

    // Positions written in place, for the processor skinning: storage for n positions (3 floats
    // each) that becomes the position stream when commitPositions gives their bounding box,
    // without the copy and the box pass of setPositions.
    float* beginPositions(int n);
    bool commitPositions(int n, const rvVector3& min, const rvVector3& max);

    int getVertexCount() const { return mVertexCount; }
    const rvVector3& getBoundsMin() const { return mMin; }
    const rvVector3& getBoundsMax() const { return mMax; }

    rvMesh(const rvMesh&) = delete;
    rvMesh& operator=(const rvMesh&) = delete;

protected:
    // The store hooks. Each replaces one stream with n ≥ 0 whole vertices of checked data (not
    // read when n is 0) and returns what the setter returns.
    virtual bool storeIndices(const void* indices, int count, bool wide) = 0; // count ≥ 1
    virtual bool storePositions(const float* xyz, int n) = 0;
    virtual bool storeColors(const float* argb, int n) = 0;
    virtual bool storeUVs(int set, const float* uv, int n) = 0; // set 0 or 1
    virtual bool storeData(int stream, const float* values, int n, int components) = 0;
    virtual bool storeNormals(const float* xyz, int n) = 0;
    virtual bool storeBoneWeights(const float* weights, int n) = 0;       // 4 per vertex
    virtual bool storeBoneIndices(const unsigned char* bones, int n) = 0; // 4 per vertex
    // The storage beginPositions hands out, and what makes it the position stream. By default
    // a buffer of the base class, handed to storePositions.
    virtual float* positionStorage(int n);
    virtual bool commitPositionStorage(int n);

    rvVector3 mMin;
    rvVector3 mMax;
    int mVertexCount;
    int mMaxIndex = 0; // the largest index of the last index array stored
    int mPrimitiveType;
    rvTexture* mTexture;
    rvTexture* mTexture2;
    std::vector<float> mPositionStorage;

private:
    // *slot = what the process's texture manager gives for the file; null without a manager.
    static rvTexture* loadInto(rvTexture** slot, rvTexture* (rvTextureManager::*load)(const char*),
                               const char* file);
    bool setUVStream(int set, const float* uv, int floatCount);
    bool setDataStream(int stream, const void* data, int byteCount, int components);
    // Sets vertexCount = count and the bounding box of the count points: both corners start at
    // the first point; per axis a smaller value replaces the minimum, otherwise a larger one
    // replaces the maximum. count 0 leaves the box unchanged.
    void setBoundsFromPositions(const float* xyz, int count);
};
