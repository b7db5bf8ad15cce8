#include "cli/Cli.h"
#include "core/JsonText.h"

#include "textures/ImageFolder.h"
#include "textures/ImageRecord.h"
#include "textures/TextureBoxes.h"
#include "textures/TextureTable.h"

#include <cstdio>

namespace lw::cli {

namespace {

int verbUsage(const std::string& message) {
    return usageError(commandNamed("textures"), message);
}

Result<ImageList> loadFolder(const std::string& folder) {
    const FolderLayout layout = detectFolderLayout(folder);
    FolderImages loaded = loadImageFolder(folder, layout);
    if (loaded.error)
        return *loaded.error;
    return std::move(loaded.images);
}

int listImages(const Args& args) {
    const std::string& folder = args.positional[1];
    const FolderLayout layout = detectFolderLayout(folder);
    FolderImages loaded = loadImageFolder(folder, layout);
    const bool json = args.has("--json");
    std::string out =
        json ? "{\"layout\": " + jsonString(layoutName(layout)) + ", \"images\": [" : std::string();
    for (size_t i = 0; i < loaded.images.size(); ++i) {
        const NamedImage& image = loaded.images[i];
        auto l = imageLayout(image.record);
        if (json) {
            out += (i ? ",\n  {" : "\n  {") + std::string("\"name\": ") + jsonString(image.name);
            if (l)
                out += ", \"width\": " + std::to_string(l->width) +
                       ", \"height\": " + std::to_string(l->height) +
                       ", \"bits\": " + std::to_string(l->bits) +
                       ", \"levels\": " + std::to_string(l->levels) + "}";
            else
                out += ", \"error\": " + jsonString(l.error().detail) + "}";
        } else {
            out += image.name + "\t";
            out += l ? std::to_string(l->width) + "\t" + std::to_string(l->height) + "\t" +
                           std::to_string(l->bits) + "\t" + std::to_string(l->levels)
                     : "cannot be shown: " + l.error().detail;
            out += "\n";
        }
    }
    if (json)
        out += loaded.images.empty() ? "]}\n" : "\n]}\n";
    print(out);
    // The images read before a bad bundle are listed; the status still says it failed.
    return loaded.error ? fail(*loaded.error) : ExitOk;
}

int extractImage(const Args& args) {
    auto images = loadFolder(args.positional[1]);
    if (!images)
        return fail(images.error());
    if (auto st = SaveImageAsTga(*images, args.positional[2], args.positional[3]); !st)
        return fail(st.error());
    return ExitOk;
}

int checkList(const Args& args) {
    auto list = readTextureList(args.positional[1]);
    if (!list)
        return fail(list.error());
    auto images = loadFolder(args.positional[2]);
    if (!images)
        return fail(images.error());
    const std::vector<std::string> names = buildTextureNameList(*list);
    TTextureList table{};
    if (auto st = fillTextureTable(*list, names, table); !st)
        return fail(st.error());

    std::string out = std::to_string(list->Boxes.size()) + " boxes, " +
                      std::to_string(names.size()) + " textures\n";
    for (size_t i = 0; i < list->Boxes.size(); ++i) {
        out += boxCaption(int(i + 1), list->Boxes[i].Name) + "\t";
        for (uint32_t v : table[i])
            out += " " + std::to_string(v);
        out += "\n";
    }
    size_t missing = 0;
    std::string firstMissing;
    for (const std::string& name : names) {
        if (FindImage(*images, name))
            continue;
        if (missing++ == 0)
            firstMissing = name;
        out += "missing: " + name + "\n";
    }
    print(out);
    if (missing)
        return fail(Error{
            "sTextureNotFound", "Texture not found",
            "'" + firstMissing + "'" +
                (missing > 1 ? " and " + std::to_string(missing - 1) + " more" : std::string())});
    return ExitOk;
}

int roundtripList(const Args& args) {
    auto list = readTextureList(args.positional[1]);
    if (!list)
        return fail(list.error());
    if (auto st = WriteTextureList(args.positional[2], *list); !st)
        return fail(st.error());
    return ExitOk;
}

} // namespace

int runTextures(const Args& args) {
    int code = ExitOk;
    const int verb =
        pickVerb(args, "textures",
                 {{"list", 1}, {"extract", 3}, {"check-list", 2}, {"roundtrip-list", 2}}, code);
    if (verb < 0)
        return code;
    if (verb != 0 && args.has("--json"))
        return verbUsage("--json goes with list only");
    switch (verb) {
    case 0:
        return listImages(args);
    case 1:
        return extractImage(args);
    case 2:
        return checkList(args);
    default:
        return roundtripList(args);
    }
}

} // namespace lw::cli
