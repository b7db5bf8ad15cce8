#include "cli/Cli.h"
#include "core/AtomicFile.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>

#ifndef LW_VERSION
#define LW_VERSION "0.0.0"
#endif

namespace lw::cli {

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"info",
         "print the node tree of a map",
         "info MAP [--json]",
         "Prints one line per node in pre-order (a node's entities before its children) with\n"
         "the index that --node options use. With --json the whole tree is written as\n"
         "{\"root\": NODE}.\n",
         {"--json"},
         {},
         1,
         1,
         &runInfo},
        {"check",
         "validate a map",
         "check MAP",
         "Reads and decodes the map without changing anything; exit status 1 and one line on\n"
         "stderr when it is refused.\n",
         {},
         {},
         1,
         1,
         &runCheck},
        {"resave",
         "read a map and write it again",
         "resave IN OUT",
         "Reads IN and writes it to OUT through the editor's save path.\n",
         {},
         {},
         2,
         2,
         &runResave},
        {"new",
         "write an empty map",
         "new OUT",
         "Writes the empty map that \"New map\" makes: a root and nothing else.\n",
         {},
         {},
         1,
         1,
         &runNew},
        {"demo",
         "write the demo map",
         "demo OUT",
         "Writes a generated map that shows what the format holds: terrain of several sizes\n"
         "with heights, level offsets, textures and corner flags, smoothing, nested groups,\n"
         "entities and identical copies. Beside it (for OUT = DIR/NAME.xom) go the textures\n"
         "it is painted with, images the program draws itself: the bundle folder\n"
         "DIR/NAME-bundles and the texture list DIR/NAME-textures.txt.\n",
         {},
         {},
         1,
         1,
         &runDemo},
        {"mesh-stats",
         "count the triangles and edges of every poxel",
         "mesh-stats MAP [--json]",
         "Builds the geometry of every poxel (without textures, as opening a map does) and\n"
         "prints, per poxel in pre-order, its triangle and edge-segment counts and its box, then\n"
         "the totals. With --json: {\"poxels\": [...], \"triangles\": N, \"edges\": N}.\n",
         {"--json"},
         {},
         1,
         1,
         &runMeshStats},
        {"hmp",
         "build terrain from a heightmap file",
         "hmp terrain IN.hmp MAP|new OUT | hmp from-map MAP OUT.hmp [--node N]",
         "hmp terrain IN.hmp MAP|new OUT\n"
         "  Reads the heights of IN.hmp (its first 40,000 bytes), appends the group \"HMapDummy\"\n"
         "  with sixteen 25x3x25 tiles and sixteen clip poxels to MAP (or to an empty map when\n"
         "  MAP is \"new\") and writes OUT.\n"
         "hmp from-map MAP OUT.hmp [--node N]\n"
         "  Draws node N (the root by default) with its subtree from straight above over\n"
         "  150 x 150 units, as the editor's \"Make Hmap\" does, and writes its depth as the\n"
         "  heights of OUT.hmp (black mask); \".hmp\" is added unless the name holds it.\n",
         {},
         {"--node"},
         3,
         4,
         &runHmp},
        {"heights",
         "set a poxel's heights from a picture, or save them as one",
         "heights import|export ...",
         "heights import MAP OUT --node N --image PIC --min A --max B [--contrast K] [--invert]\n"
         "  Loads PIC (BMP or JPEG) as grey, brings it to the poxel's (NX+1) x (NZ+1) grid,\n"
         "  inverts it and changes its contrast (K in -100..100, default 0 = unchanged), sets\n"
         "  every height to A + (B - A) * grey / 255 and writes the map to OUT.\n"
         "heights export MAP --node N OUT.bmp\n"
         "  Saves the 335x335 grey picture of the poxel's heights (lowest black, highest\n"
         "  white; a flat poxel is all black); \".bmp\" is added unless the name holds it.\n",
         {"--invert"},
         {"--node", "--image", "--min", "--max", "--contrast"},
         3,
         3,
         &runHeights},
        {"vox",
         "write or read a poxel's cells as a .vox block",
         "vox export|import ...",
         "vox export MAP --node N OUT.vox\n"
         "  Writes the first texture code of every cell of poxel N.\n"
         "vox import MAP --node N IN.vox OUT\n"
         "  Sets the first texture code of every cell from IN.vox (whose sizes must be the\n"
         "  poxel's) and writes the map to OUT.\n",
         {},
         {"--node"},
         3,
         4,
         &runVox},
        {"3ds",
         "import a 3DS model as poxels, export poxels as a 3DS model, list a model",
         "3ds import|export|info ...",
         "3ds import MODEL.3ds OUT [--into MAP] [--size-x N] [--size-z N] [--max-layers N]\n"
         "           [--no-layers-smooth] [--quality Q] [--height-map] [--voxdiv]\n"
         "           [--top-smooth] [--side-smooth]\n"
         "  Voxelises every connected piece of every mesh into a poxel, under a group named\n"
         "  after the file, added to the root of MAP (a new map without --into); writes OUT.\n"
         "  Defaults: size 2 x 2, 10 layers, layers smooth on, quality 0.05 (1 with --voxdiv).\n"
         "3ds export MAP OUT.3ds [--node N] [--textures --texture-list LIST.txt --bundles DIR]\n"
         "  Writes the whole map, or node N and its subtree, as a 3DS model; with --textures\n"
         "  the textures are saved as TGA files beside it.\n"
         "3ds info MODEL.3ds [--json]\n"
         "  Lists the meshes: vertices after merging, faces and connected pieces.\n",
         {"--json", "--no-layers-smooth", "--height-map", "--voxdiv", "--top-smooth",
          "--side-smooth", "--textures"},
         {"--into", "--size-x", "--size-z", "--max-layers", "--quality", "--node", "--texture-list",
          "--bundles"},
         2,
         3,
         &run3ds},
        {"textures",
         "texture images and texture lists",
         "textures VERB ARGS... [--json]",
         "textures list FOLDER [--json]\n"
         "  Lists the images of a bundle, theme or TGA folder: name, width, height, bits, levels.\n"
         "textures extract FOLDER NAME OUT.tga\n"
         "  Writes the image NAME as an uncompressed TGA file.\n"
         "textures check-list LIST.txt FOLDER\n"
         "  Reads a texture list, prints its table and the texture names no image of FOLDER\n"
         "  carries.\n"
         "textures roundtrip-list IN.txt OUT.txt\n"
         "  Reads a texture list and writes it again.\n",
         {"--json"},
         {},
         1,
         4,
         &runTextures},
        {"replace",
         "find nodes by a query and change them",
         "replace IN OUT --find QUERY --replace QUERY [--node N] [--seed S] | replace --syntax",
         "Runs one find and replace over the subtree of node N (the root by default), prints a\n"
         "line per change and writes the result to OUT. Identity numbers in the replace query are\n"
         "the \"id\" values that info shows. --seed fixes the random values of [v]. A run that is\n"
         "refused writes nothing. --syntax prints the query language's help.\n",
         {"--syntax"},
         {"--find", "--replace", "--node", "--seed"},
         0,
         2,
         &runReplace},
        {"render",
         "draw a map into a PNG picture without a display",
         "render MAP -o OUT.png [--size WxH] [--yaw DEG] [--pitch DEG] [--distance D] "
         "[--no-grid] [--wireframe] [--texture-list LIST.txt --bundles DIR]",
         "Draws the map with the editor's scene code in an off-screen context and writes the\n"
         "picture as PNG. The camera looks at the whole map unless --distance is given; --yaw and\n"
         "--pitch turn it (degrees, default 136 and -20). --size defaults to 800x600. The grid is\n"
         "drawn unless --no-grid; --wireframe adds the black edge overlay. With --texture-list\n"
         "and --bundles the map is drawn textured with the boxes of LIST.txt and the images of\n"
         "DIR (a folder of texture bundles, themes or TGA files), as \"Load Textures\" does.\n",
         {"--no-grid", "--wireframe"},
         {"-o", "--size", "--yaw", "--pitch", "--distance", "--texture-list", "--bundles"},
         1,
         1,
         &runRender},
        {"thumbnail",
         "draw a square thumbnail of a map for file managers",
         "thumbnail MAP OUT.png [--size N] [--coarse]",
         "Draws the whole map as render does, from the same angle, framed to fill an N x N\n"
         "picture (N from 1 to 8192, default 256), without the grid, the names and the edges,\n"
         "and writes it as PNG. File managers call it through the installed thumbnailer entry.\n"
         "Maps of more than 200,000 cells or 2,000 poxels are drawn coarser, their cells as\n"
         "plain boxes, so that any map takes little memory and time; --coarse draws every map\n"
         "that way.\n",
         {"--coarse"},
         {"--size"},
         2,
         2,
         &runThumbnail},
    };
    return table;
}

const char* const kToolSummary = "batch work on Landwright maps";

const std::vector<std::pair<const char*, const char*>>& toolOptions() {
    static const std::vector<std::pair<const char*, const char*>> options = {
        {"--help", "this text; SUBCOMMAND --help describes one"},
        {"--version", "the tool's version"},
    };
    return options;
}

const char* const kOptionSyntax =
    "A value follows its option as the next word or after an equals sign (--node 3,\n"
    "--node=3). After -- every word is an argument, even one that starts with a hyphen.\n";

const char* const kExitStatus =
    "0 success, 1 the input was refused or the operation failed, 2 usage error.\n";

int fail(const Error& error) {
    std::fprintf(stderr, "%s\n", error.message().c_str());
    return ExitFailed;
}

int usageError(const Command& command, const std::string& message) {
    std::fprintf(stderr, "landwright-cli %s: %s\nusage: landwright-cli %s\n", command.name,
                 message.c_str(), command.usage);
    return ExitUsage;
}

namespace {

void printToolHelp(std::FILE* to) {
    std::fprintf(to, "usage: landwright-cli SUBCOMMAND [ARGS...]\n\n");
    std::string summary = kToolSummary;
    summary[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(summary[0])));
    std::fprintf(to, "%s.\n\nSubcommands:\n", summary.c_str());
    for (const Command& c : commands())
        std::fprintf(to, "  %-34s %s\n", c.usage, c.summary);
    std::fprintf(to, "\nOptions:\n");
    for (const auto& [name, text] : toolOptions())
        std::fprintf(to, "  %-10s %s\n", name, text);
    std::fprintf(to, "\n%s\nExit status: %s", kOptionSyntax, kExitStatus);
}

int runCommand(const Command& c, int argc, char** argv) {
    const std::vector<std::string> words(argv, argv + argc);
    for (const std::string& word : words) {
        if (word == "--")
            break;
        if (word == "--help" || word == "-h") {
            std::printf("usage: landwright-cli %s\n\n%s", c.usage, c.help);
            return ExitOk;
        }
    }
    Args args;
    if (const int parsed = parseArguments(c, words, args); parsed != ExitOk)
        return parsed;
    if (args.positional.size() < c.minPositional)
        return usageError(c, "missing arguments");
    if (args.positional.size() > c.maxPositional)
        return usageError(c, "too many arguments");
    try {
        return c.run(args);
    } catch (const std::bad_alloc&) {
        // A file may describe more than this machine can hold; that is a refusal, not a crash.
        return fail(Error{"sOutOfMemory", "Not enough memory",
                          std::string("landwright-cli ") + c.name +
                              " needed more memory than the system gave"});
    }
}

// What went to stdout must have arrived (a full disk, a closed pipe): otherwise the output is
// cut off and the exit status says so.
int checkedExit(int status) {
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return status;
    const int err = errno != 0 ? errno : outputErrno();
    std::fprintf(stderr, "landwright-cli: cannot write the output: %s\n",
                 err != 0 ? std::strerror(err) : "write error");
    return status == ExitOk ? ExitFailed : status;
}

int run(int argc, char** argv) {
    if (argc < 2) {
        printToolHelp(stderr);
        return ExitUsage;
    }
    const std::string first = argv[1];
    if (first == "--help" || first == "-h" || first == "help") {
        printToolHelp(stdout);
        return ExitOk;
    }
    if (first == "--version") {
        std::printf("landwright-cli %s\n", LW_VERSION);
        return ExitOk;
    }
    // The manual page is written from the same texts; the build installs it.
    if (first == "--manpage") {
        print(manualPage(LW_VERSION));
        return ExitOk;
    }
    for (const Command& c : commands())
        if (first == c.name)
            return runCommand(c, argc - 2, argv + 2);
    std::fprintf(stderr, "landwright-cli: unknown subcommand '%s' (see landwright-cli --help)\n",
                 first.c_str());
    return ExitUsage;
}

} // namespace

} // namespace lw::cli

int main(int argc, char** argv) {
    using namespace lw::cli;
    lw::installSaveSignalHandlers();
    return checkedExit(run(argc, argv));
}
