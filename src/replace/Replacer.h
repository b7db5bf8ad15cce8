#pragma once
// One run of the replacer over a subtree: every node that satisfies the find query is changed by
// the replace query, one log line per change, and the nodes marked for deletion are removed after
// the walk. Headless; the walk keeps a journal of what it did, from which the editor records the
// run as one step of its history (replace/DocumentReplace.h) and takes back a refused run.

#include "core/Poxel.h"
#include "core/Result.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace lw {

struct ReplaceSettings {
    // Fixes the random source of bracketed values ("[2]"); otherwise each run draws anew.
    std::optional<uint32_t> Seed;
    // Accepted in numbers besides '.' (the editor passes its locale's separator).
    char DecimalPoint = '.';
    // Other open documents whose nodes "TextCoord", "Surface", "Color" and "Poxel" may name.
    std::vector<const TPoxel*> OtherRoots;
};

struct ReplaceReport {
    QStringList Log;
    // The reason the run stopped early. Changes made before it stay in the tree the walk ran
    // on (the command-line tool then writes nothing, the editor takes them back); the nodes
    // marked for deletion are kept.
    Status Outcome = Ok{};
    int Removed = 0;
};

// What the walk did to the tree, in the order it did it: enough to take it back exactly or to
// hand it to the editor's history.
struct ReplaceJournal {
    struct Changed {
        TPoxel* Node;
        PoxelContent Before; // the node's own fields before the run
    };
    struct Copied {
        TPoxel* Parent;
        TPoxel* Node; // appended to the list of its kind in Parent ("Poxel" with a number)
    };
    struct Marked {
        TPoxel* Parent;
        TPoxel* Node; // still in the tree: the walk only marks it
    };
    // Nodes that were in the tree before the run and whose own fields it changed, each once.
    std::vector<Changed> Changes;
    std::vector<Copied> Copies;
    std::vector<Marked> Deletions;
};

// The walk alone over the subtree of `start`, which lies in the document `root`: matching nodes
// are changed in place and copies appended, all of it journaled; nodes marked for deletion stay
// in the tree and are listed. Identity numbers name nodes of `root` or of settings.OtherRoots;
// nodes that the run itself creates are not visited.
ReplaceReport walkReplacer(TPoxel& root, TPoxel& start, std::string_view find,
                           std::string_view replace, const ReplaceSettings& settings,
                           ReplaceJournal& journal);

// Puts the tree back as it was before the walk that filled `journal`: the copies leave their
// parents (returned in the order they were appended) and every changed node gets its fields
// back, while each entry's Before takes the fields the walk gave it. Nothing is destroyed.
std::vector<std::unique_ptr<TPoxel>> takeBackWalk(ReplaceJournal& journal);

// A whole run on a tree that nothing else shows (the command-line tool, tests): the walk, then,
// when it went through, the removal of the marked nodes.
ReplaceReport runReplacer(TPoxel& root, TPoxel& start, std::string_view find,
                          std::string_view replace, const ReplaceSettings& settings = {});

// "[#%d] object [%s] is changed" (the language's text of [sChangeStr]) filled in. The pattern
// comes from a language file, so it is filled without printf: each directive takes the next
// argument (the number, then the name) whatever its letter, "%%" is a percent sign.
QString formatChangeLine(const QString& pattern, int number, const QString& name);

} // namespace lw
