#include "cli/Cli.h"
#include "cli/MapInfo.h"

#include "core/MapGenerator.h"
#include "core/MapReader.h"
#include "core/MapWriter.h"
#include "render/MeshStats.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace lw::cli {

namespace {

void print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

} // namespace

Result<NodeRef> nodeAtIndex(TPoxel& root, long index) {
    struct Item {
        TPoxel* node;
        TPoxel* parent;
    };
    std::vector<Item> stack{{&root, nullptr}};
    long n = 0;
    while (!stack.empty()) {
        const Item it = stack.back();
        stack.pop_back();
        if (n++ == index)
            return NodeRef{it.node, it.parent};
        for (auto c = it.node->Children.rbegin(); c != it.node->Children.rend(); ++c)
            stack.push_back({c->get(), it.node});
        for (auto e = it.node->Entities.rbegin(); e != it.node->Entities.rend(); ++e)
            stack.push_back({e->get(), it.node});
    }
    return Error{"sNoSuchNode", "No such node",
                 "node " + std::to_string(index) + " does not exist; the map has " +
                     std::to_string(n) + " nodes (see info)"};
}

Result<long> integerOption(const Args& args, const std::string& option, long fallback) {
    auto it = args.options.find(option);
    if (it == args.options.end())
        return fallback;
    const std::string& text = it->second;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE)
        return Error{"sBadNumber", "Not a number", option + " '" + text + "'"};
    return value;
}

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
    if (auto st = WriteMapFile(**root, args.positional[1]); !st)
        return fail(st.error());
    return ExitOk;
}

int runNew(const Args& args) {
    auto root = newMapRoot();
    if (auto st = WriteMapFile(*root, args.positional[0]); !st)
        return fail(st.error());
    return ExitOk;
}

int runDemo(const Args& args) {
    auto root = makeDemoMap();
    if (auto st = WriteMapFile(*root, args.positional[0]); !st)
        return fail(st.error());
    print("wrote " + args.positional[0] + "\n");
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
