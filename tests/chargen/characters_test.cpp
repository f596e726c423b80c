#include "characters.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <utility>

#include <gtest/gtest.h>

#include "rvanimmesh.h"
#include "rvmeshfile.h"

using namespace chargen;

namespace {

// A character as the engine sees it: its file encoded and read back by the engine's reader.
struct Loaded {
    Character c;
    rvMeshFile file;
    std::vector<rvVector3> bind;
    std::vector<std::pair<uint32_t, uint32_t>> edges;
};

Loaded load(Character c) {
    Loaded l{std::move(c), {}, {}, {}};
    const std::vector<std::uint8_t> image = rvEncodeMeshFile(meshRecord(l.c));
    EXPECT_TRUE(l.file.loadFromMemory(image.data(), image.size())) << l.file.error();
    for (uint32_t v = 0; v < l.file.vertexCount; ++v)
        l.bind.emplace_back(l.file.positions[3 * v], l.file.positions[3 * v + 1],
                            l.file.positions[3 * v + 2]);
    std::set<std::pair<uint32_t, uint32_t>> edges;
    for (size_t i = 0; i < l.file.indices.size(); i += 3)
        for (int e = 0; e < 3; ++e) {
            uint32_t a = l.file.indices[i + e], b = l.file.indices[i + (e + 1) % 3];
            edges.insert({std::min(a, b), std::max(a, b)});
        }
    l.edges.assign(edges.begin(), edges.end());
    return l;
}

const Loaded& zax() {
    static const Loaded l = load(makeZax());
    return l;
}
const Loaded& zaphod() {
    static const Loaded l = load(makeZaphod());
    return l;
}

// Skinned exactly as the engine's processor skinning does it.
std::vector<rvVector3> pose(const Loaded& l, int frameA, int frameB, float t) {
    std::vector<rvVector3> out(l.file.vertexCount);
    rvSkinPerVertexReference(l.bind.data(), int(l.file.vertexCount), l.file.boneIndices.data(),
                             l.file.boneWeights.data(), l.file.boneKeys.data(),
                             int(l.file.frameCount), frameA, frameB, t, out.data());
    return out;
}

struct Box {
    rvVector3 lo{1e30f, 1e30f, 1e30f}, hi{-1e30f, -1e30f, -1e30f};
    void add(const rvVector3& p) {
        lo = rvVector3(std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z));
        hi = rvVector3(std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z));
    }
    float height() const { return hi.y - lo.y; }
    float width() const { return hi.x - lo.x; }
};

Box bounds(const std::vector<rvVector3>& points) {
    Box b;
    for (const rvVector3& p : points)
        b.add(p);
    return b;
}

int partIndex(const Character& c, PartKind kind, int side = 0) {
    for (size_t i = 0; i < c.parts.size(); ++i)
        if (c.parts[i].desc().kind == kind && c.parts[i].desc().side == side)
            return int(i);
    return -1;
}

rvVector3 centroid(const Loaded& l, const std::vector<rvVector3>& points, int part) {
    rvVector3 sum;
    int n = 0;
    for (size_t v = 0; v < points.size(); ++v)
        if (l.c.mesh.part[v] == part) {
            sum += points[v];
            ++n;
        }
    return sum * (1.0f / n);
}

float lowestOfFeet(const Loaded& l, const std::vector<rvVector3>& points) {
    float lowest = 1e30f;
    for (size_t v = 0; v < points.size(); ++v)
        if (l.c.parts[l.c.mesh.part[v]].desc().kind == PartKind::Foot)
            lowest = std::min(lowest, points[v].y);
    return lowest;
}

// Mean vertex movement between two poses.
double meanStep(const std::vector<rvVector3>& a, const std::vector<rvVector3>& b) {
    double sum = 0.0;
    for (size_t v = 0; v < a.size(); ++v)
        sum += rvDistance(a[v], b[v]);
    return sum / a.size();
}

} // namespace

TEST(CharacterFile, LoadsWithTheEngineReader) {
    for (const Loaded* l : {&zax(), &zaphod()}) {
        const rvMeshFile& f = l->file;
        SCOPED_TRACE(l->c.name);
        EXPECT_EQ(f.vertexCount, uint32_t(l->c.mesh.vertexCount()));
        EXPECT_GE(f.vertexCount, 3000u);
        EXPECT_LT(f.vertexCount, 65536u);
        EXPECT_EQ(f.indexCount % 3, 0u);
        EXPECT_TRUE(f.hasNormals());
        EXPECT_TRUE(f.hasTexCoords());
        EXPECT_TRUE(f.hasTangents());
        EXPECT_TRUE(f.hasSkeleton());
        EXPECT_GE(f.boneCount, 18u);
        EXPECT_LE(f.boneCount, 56u);
        EXPECT_GE(f.frameCount, 30u);
        for (uint32_t i : f.indices)
            ASSERT_LT(i, f.vertexCount);
        for (float uv : f.texCoords) {
            EXPECT_GE(uv, 0.0f);
            EXPECT_LE(uv, 1.0f);
        }
    }
}

TEST(CharacterSkin, WeightsSumToOneAndIndicesAreBones) {
    for (const Loaded* l : {&zax(), &zaphod()}) {
        const rvMeshFile& f = l->file;
        for (uint32_t v = 0; v < f.vertexCount; ++v) {
            float sum = 0.0f;
            for (int j = 0; j < 4; ++j) {
                sum += f.boneWeights[4 * v + j];
                ASSERT_LT(f.boneIndices[4 * v + j], f.boneCount);
            }
            ASSERT_NEAR(sum, 1.0f, 1.0f / 255.0f) << l->c.name << " vertex " << v;
        }
    }
}

TEST(CharacterSkin, EveryBoneMovesSomeVertex) {
    for (const Loaded* l : {&zax(), &zaphod()}) {
        std::vector<float> most(l->file.boneCount, 0.0f);
        for (uint32_t v = 0; v < l->file.vertexCount; ++v)
            for (int j = 0; j < 4; ++j) {
                float& m = most[l->file.boneIndices[4 * v + j]];
                m = std::max(m, l->file.boneWeights[4 * v + j]);
            }
        for (uint32_t b = 0; b < l->file.boneCount; ++b)
            EXPECT_GT(most[b], 0.25f) << l->c.name << " bone " << l->c.body.skeleton.bone(b).name;
    }
}

TEST(CharacterSkin, KeyRotationsAreUnitQuaternions) {
    for (const Loaded* l : {&zax(), &zaphod()})
        for (const rvBoneKey& k : l->file.boneKeys)
            ASSERT_NEAR(k.rotation.dot(k.rotation), 1.0f, 1e-5f);
}

TEST(CharacterPose, EveryKeyFrameKeepsTheFigureInOnePiece) {
    for (const Loaded* l : {&zax(), &zaphod()}) {
        SCOPED_TRACE(l->c.name);
        const Box bind = bounds(l->bind);
        // A sane box: the bind box widened on every side by a quarter of the figure's height.
        const float margin = 0.25f * bind.height();
        const int frames = int(l->file.frameCount);
        for (int f = 0; f < frames; ++f) {
            for (float t : {0.0f, 0.5f}) {
                std::vector<rvVector3> p = pose(*l, f, (f + 1) % frames, t);
                Box b = bounds(p);
                EXPECT_GT(b.lo.x, bind.lo.x - margin);
                EXPECT_GT(b.lo.y, bind.lo.y - margin);
                EXPECT_GT(b.lo.z, bind.lo.z - margin);
                EXPECT_LT(b.hi.x, bind.hi.x + margin);
                EXPECT_LT(b.hi.y, bind.hi.y + margin);
                EXPECT_LT(b.hi.z, bind.hi.z + margin);
                double worst = 0.0;
                for (const auto& [a, c] : l->edges) {
                    double before = rvDistance(l->bind[a], l->bind[c]);
                    if (before > 1e-4)
                        worst = std::max(worst, rvDistance(p[a], p[c]) / before);
                }
                EXPECT_LT(worst, 2.0) << "frame " << f << " t " << t;
            }
        }
    }
}

TEST(CharacterPose, LoopsSeamlessly) {
    for (const Loaded* l : {&zax(), &zaphod()}) {
        const int frames = int(l->file.frameCount);
        std::vector<std::vector<rvVector3>> keys;
        for (int f = 0; f < frames; ++f)
            keys.push_back(pose(*l, f, f, 0.0f));
        std::vector<double> steps;
        for (int f = 0; f + 1 < frames; ++f)
            steps.push_back(meanStep(keys[f], keys[f + 1]));
        const double wrap = meanStep(keys[frames - 1], keys[0]);
        const double largest = *std::max_element(steps.begin(), steps.end());
        std::sort(steps.begin(), steps.end());
        EXPECT_GT(steps[steps.size() / 2], 0.01) << l->c.name << " hardly moves";
        EXPECT_LE(wrap, largest * 1.001) << l->c.name;
        // No hitch either (a repeated key would make the wrap step vanish).
        const double around =
            0.5 * (meanStep(keys[frames - 2], keys[frames - 1]) + meanStep(keys[0], keys[1]));
        EXPECT_GT(wrap, 0.5 * around) << l->c.name;
        EXPECT_LT(wrap, 2.0 * around) << l->c.name;
    }
}

TEST(CharacterPose, ZaxStandsOnTheFloorThroughoutItsWalk) {
    const Loaded& l = zax();
    EXPECT_NEAR(lowestOfFeet(l, l.bind), 0.0f, 0.05f);
    for (int f = 0; f < int(l.file.frameCount); ++f)
        for (float t : {0.0f, 0.5f}) {
            float lowest = lowestOfFeet(l, pose(l, f, (f + 1) % l.file.frameCount, t));
            EXPECT_NEAR(lowest, 0.0f, 0.2f) << "frame " << f << " t " << t;
        }
}

TEST(CharacterPose, ZaphodKeepsItsSolesAtTheFloorBelowItsPelvis) {
    const Loaded& l = zaphod();
    EXPECT_NEAR(lowestOfFeet(l, l.bind), -16.7f, 0.05f);
    for (int f = 0; f < int(l.file.frameCount); ++f) {
        float lowest = lowestOfFeet(l, pose(l, f, (f + 1) % l.file.frameCount, 0.5f));
        EXPECT_NEAR(lowest, -16.7f, 0.2f) << "frame " << f;
    }
}

TEST(CharacterShape, PlacementMatchesTheScene) {
    Box z = bounds(zax().bind);
    EXPECT_NEAR(z.lo.y, 0.0f, 0.05f);
    EXPECT_NEAR(z.height(), 40.0f, 2.0f);
    Box p = bounds(zaphod().bind);
    EXPECT_NEAR(p.lo.y, -16.7f, 0.05f);
    EXPECT_NEAR(p.height(), 33.0f, 1.5f);
    const Skeleton& s = zaphod().c.body.skeleton;
    EXPECT_NEAR(length(s.bone(s.find("pelvis")).head), 0.0, 1e-9);
}

TEST(CharacterShape, FiguresFacePlusZWhileTheyMove) {
    for (const Loaded* l : {&zax(), &zaphod()}) {
        const int nose = partIndex(l->c, PartKind::Nose), head = partIndex(l->c, PartKind::Head);
        const int footL = partIndex(l->c, PartKind::Foot, 1);
        ASSERT_GE(nose, 0);
        ASSERT_GE(head, 0);
        ASSERT_GE(footL, 0);
        const int toe = l->c.body.skeleton.find("toe_l");
        for (int f = 0; f < int(l->file.frameCount); f += 4) {
            std::vector<rvVector3> p = pose(*l, f, f, 0.0f);
            EXPECT_GT(centroid(*l, p, nose).z, centroid(*l, p, head).z + 1.0f) << l->c.name;
            // Toes (mostly skinned to the toe bone) lie ahead of the rest of the foot.
            float toeZ = 0.0f, restZ = 0.0f;
            int toes = 0, rest = 0;
            for (size_t v = 0; v < p.size(); ++v) {
                if (l->c.mesh.part[v] != footL)
                    continue;
                bool onToe = l->file.boneIndices[4 * v] == toe && l->file.boneWeights[4 * v] > 0.5f;
                (onToe ? toeZ : restZ) += p[v].z;
                ++(onToe ? toes : rest);
            }
            ASSERT_GT(toes, 0);
            EXPECT_GT(toeZ / toes, restZ / rest) << l->c.name << " frame " << f;
        }
    }
}

TEST(CharacterShape, TheTwoFiguresAreBuiltDifferently) {
    const Box z = bounds(zax().bind), p = bounds(zaphod().bind);
    const float zaxRatio = z.height() / z.width(), zaphodRatio = p.height() / p.width();
    EXPECT_GT(zaphodRatio, 1.4f * zaxRatio);
    // Zax's head is a far larger share of its height; zaphod's legs a far larger share.
    auto share = [](const Loaded& l, PartKind kind) {
        Box b;
        for (size_t v = 0; v < l.bind.size(); ++v)
            if (l.c.parts[l.c.mesh.part[v]].desc().kind == kind)
                b.add(l.bind[v]);
        return b.height() / bounds(l.bind).height();
    };
    EXPECT_GT(share(zax(), PartKind::Head), 1.3f * share(zaphod(), PartKind::Head));
    EXPECT_GT(share(zaphod(), PartKind::Leg), 1.2f * share(zax(), PartKind::Leg));
    EXPECT_NE(zax().file.boneCount, zaphod().file.boneCount);
    EXPECT_NE(zax().file.frameCount, zaphod().file.frameCount);
}

TEST(CharacterShape, ZaxWalksWhileZaphodWaves) {
    auto jointRange = [](const Loaded& l, const char* bone, int axis) {
        const Skeleton& s = l.c.body.skeleton;
        double lo = 1e9, hi = -1e9;
        for (const Pose& p : l.c.poses) {
            V3 j = jointPositions(s, p)[s.find(bone)];
            double c = axis == 0 ? j.x : (axis == 1 ? j.y : j.z);
            lo = std::min(lo, c);
            hi = std::max(hi, c);
        }
        return std::make_pair(lo, hi);
    };
    auto zaxToe = jointRange(zax(), "toe_l", 2);
    EXPECT_GT(zaxToe.second - zaxToe.first, 5.0);
    auto zaphodToe = jointRange(zaphod(), "toe_l", 2);
    EXPECT_LT(zaphodToe.second - zaphodToe.first, 0.01);
    auto hand = jointRange(zaphod(), "hand_r", 1);
    const Skeleton& s = zaphod().c.body.skeleton;
    EXPECT_GT(hand.first, s.bone(s.find("head")).head.y);
}

TEST(CharacterGenerator, IsDeterministic) {
    EXPECT_EQ(rvEncodeMeshFile(meshRecord(makeZax())), rvEncodeMeshFile(meshRecord(zax().c)));
    EXPECT_EQ(rvEncodeMeshFile(meshRecord(makeZaphod())), rvEncodeMeshFile(meshRecord(zaphod().c)));
}
