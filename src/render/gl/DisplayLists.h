#pragma once
// The GPU meshes of the nodes. Every poxel gets a mesh handle of its own (TPoxel::GlLists)
// under which its vertex buffers are kept (PoxelLists.h). Buffers are only good in the context
// that made them: a node remembers the context generation of its handle, and a handle of an
// earlier context counts as absent.

#include "core/Poxel.h"

#include <cstdint>

namespace lw::gl {

// Makes core release a node's GPU mesh when it is destroyed. Meshes of nodes destroyed while no
// context is current are queued and released by the next releasePendingLists.
void installDisplayListReleaseHook();

// The node's mesh handle in the current context, obtained on first need.
uint32_t nodeLists(TPoxel& node);
// True when the node's mesh was uploaded in the current context.
bool hasLists(const TPoxel& node);

// Releases the meshes queued while no context was current. Needs the current context.
void releasePendingLists();

// The context is gone or about to go, and every buffer with it: handles held by nodes become
// stale and the queue is dropped. The next context starts afresh.
void forgetContextLists();

// Generation of the handles given out now; changes with every forgetContextLists.
uint32_t listGeneration();

} // namespace lw::gl
