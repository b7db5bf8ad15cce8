#pragma once
// Every fuzz target by the name of its corpus folder (fuzz/corpus/NAME, program fuzz_NAME).

#include "HeightmapFuzz.h"
#include "ImageFuzz.h"
#include "LanguageFuzz.h"
#include "MapReaderFuzz.h"
#include "ModelFuzz.h"
#include "ReplaceFuzz.h"
#include "TextureListFuzz.h"
#include "ValueTableFuzz.h"
#include "VoxFuzz.h"

#include <array>

namespace lwfuzz {

struct Target {
    const char* name;
    Harness harness;
};

inline constexpr std::array<Target, 11> kTargets = {{
    {"map_reader", readMapBytes},
    {"model_3ds", read3dsModel},
    {"bundle_images", readBundleImages},
    {"tga_image", readTgaImage},
    {"texture_list", readTextureList},
    {"hmp_file", readHmpFile},
    {"picture", readPicture},
    {"vox_file", readVoxFile},
    {"lang_file", readLanguageFile},
    {"replace_query", runReplaceQuery},
    {"value_table", pasteValueTables},
}};

} // namespace lwfuzz
