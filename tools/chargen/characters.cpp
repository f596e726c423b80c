#include "characters.h"

#include "assets.h"
#include "motion.h"

namespace chargen {

namespace {

Rgb rgb(int r, int g, int b) {
    return {r / 255.0, g / 255.0, b / 255.0};
}

Character finish(Character c) {
    for (const TubeDesc& d : c.body.parts)
        c.parts.emplace_back(d);
    c.mesh = buildBodyMesh(c.parts);
    return c;
}

// zax's build, shared with mico.
Proportions zaxProportions() {
    Proportions p;
    p.soleY = 0.0;
    p.hipHalfWidth = 2.9;
    p.ankleHeight = 2.2;
    p.shinLength = 5.6;
    p.thighLength = 5.6;
    p.pelvisAboveHips = 0.9; // pelvis joint at 14.3
    p.heelBack = 2.3;
    p.ballForward = 4.2;
    p.toeLength = 2.3;
    p.footHalfWidth = 1.9;
    p.spine = {2.6, 6.0};
    p.neckAbovePelvis = 11.2;
    p.headAboveNeck = 1.3;
    p.headHeight = 9.4;
    p.shoulderAbovePelvis = 10.0;
    p.clavicleInner = 1.0;
    p.shoulderHalfWidth = 6.2;
    p.upperArm = 5.4;
    p.forearm = 4.8;
    p.hand = 3.0;
    p.armSpread = 0.3;
    p.noseLength = 1.4;
    p.noseRadius = 1.3;
    p.noseHeight = 0.31;
    p.earLength = 2.6;
    p.earRadius = 1.9;
    p.torsoBottomY = 11.6;
    p.torsoTopY = 25.8;
    p.torsoShape = {{11.6, 3.8, 3.0},       {13.4, 5.6, 3.9},      {15.5, 6.0, 4.2, 0.2},
                    {18.0, 6.1, 4.4, 0.4},  {20.5, 6.3, 4.1, 0.2}, {23.0, 6.8, 3.8},
                    {24.6, 6.3, 3.3, -0.2}, {25.8, 3.0, 2.5, -0.3}};
    p.neckBottomY = 23.5;
    p.headShape = {{23.5, 2.4, 2.3},        {25.5, 2.5, 2.4},      {26.8, 2.9, 2.9, 0.2},
                   {28.0, 4.4, 4.3, 0.5},   {30.0, 5.0, 4.9, 0.4}, {33.0, 5.3, 5.2, 0.2},
                   {35.0, 5.1, 5.05, 0.05}, {36.2, 4.9, 4.9}};
    p.armShape = {
        {0, 1.9, 1.9}, {0.2, 1.8, 1.8}, {0.5, 1.45, 1.45}, {0.7, 1.45, 1.4}, {1, 1.1, 1.0}};
    p.handShape = {
        {0, 0.8, 1.0}, {0.25, 0.8, 1.3}, {0.55, 0.75, 1.5}, {0.8, 0.7, 1.4}, {1, 0.6, 1.1}};
    p.legShape = {{0, 2.7, 2.8},    {0.25, 2.6, 2.7}, {0.48, 2.0, 2.1},
                  {0.62, 2.2, 2.3}, {0.9, 1.6, 1.7},  {1, 1.4, 1.5}};
    p.footShape = {{0, 1.6, 1.3},    {0.2, 1.8, 2.0},  {0.35, 1.9, 1.9},
                   {0.55, 2.0, 1.3}, {0.75, 2.0, 1.0}, {1.0, 1.6, 0.75}};
    p.around = 22;
    p.limbAround = 16;
    p.torsoRings = 28;
    p.headRings = 28;
    p.limbRings = 28;
    return p;
}

// zax's clothes and face, shared with mico.
Look zaxLook() {
    Look k;
    k.skin = rgb(226, 178, 138);
    k.shirt = rgb(196, 186, 120);
    k.trousers = rgb(58, 92, 150);
    k.belt = rgb(96, 60, 32);
    k.buckle = rgb(214, 180, 70);
    k.boots = rgb(104, 66, 38);
    k.soles = rgb(40, 32, 28);
    k.hair = rgb(120, 40, 36);
    k.iris = rgb(70, 130, 60);
    k.lips = rgb(170, 80, 70);
    k.accent = rgb(200, 60, 40); // the knit cap
    k.trouserTopY = 15.0;
    k.beltY0 = 14.9;
    k.beltY1 = 16.2;
    k.collarY = 24.6;
    k.bootTopY = 6.0;
    k.sleeveEnd = 0.8;
    k.overalls = true;
    k.capY = 35.6;
    k.eyeY = 32.0;
    k.eyeSpread = 0.36;
    k.eyeRadius = 1.15;
    k.browY = 33.9;
    k.mouthY = 27.75;
    k.mouthWidth = 0.55;
    k.seed = 7;
    return k;
}

// Short legs take short steps: the knees must not fold further than the skin can follow.
WalkParams zaxWalk() {
    WalkParams walk;
    walk.stride = 2.6;
    walk.lift = 1.2;
    walk.heelRaise = 0.22;
    walk.toeUp = 0.12;
    walk.bob = 0.3;
    walk.sway = 0.45;
    return walk;
}

} // namespace

Character makeZax() {
    const Proportions p = zaxProportions();
    Character c;
    c.name = "zax";
    c.meshFile = kFirstModelFile;
    c.textureFile = kFirstModelTexture;
    c.textureChannels = 3;
    c.soleY = p.soleY;
    c.body = buildHumanoid(p);
    c.poses = walkCycle(c.body.skeleton, zaxWalk(), 32);
    c.look = zaxLook();
    return finish(c);
}

Character makeMico() {
    Proportions p = zaxProportions();
    p.earLength = 0.0; // the tail takes the ears' atlas cell
    p.fingers = 5;
    p.fingerJoints = 3;
    p.fingerLength = 2.4;
    p.fingerRadius = 0.32;
    p.hand = 2.2;
    p.tailJoints = 20;
    p.tailLength = 22.0;
    p.tailRadius = 1.3;
    p.tailRootBack = 3.4;
    Character c;
    c.name = "mico";
    c.meshFile = "meshes/mico.MSH";
    c.textureFile = "textures/mico.bmp";
    c.textureChannels = 3;
    c.soleY = p.soleY;
    c.body = buildHumanoid(p);
    c.poses = walkCycle(c.body.skeleton, zaxWalk(), 32);
    curlFingersAndWagTail(c.body.skeleton, &c.poses);
    c.look = zaxLook();
    c.look.hair = rgb(150, 96, 50); // the tail's fur
    c.look.accent = rgb(60, 140, 90);
    c.look.seed = 13;
    return finish(c);
}

Character makeZaphod() {
    Proportions p;
    p.soleY = -16.7;
    p.hipHalfWidth = 1.5;
    p.ankleHeight = 1.5;
    p.shinLength = 7.4;
    p.thighLength = 7.0;
    p.pelvisAboveHips = 0.8; // pelvis joint at the origin
    p.heelBack = 1.4;
    p.ballForward = 3.2;
    p.toeLength = 1.6;
    p.footHalfWidth = 1.0;
    p.spine = {2.2, 4.8, 7.4};
    p.neckAbovePelvis = 9.4;
    p.headAboveNeck = 1.3;
    p.headHeight = 3.7;
    p.shoulderAbovePelvis = 8.5;
    p.clavicleInner = 0.6;
    p.shoulderHalfWidth = 3.0;
    p.upperArm = 6.2;
    p.forearm = 5.8;
    p.hand = 2.8;
    p.armSpread = 0.16;
    p.noseLength = 1.6;
    p.noseRadius = 0.42;
    p.noseHeight = 0.42;
    p.hairLength = 2.0;
    p.hairRadius = 1.1;
    p.torsoBottomY = -1.8;
    p.torsoTopY = 9.7;
    p.torsoShape = {{-1.8, 1.6, 1.3},     {-0.5, 2.5, 1.7}, {1.5, 2.4, 1.6},       {4.0, 2.1, 1.5},
                    {6.2, 2.6, 1.7, 0.1}, {8.1, 3.0, 1.6},  {9.1, 2.6, 1.3, -0.1}, {9.7, 1.0, 0.9}};
    p.torsoSquareness = 2.2;
    p.neckBottomY = 8.2;
    p.headShape = {{8.2, 0.75, 0.75},      {9.7, 0.7, 0.7},       {10.7, 0.8, 0.85, 0.1},
                   {11.4, 1.6, 1.8, 0.3},  {12.6, 1.9, 2.1, 0.2}, {13.8, 2.0, 2.1},
                   {14.4, 1.9, 2.0, -0.05}};
    p.armShape = {
        {0, 0.85, 0.85}, {0.25, 0.75, 0.75}, {0.5, 0.55, 0.55}, {0.7, 0.6, 0.6}, {1, 0.42, 0.42}};
    p.handShape = {
        {0, 0.35, 0.45}, {0.3, 0.33, 0.6}, {0.6, 0.3, 0.68}, {0.85, 0.28, 0.6}, {1, 0.25, 0.45}};
    p.legShape = {{0, 1.25, 1.25},  {0.2, 1.05, 1.1}, {0.46, 0.65, 0.7},
                  {0.6, 0.75, 0.8}, {0.9, 0.45, 0.5}, {1, 0.42, 0.45}};
    p.footShape = {{0, 0.6, 0.6},   {0.2, 0.75, 1.05}, {0.4, 0.85, 0.9},
                   {0.6, 0.9, 0.6}, {0.8, 0.85, 0.45}, {1, 0.6, 0.35}};
    p.around = 20;
    p.limbAround = 14;
    p.torsoRings = 32;
    p.headRings = 24;
    p.limbRings = 34;

    Character c;
    c.name = "zaphod";
    c.meshFile = kSecondModelFile;
    c.textureFile = kSecondModelTexture;
    c.textureChannels = 4;
    c.soleY = p.soleY;
    c.body = buildHumanoid(p);

    WaveParams wave;
    c.poses = waveIdle(c.body.skeleton, wave, 36);

    Look& k = c.look;
    k.skin = rgb(236, 200, 172);
    k.shirt = rgb(186, 30, 34);
    k.trousers = rgb(40, 40, 48);
    k.belt = rgb(24, 24, 24);
    k.buckle = rgb(190, 190, 200);
    k.boots = rgb(70, 70, 76);
    k.soles = rgb(25, 25, 25);
    k.hair = rgb(236, 196, 60);
    k.iris = rgb(60, 100, 180);
    k.lips = rgb(180, 90, 90);
    k.accent = rgb(240, 230, 220); // buttons
    k.trouserTopY = 0.2;
    k.beltY0 = 0.0;
    k.beltY1 = 0.8;
    k.collarY = 8.9;
    k.bootTopY = -14.2;
    k.sleeveEnd = 0.42;
    k.buttons = true;
    k.hairlineY = 14.3;
    k.eyeY = 13.25;
    k.eyeSpread = 0.42;
    k.eyeRadius = 0.36;
    k.browY = 13.8;
    k.mouthY = 11.5;
    k.mouthWidth = 0.5;
    k.seed = 11;
    return finish(c);
}

rvMeshFile meshRecord(const Character& c) {
    rvMeshFile r;
    const BodyMesh& m = c.mesh;
    for (const V3& p : m.positions)
        r.positions.insert(r.positions.end(), {float(p.x), float(p.y), float(p.z)});
    for (const V3& n : m.normals)
        r.normals.insert(r.normals.end(), {float(n.x), float(n.y), float(n.z)});
    for (double uv : m.texCoords)
        r.texCoords.push_back(float(uv));
    for (double t : m.tangents)
        r.tangents.push_back(float(t));
    r.indices = m.indices;
    r.vertexCount = static_cast<std::uint32_t>(m.vertexCount());
    r.indexCount = static_cast<std::uint32_t>(m.indices.size());
    for (std::uint8_t w : m.boneWeights)
        r.boneWeights.push_back(w / 255.0f);
    r.boneIndices = m.boneIndices;

    const Skeleton& s = c.body.skeleton;
    r.frameCount = static_cast<std::uint32_t>(c.poses.size());
    r.boneCount = static_cast<std::uint32_t>(s.size());
    std::vector<std::vector<Rigid>> frames;
    for (const Pose& pose : c.poses)
        frames.push_back(skinTransforms(s, pose));
    r.boneKeys.resize(r.boneCount * r.frameCount);
    for (int b = 0; b < s.size(); ++b) {
        Quat previous;
        for (size_t f = 0; f < frames.size(); ++f) {
            Quat q = frames[f][b].rotation;
            // q and -q are the same rotation; keeping neighbours on the same side makes the
            // keys read smoothly (the engine's slerp takes the short way either way).
            if (previous.w * q.w + previous.x * q.x + previous.y * q.y + previous.z * q.z < 0.0)
                q = {-q.w, -q.x, -q.y, -q.z};
            previous = q;
            const V3& t = frames[f][b].translation;
            rvBoneKey& key = r.boneKeys[b * r.frameCount + f];
            key.rotation = rvQuaternion(float(q.w), float(q.x), float(q.y), float(q.z));
            key.translation = rvVector3(float(t.x), float(t.y), float(t.z));
        }
    }
    return r;
}

} // namespace chargen
