#pragma once
// The demo's textures: six tileable images the program draws itself (grass, rock, sand, snow,
// water, brick), a folder of texture bundles holding them and a texture list for the boxes the
// demo map paints.

#include "core/Result.h"
#include "textures/TextureBoxes.h"
#include "textures/TextureBundle.h"

#include <string>
#include <vector>

namespace lw {

constexpr int kDemoTextureSide = 128;

// The six images, in the order above; "Demo\<name>.tga" as stored, "<name>" in the browser.
// Water is 32 bits with alpha, the others 24 bits.
std::vector<BundleImageSource> demoTextureImages();

// The boxes of the demo map (box 1 to 8), naming the demo images. The ground is box 1 with
// box 2 blended over it by its corner flags: sand with grass over most of it.
TextureBoxList demoTextureList();

// Where the demo puts its textures beside a map file "DIR/NAME.xom": the bundle folder
// "DIR/NAME-bundles" and the list "DIR/NAME-textures.txt".
struct DemoTextureFiles {
    std::string bundleFolder;
    std::string listFile;
};
DemoTextureFiles demoTextureFilesBeside(const std::string& mapFile);

// Writes the bundle folder in the layout of the game's bundle folder (the images in
// Bundle07.xom, every other bundle the layout names present and empty) and the list.
Status writeDemoTextures(const DemoTextureFiles& files);

} // namespace lw
