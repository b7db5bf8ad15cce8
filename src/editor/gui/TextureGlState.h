#pragma once
// What "Load Textures" leaves in the main window: the texture objects in the view's context,
// the table of the loaded boxes and the box overview.

#include "render/TextureList.h"
#include "textures/gl/TextureUpload.h"

#include <QImage>

#include <string>
#include <vector>

namespace lw {

// What "Load Textures" left in the view's context.
struct TextureGlState {
    gl::TextureSet set;
    TTextureList table{};   // positions in nameList: the table of the loaded boxes
    TTextureList binding{}; // the same rows as texture objects: what the meshes bind
    std::vector<std::string> nameList;
    QImage overview;
    bool loaded = false;
    // The textures went with a context: load again when the next one comes.
    bool reloadWithContext = false;
    // A start-up load waits for the browser's folder or for the context.
    bool startUpLoad = false;
};

} // namespace lw
