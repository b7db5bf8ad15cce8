// Heightmap files, height pictures and voxel blocks from the command line.

#include "cli/Cli.h"

#include "core/MapGenerator.h"
#include "core/MapReader.h"
#include "core/MapWriter.h"
#include "io/HeightPicture.h"
#include "io/HeightmapFile.h"
#include "io/PictureFile.h"
#include "io/VoxFile.h"

#include <QLoggingCategory>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace lw::cli {

namespace {

// The poxel that --node names; groups, the root and entities have no cells to work on.
Result<TPoxel*> poxelOption(const Args& args, TPoxel& root) {
    auto index = integerOption(args, "--node", -1);
    if (!index)
        return index.error();
    auto ref = nodeAtIndex(root, *index);
    if (!ref)
        return ref.error();
    TPoxel* node = ref->node;
    if (node->IsGroup || node->IsRoot || node->IsEntity)
        return Error{"sNotAPoxel", "Not a poxel",
                     "node " + std::to_string(*index) + " '" + node->Name +
                         "' is a group or an entity"};
    return node;
}

int needNode(const Args& args, const char* command) {
    return args.options.count("--node") ? ExitOk
                                        : usageError(commandNamed(command), "--node is required");
}

// The map named by a verb's first argument and the poxel --node names in it.
struct PoxelJob {
    std::unique_ptr<TPoxel> root;
    TPoxel* poxel = nullptr;
};

int loadPoxelJob(const Args& args, const char* command, PoxelJob& job) {
    if (const int code = needNode(args, command); code != ExitOk)
        return code;
    auto root = readMapFile(args.positional[1]);
    if (!root)
        return fail(root.error());
    auto node = poxelOption(args, **root);
    if (!node)
        return fail(node.error());
    job.root = std::move(*root);
    job.poxel = *node;
    return ExitOk;
}

int writeMap(const TPoxel& root, const std::string& fileName) {
    if (auto st = saveMap(root, fileName); !st)
        return fail(st.error());
    std::printf("wrote %s\n", fileName.c_str());
    return ExitOk;
}

} // namespace

int runHmp(const Args& args) {
    int code = ExitOk;
    const int verb = pickVerb(args, "hmp", {{"terrain", 3}, {"from-map", 2}}, code);
    if (verb < 0)
        return code;
    if (verb == 1)
        return runHmpFromMap(args);
    const std::string& in = args.positional[1];
    const std::string& mapName = args.positional[2];
    std::unique_ptr<TPoxel> root;
    if (mapName == "new") {
        root = newMapRoot();
    } else {
        auto read = readMapFile(mapName);
        if (!read)
            return fail(read.error());
        root = std::move(*read);
    }
    auto group = importHeightmapTerrain(*root, in);
    if (!group)
        return fail(group.error());
    return writeMap(*root, args.positional[3]);
}

int runHeights(const Args& args) {
    int code = ExitOk;
    const int verb = pickVerb(args, "heights", {{"import", 2}, {"export", 2}}, code);
    if (verb < 0)
        return code;
    PoxelJob job;
    if ((code = loadPoxelJob(args, "heights", job)) != ExitOk)
        return code;
    TPoxel& poxel = *job.poxel;
    HeightPictureSession session(poxel.NX + 1, poxel.NZ + 1);

    if (verb == 1) {
        const GridRange range = session.prepareFromGrid(poxel.Heights);
        auto written = session.saveImage(args.positional[2]);
        if (!written)
            return fail(written.error());
        std::printf("wrote %s (min %g, max %g)\n", written->c_str(), double(range.min),
                    double(range.max));
        return ExitOk;
    }

    for (const char* required : {"--image", "--min", "--max"})
        if (!args.options.count(required))
            return usageError(commandNamed("heights"),
                              std::string(required) + " is required for import");
    auto minVal = numberOption(args, "--min", 0.0);
    auto maxVal = numberOption(args, "--max", 0.0);
    auto contrast = numberOption(args, "--contrast", 0.0);
    for (const auto* n : {&minVal, &maxVal, &contrast})
        if (!*n)
            return fail(n->error());
    if (*contrast < -100.0 || *contrast > 100.0)
        return fail(Error{"sBadNumber", "Out of range", "--contrast must be within -100..100"});
    // The image decoders warn on stderr as they go; the tool reports one line of its own.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false"));
    auto picture = loadPicture(args.options.at("--image"));
    if (!picture)
        return fail(picture.error());
    if (auto st = session.openPicture(*picture, *contrast, args.has("--invert")); !st)
        return fail(st.error());
    session.applyToGrid(poxel.Heights, *minVal, *maxVal);
    return writeMap(*job.root, args.positional[2]);
}

int runVox(const Args& args) {
    int code = ExitOk;
    const int verb = pickVerb(args, "vox", {{"export", 2}, {"import", 3}}, code);
    if (verb < 0)
        return code;
    PoxelJob job;
    if ((code = loadPoxelJob(args, "vox", job)) != ExitOk)
        return code;
    if (verb == 0) {
        if (auto st = writeVoxFile(*job.poxel, args.positional[2]); !st)
            return fail(st.error());
        std::printf("wrote %s\n", args.positional[2].c_str());
        return ExitOk;
    }
    if (auto st = readVoxFile(*job.poxel, args.positional[2]); !st)
        return fail(st.error());
    return writeMap(*job.root, args.positional[3]);
}

} // namespace lw::cli
