// 3DS models from the command line: import by voxelisation, export, listing.

#include "cli/Cli.h"

#include "core/JsonText.h"
#include "core/MapGenerator.h"
#include "core/MapReader.h"
#include "core/MapWriter.h"
#include "io/Apoxelate.h"
#include "io/Export3ds.h"
#include "io/Model3ds.h"
#include "textures/TextureTable.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>

namespace lw::cli {

namespace {

// One status line on a terminal, rewritten in place; nothing when stderr is redirected.
ImportFeedback terminalFeedback() {
    ImportFeedback feedback;
    if (!isatty(STDERR_FILENO))
        return feedback;
    auto line = std::make_shared<std::string>();
    feedback.OnStage = [line](const std::string& full, const std::string& poxel) {
        *line = full + (poxel.empty() ? "" : " - " + poxel);
        std::fprintf(stderr, "\r\033[K%s", line->c_str());
    };
    return feedback;
}

void endTerminalLine() {
    if (isatty(STDERR_FILENO))
        std::fprintf(stderr, "\r\033[K");
}

Result<ApoxelOptions> importOptions(const Args& args) {
    ApoxelOptions o;
    auto sizeX = integerOption(args, "--size-x", o.SizeX);
    auto sizeZ = integerOption(args, "--size-z", o.SizeZ);
    auto layers = integerOption(args, "--max-layers", o.MaxLayers);
    for (auto* value : {&sizeX, &sizeZ, &layers})
        if (!*value)
            return value->error();
    auto quality = numberOption(args, "--quality", o.Quality);
    if (!quality)
        return quality.error();
    // Out-of-range values are refused by the check below, not wrapped into range.
    auto narrow = [](long v) { return static_cast<int32_t>(std::clamp(v, -1L, 1000L)); };
    o.SizeX = narrow(*sizeX);
    o.SizeZ = narrow(*sizeZ);
    o.MaxLayers = narrow(*layers);
    o.Quality = *quality;
    o.LayersSmooth = !args.has("--no-layers-smooth");
    o.HeightMap = args.has("--height-map");
    o.VoxDiv = args.has("--voxdiv");
    o.TopSmooth = args.has("--top-smooth");
    o.SideSmooth = args.has("--side-smooth");
    // Ticking VoxDiv in the dialog sets the quality to 1 unless it is chosen afterwards.
    if (o.VoxDiv && !args.options.count("--quality"))
        o.Quality = 1.0;
    if (auto st = checkApoxelOptions(o); !st)
        return st.error();
    return o;
}

int runImport(const Args& args) {
    auto options = importOptions(args);
    if (!options)
        return fail(options.error());
    const std::string& model = args.positional[1];
    const std::string& out = args.positional[2];
    std::unique_ptr<TPoxel> root;
    if (auto into = args.options.find("--into"); into != args.options.end()) {
        auto read = readMapFile(into->second);
        if (!read)
            return fail(read.error());
        root = std::move(*read);
    } else {
        root = newMapRoot();
    }
    auto import = importModel3ds(model, *options, terminalFeedback());
    endTerminalLine();
    if (!import)
        return fail(import.error());
    const size_t poxels = import->Group->Children.size();
    const std::string groupName = import->Group->Name;
    AddChildPoxel(*root, std::move(import->Group));
    if (auto st = saveMap(*root, out); !st)
        return fail(st.error());
    for (const std::string& note : import->Notes)
        std::printf("skipped %s\n", note.c_str());
    std::printf("imported %zu poxels into group '%s'\nwrote %s\n", poxels, groupName.c_str(),
                out.c_str());
    return ExitOk;
}

int runInfo3ds(const Args& args) {
    const std::string& model = args.positional[1];
    Read3dsStats stats;
    auto objects = Read3ds(model, {}, &stats);
    if (!objects)
        return fail(objects.error());
    size_t pieces = 0;
    for (const auto& m : stats.Meshes)
        pieces += m.Pieces;
    std::string text;
    if (args.has("--json")) {
        text = "{\"file\": " + jsonString(model) + ", \"meshes\": [";
        for (size_t i = 0; i < stats.Meshes.size(); ++i) {
            const auto& m = stats.Meshes[i];
            text += (i ? ", " : "") + std::string("{\"name\": ") + jsonString(m.Name) +
                    ", \"fileVertices\": " + std::to_string(m.FileVertices) +
                    ", \"vertices\": " + std::to_string(m.Vertices) +
                    ", \"faces\": " + std::to_string(m.Faces) +
                    ", \"pieces\": " + std::to_string(m.Pieces) + "}";
        }
        text += "], \"pieces\": " + std::to_string(pieces) + "}\n";
    } else {
        for (const auto& m : stats.Meshes)
            text += latin1ToUtf8(m.Name) + ": " + std::to_string(m.Vertices) + " vertices (" +
                    std::to_string(m.FileVertices) + " in the file), " + std::to_string(m.Faces) +
                    " faces, " + std::to_string(m.Pieces) + " pieces\n";
        text += std::to_string(stats.Meshes.size()) + " meshes, " + std::to_string(pieces) +
                " pieces\n";
    }
    print(text);
    return ExitOk;
}

int runExport(const Args& args) {
    const bool withTextures = args.has("--textures");
    const bool hasList = args.options.count("--texture-list") != 0;
    const bool hasBundles = args.options.count("--bundles") != 0;
    if (withTextures != hasList || withTextures != hasBundles)
        return usageError(commandNamed("3ds"), "--textures goes with --texture-list and --bundles");
    auto read = readMapFile(args.positional[1]);
    if (!read)
        return fail(read.error());
    TPoxel& root = **read;
    const TPoxel* chosen = &root;
    if (args.options.count("--node")) {
        auto index = integerOption(args, "--node", -1);
        if (!index)
            return fail(index.error());
        auto ref = nodeAtIndex(root, *index);
        if (!ref)
            return fail(ref.error());
        chosen = ref->node;
    }
    ImageList images;
    std::vector<std::string> names;
    TTextureList table{};
    ExportTextures textures{&table, &names, &images};
    if (withTextures) {
        auto list = readTextureList(args.options.at("--texture-list"));
        if (!list)
            return fail(list.error());
        const std::string& folder = args.options.at("--bundles");
        FolderImages loaded = loadImageFolder(folder, detectFolderLayout(folder));
        if (loaded.error)
            return fail(*loaded.error);
        images = std::move(loaded.images);
        names = buildTextureNameList(*list);
        if (auto st = fillTextureTable(*list, names, table); !st)
            return fail(st.error());
    }
    const std::string& out = args.positional[2];
    if (auto st = Export3ds(chosen, out, withTextures ? &textures : nullptr, terminalFeedback());
        !st) {
        endTerminalLine();
        return fail(st.error());
    }
    endTerminalLine();
    std::printf("wrote %s\n", out.c_str());
    return ExitOk;
}

} // namespace

int run3ds(const Args& args) {
    int code = ExitOk;
    const int verb = pickVerb(args, "3ds", {{"import", 2}, {"export", 2}, {"info", 1}}, code);
    if (verb < 0)
        return code;
    switch (verb) {
    case 0:
        return runImport(args);
    case 1:
        return runExport(args);
    default:
        return runInfo3ds(args);
    }
}

} // namespace lw::cli
