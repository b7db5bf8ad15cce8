#include "cli/Cli.h"
#include "cli/MapInfo.h"

#include "core/MapGenerator.h"
#include "core/MapReader.h"
#include "core/MapWriter.h"
#include "render/MeshStats.h"
#include "textures/DemoTextures.h"

#include <cstdio>

namespace lw::cli {

int runInfo(const Args& args) {
    auto root = readMapFile(args.positional[0]);
    if (!root)
        return fail(root.error());
    print(args.has("--json") ? mapInfoJson(**root) : mapInfoText(**root));
    return ExitOk;
}

int runCheck(const Args& args) {
    auto root = readMapFile(args.positional[0]);
    if (!root)
        return fail(root.error());
    int64_t cells = 0, nodes = 0;
    CountPoxels(**root, cells, nodes);
    print("ok: " + args.positional[0] + ": " + std::to_string(nodes) + " land nodes, " +
          std::to_string(cells) + " cells\n");
    return ExitOk;
}

int runResave(const Args& args) {
    auto root = readMapFile(args.positional[0]);
    if (!root)
        return fail(root.error());
    if (auto st = saveMap(**root, args.positional[1]); !st)
        return fail(st.error());
    return ExitOk;
}

int runNew(const Args& args) {
    auto root = newMapRoot();
    if (auto st = saveMap(*root, args.positional[0]); !st)
        return fail(st.error());
    return ExitOk;
}

int runDemo(const Args& args) {
    auto root = makeDemoMap();
    if (auto st = saveMap(*root, args.positional[0]); !st)
        return fail(st.error());
    const DemoTextureFiles textures = demoTextureFilesBeside(args.positional[0]);
    if (auto st = writeDemoTextures(textures); !st)
        return fail(st.error());
    print("wrote " + args.positional[0] + "\nwrote " + textures.listFile + "\nwrote " +
          textures.bundleFolder + "\n");
    return ExitOk;
}

} // namespace lw::cli

namespace lw::cli {

int runMeshStats(const Args& args) {
    auto root = readMapFile(args.positional[0]);
    if (!root)
        return fail(root.error());
    print(meshStatsText(**root, args.has("--json")));
    return ExitOk;
}

} // namespace lw::cli
