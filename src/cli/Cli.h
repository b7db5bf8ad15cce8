#pragma once
// The command table of landwright-cli and what every subcommand shares.

#include "core/Poxel.h"
#include "core/Result.h"
#include "textures/TextureBoxes.h"

#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace lw::cli {

enum ExitCode : int { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };

// Arguments of one subcommand after parsing: positional words, flags and options with values.
struct Args {
    std::vector<std::string> positional;
    std::set<std::string> flags;
    std::map<std::string, std::string> options;

    bool has(const std::string& flag) const { return flags.count(flag) != 0; }
};

struct Command {
    const char* name;
    const char* summary;                // one line for the tool's --help
    const char* usage;                  // the synopsis, e.g. "info MAP [--json]"
    const char* help;                   // the rest of the subcommand's --help
    std::set<std::string> flags;        // e.g. "--json"
    std::set<std::string> valueOptions; // e.g. "--node"
    size_t minPositional;
    size_t maxPositional;
    int (*run)(const Args& args);
};

// Every subcommand, in the order --help lists them.
const std::vector<Command>& commands();

// Prints "TEXT: detail" on stderr and returns ExitFailed.
int fail(const Error& error);
// Prints a usage error for `command` on stderr and returns ExitUsage.
int usageError(const Command& command, const std::string& message);

// Sorts the words after the subcommand into positional words, flags and options. An option's
// value is the next word ("--node 3") or follows an equals sign ("--node=3"); after "--" every
// word is positional. ExitOk, or ExitUsage after printing what is wrong.
int parseArguments(const Command& command, const std::vector<std::string>& words, Args& args);

// The tool's manual page in roff, from the texts of --help and the command table.
std::string manualPage(const char* version);
// The texts of the tool's own --help that the manual page shares.
extern const char* const kToolSummary;
extern const char* const kOptionSyntax;
extern const char* const kExitStatus;
const std::vector<std::pair<const char*, const char*>>& toolOptions();

// Writes text to stdout as it is.
void print(const std::string& text);
// The error of the first write of print() that failed, or 0.
int outputErrno();
// Writes a map through the editor's save path; what the save notes (a hard link split) goes
// to stderr.
Status saveMap(const TPoxel& root, const std::string& fileName);
// Reads a texture list; what the reading left out of the file goes to stderr.
Result<TextureBoxList> readTextureList(const std::string& fileName);
// The table entry of a subcommand.
const Command& commandNamed(const char* name);

// A verb of a subcommand with sub-verbs and the number of words after it.
struct Verb {
    const char* name;
    size_t words;
};
// Checks the first positional word against `verbs`: the verb's index, or -1 after printing a
// usage error (its status in `exitCode`).
int pickVerb(const Args& args, const char* command, std::initializer_list<Verb> verbs,
             int& exitCode);
// Reads the value of `option` as a finite number; `fallback` when it is absent.
Result<double> numberOption(const Args& args, const std::string& option, double fallback);

// A node addressed by its pre-order index (as `info` lists it: the root is 0, a node's
// entities come before its children), with its parent (nullptr for the root).
struct NodeRef {
    TPoxel* node = nullptr;
    TPoxel* parent = nullptr;
};
Result<NodeRef> nodeAtIndex(TPoxel& root, long index);
// Reads the value of `option` (e.g. "--node") as a whole number; `fallback` when it is absent.
// Text that is not a number is an error naming it.
Result<long> integerOption(const Args& args, const std::string& option, long fallback);

// The subcommands of the map document.
int runInfo(const Args& args);
int runCheck(const Args& args);
int runResave(const Args& args);
int runNew(const Args& args);
int runDemo(const Args& args);
int runMeshStats(const Args& args);
// Pictures of a map (RenderCommands.cpp).
int runRender(const Args& args);
int runThumbnail(const Args& args);

// Heightmap files, height pictures and voxel blocks (IoCommands.cpp).
int runHmp(const Args& args);
// "hmp from-map": the depth render of a node, in a context without a display.
int runHmpFromMap(const Args& args);
int runHeights(const Args& args);
int runVox(const Args& args);
// The texture subcommand; its first argument is the verb.
int runTextures(const Args& args);
// 3DS models: import, export, info (ModelCommands.cpp).
int run3ds(const Args& args);
// Find and replace.
int runReplace(const Args& args);

} // namespace lw::cli
