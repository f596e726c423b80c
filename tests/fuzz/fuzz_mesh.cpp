// The mesh reader, then what the demo does with a mesh it could read: the import into a mesh,
// the animated mesh with its skeleton, and a few updates on every skinning kernel.
#include <cstddef>
#include <cstdint>

#include "recordingmesh.h"
#include "rvanimmesh.h"
#include "rvmeshfile.h"
#include "rvmeshimport.h"
#include "rvskinning.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    rvMeshFile record;
    if (!record.loadFromMemory(data, size)) {
        return 0;
    }
    for (rvSkinPath path : rvAvailableSkinPaths()) {
        rvChooseSkinPath(path);
        rvAnimMesh anim;
        auto* mesh = new RecordingMesh;
        rvFillMeshFromRecord(record, mesh);
        anim.setMesh(mesh);
        anim.setSkeleton(record);
        anim.setFrameRate(15);
        for (int i = 0; i < 4; ++i) {
            anim.update(0.05f);
        }
    }
    rvChooseSkinPath(rvBestSkinPath());
    return 0;
}
