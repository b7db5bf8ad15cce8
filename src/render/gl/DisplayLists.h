#pragma once
// Display-list names of the nodes. Every node gets three consecutive lists of its own from
// glGenLists (mesh, edges, pick triangles), so no two nodes ever share a list, however large
// the map. Names are only good in the context that made them: a node remembers the context
// generation of its names, and lists of an earlier context count as absent.

#include "core/Poxel.h"

#include <cstdint>

namespace lw::gl {

// Offsets of the edge and pick lists from a node's GlLists.
constexpr uint32_t kEdgeListOffset = 1;
constexpr uint32_t kPickListOffset = 2;

// Makes core release a node's lists when it is destroyed. Lists of nodes destroyed while no
// context is current are queued and deleted by the next releasePendingLists.
void installDisplayListReleaseHook();

// The first of the node's three list names in the current context, obtained on first need.
uint32_t nodeLists(TPoxel& node);
// True when the node's lists were compiled in the current context.
bool hasLists(const TPoxel& node);

// Deletes the lists queued while no context was current. Needs the current context.
void releasePendingLists();

// The context is gone or about to go, and every list with it: names held by nodes become
// stale, the slab lists are forgotten and the queue is dropped. The next context starts afresh.
void forgetContextLists();

// Generation of the list names handed out now; changes with every forgetContextLists.
uint32_t listGeneration();

} // namespace lw::gl
