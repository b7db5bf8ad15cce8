#pragma once
// One run of the replacer over a subtree: every node that satisfies the find query is changed by
// the replace query, one log line per change, and the nodes marked for deletion are removed after
// the walk. Headless: the editor's window supplies hooks for tree items and mesh rebuilds.

#include "core/Poxel.h"
#include "core/Result.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
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

struct ReplaceHooks {
    // Receives the new text of renamed nodes' items and the items of copied nodes.
    ItemSink* View = nullptr;
    // A node whose cells, texture coordinates, surfaces or content changed, or a node copied in;
    // the editor rebuilds its display lists (headless callers need nothing).
    std::function<void(TPoxel&)> MeshChanged;
    // Called just before a node is removed from its parent and destroyed; the editor deletes
    // its tree item here.
    std::function<void(TPoxel&)> Removing;
    // Each log line as it is written.
    std::function<void(const QString&)> Logged;
};

struct ReplaceReport {
    QStringList Log;
    // The reason the run stopped early. Changes made before it stay (the command-line tool
    // then writes nothing); the nodes marked for deletion are kept.
    Status Outcome = Ok{};
    int Removed = 0;
};

// Runs `find` and `replace` once over the subtree of `start`, which lies in the document `root`.
// Identity numbers name nodes of `root` or of settings.OtherRoots; nodes that the run itself
// creates are not visited.
ReplaceReport runReplacer(TPoxel& root, TPoxel& start, std::string_view find,
                          std::string_view replace, const ReplaceSettings& settings = {},
                          const ReplaceHooks& hooks = {});

// "[#%d] object [%s] is changed" (the language's text of [sChangeStr]) filled in. The pattern
// comes from a language file, so it is filled without printf: each directive takes the next
// argument (the number, then the name) whatever its letter, "%%" is a percent sign.
QString formatChangeLine(const QString& pattern, int number, const QString& name);

} // namespace lw
