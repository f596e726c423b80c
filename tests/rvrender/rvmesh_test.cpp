// The mesh contract on the processor-only test mesh: the interface's own rules, and the test
// double that the other core tests rely on.
#include "rvmesh.h"

#include "meshcontract.h"
#include "recordingmesh.h"

template <> struct MeshReader<RecordingMesh> {
    static constexpr bool kStoresBones = true;
    static void setUp() {}
    static std::vector<float> colors(RecordingMesh& m) { return m.colors; }
    static std::vector<float> uvs(RecordingMesh& m, int set) { return set ? m.uvs2 : m.uvs; }
    static std::vector<float> data(RecordingMesh& m, int stream) { return m.data[stream]; }
    static int components(RecordingMesh& m, int stream) { return m.dataComponents[stream]; }
    static bool wideIndices(RecordingMesh& m) { return !m.indices32.empty(); }
    static std::vector<unsigned> indices(RecordingMesh& m) {
        return m.indices32.empty() ? std::vector<unsigned>(m.indices16.begin(), m.indices16.end())
                                   : std::vector<unsigned>(m.indices32.begin(), m.indices32.end());
    }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Recording, MeshContract, RecordingMesh);
