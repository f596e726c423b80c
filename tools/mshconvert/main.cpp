// mshconvert IN OUT.MSH [options]: a rigged, animated model in any format the Open Asset Import
// Library reads, as a mesh file the demo shows and animates, with its base-colour texture
// beside it (OUT.bmp, or OUT.tga when it has transparency).
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <assimp/scene.h>

#include "assets.h"
#include "convert.h"
#include "rvbonepalette.h"
#include "texture.h"

namespace {

const char* const kUsage =
    "usage: mshconvert IN OUT.MSH [options]\n"
    "       mshconvert IN --list\n"
    "  --fps N          key frames per second (default 15, the demo's rate)\n"
    "  --height H       height in the demo's units of the clip's tallest key frame (default\n"
    "                   40; of the bind pose for a model without a clip). The lowest point of\n"
    "                   all key frames is put on the floor, the figure centred on the origin.\n"
    "  --keep-units     keep the model's size (the axes and the origin still change)\n"
    "  --clip NAME|N    the clip to convert (default the first; --list shows them)\n"
    "  --force          write even when scaled or sheared bones cannot be held exactly\n"
    "  --list           print the model's clips, meshes and bones, and write nothing\n";

int usage(const char* problem) {
    std::fprintf(stderr, "mshconvert: %s\n%s", problem, kUsage);
    return 2;
}

bool number(const char* text, double* out) {
    char* end = nullptr;
    *out = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(*out) && *out > 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string in, out;
    mshconvert::Options options;
    bool list = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        const bool takesValue = arg == "--fps" || arg == "--height" || arg == "--clip";
        if (takesValue && i + 1 == argc)
            return usage((arg + " needs a value").c_str());
        if (arg == "--fps" || arg == "--height") {
            if (!number(argv[++i], arg == "--fps" ? &options.framesPerSecond : &options.height))
                return usage((arg + " needs a positive number").c_str());
        } else if (arg == "--clip") {
            options.clip = argv[++i];
        } else if (arg == "--keep-units") {
            options.keepUnits = true;
        } else if (arg == "--force") {
            options.force = true;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--list") {
            list = true;
        } else if (arg.rfind("--", 0) == 0) {
            return usage(("unknown option " + arg).c_str());
        } else if (in.empty()) {
            in = arg;
        } else if (out.empty()) {
            out = arg;
        } else {
            return usage("too many file names");
        }
    }
    if (in.empty() || (out.empty() && !list))
        return usage(in.empty() ? "no model named" : "no output file named");

    const auto start = std::chrono::steady_clock::now();
    std::fprintf(stderr, "reading %s\n", in.c_str());
    std::string error;
    mshconvert::Scene scene = mshconvert::importModel(in, &error);
    if (!scene) {
        std::fprintf(stderr, "mshconvert: %s\n", error.c_str());
        return 1;
    }
    if (list) {
        std::fputs(mshconvert::describe(*scene).c_str(), stdout);
        return 0;
    }

    rvMeshFile record;
    mshconvert::Report report;
    int shown = -1;
    auto progress = [&](unsigned done, unsigned total) {
        int percent = static_cast<int>(100.0 * done / total);
        if (total >= 50 && percent / 10 != shown / 10) {
            std::fprintf(stderr, "sampling the clip: %u of %u key frames\n", done, total);
            shown = percent;
        }
    };
    if (!mshconvert::convert(*scene, options, &record, &report, &error, nullptr, progress)) {
        std::fprintf(stderr, "mshconvert: %s: %s\n", in.c_str(), error.c_str());
        return 1;
    }
    if (!rvWriteMeshFile(out.c_str(), record, &error)) {
        std::fprintf(stderr, "mshconvert: %s\n", error.c_str());
        return 1;
    }

    // The texture goes beside the output under its base name.
    std::string textureLine;
    CImage image;
    std::string source;
    const std::string dir = std::filesystem::path(in).parent_path().string();
    if (mshconvert::baseColourTexture(*scene, dir.empty() ? "." : dir, &image, &source, &error)) {
        const bool alpha = image.getChannels() == 4;
        std::string file = std::filesystem::path(out).replace_extension(alpha ? ".tga" : ".bmp");
        if (!(alpha ? image.writeTGA(file.c_str()) : image.writeBMP(file.c_str()))) {
            std::fprintf(stderr, "mshconvert: %s: cannot be written\n", file.c_str());
            return 1;
        }
        textureLine = " Its texture (" + source + ", " + std::to_string(image.getWidth()) + " × " +
                      std::to_string(image.getHeight()) + ") is " + file + ".";
    } else {
        textureLine = " No texture was written (" + error + "); the demo shows it in grey.";
    }

    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: %u vertices and %u triangles from %u mesh(es), ", out.c_str(), report.vertices,
                report.triangles, report.meshes);
    if (report.staticMesh)
        std::printf("without a skeleton");
    else
        std::printf("%u bones, %u key frames at %g per second from clip \"%s\" (%.2f s)",
                    report.bones, report.frames, options.framesPerSecond, report.clipName.c_str(),
                    report.clipSeconds);
    if (report.staticMesh)
        std::printf("; %.4g units tall (%.4g per model unit), converted in %.2f s.", report.height,
                    report.scale, seconds);
    else
        std::printf("; %.4g units tall at its tallest key frame (%.4g per model unit), its lowest "
                    "point %.3g to %.3g units above the floor over the clip, converted in %.2f s.",
                    report.height, report.scale, report.lowestFeet, report.highestFeet, seconds);
    if (!report.staticMesh)
        std::printf(" Rotations and translations hold the motion to within %.3g units.",
                    report.rigidError);
    if (report.verticesLosingWeight)
        std::printf(" %u vertices had more than four influences; the largest weight dropped "
                    "was %.3g before the rest were renormalised.",
                    report.verticesLosingWeight, report.largestWeightLost);
    if (report.skippedFaces)
        std::printf(" %u points and lines were left out.", report.skippedFaces);
    if (report.bones > kEffectBones) {
        const std::size_t parts =
            rvSplitByBones(record.indices.data(), record.indices.size(), record.vertexCount,
                           record.boneIndices.data(), record.boneWeights.data(), kEffectBones)
                .size();
        std::printf(" It has more bones than the Direct3D effect's %d: that back end draws it in "
                    "%zu part(s) of at most %d bones.",
                    kEffectBones, parts, kEffectBones);
    }
    for (const std::string& note : report.notes)
        std::printf(" Note: %s.", note.c_str());
    std::printf("%s\n", textureLine.c_str());
    return 0;
}
