#pragma once
// The `info` listing of a map: a readable tree, or JSON.

#include "core/Poxel.h"

#include <string>

namespace lw::cli {

// Kind word of a node: "root", "group", "poxel" or "entity".
const char* nodeKind(const TPoxel& node);

// One line per node in pre-order (entities before children), with its index for --node.
std::string mapInfoText(const TPoxel& root);
// {"root": NODE}, floats with 9 significant digits, non-finite values as strings.
std::string mapInfoJson(const TPoxel& root);

} // namespace lw::cli
