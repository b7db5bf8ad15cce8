// `render`: a picture of a map drawn by the editor's scene code in a context without a display.

#include "cli/Cli.h"

#include "core/AtomicFile.h"
#include "core/MapReader.h"
#include "render/SceneBounds.h"
#include "render/SceneState.h"
#include "render/gl/DisplayLists.h"
#include "render/gl/FontLists.h"
#include "render/gl/HeadlessContext.h"
#include "render/gl/PoxelLists.h"
#include "render/gl/SceneDrawer.h"
#include "textures/ImageFolder.h"
#include "textures/TextureListDocument.h"
#include "textures/gl/TextureUpload.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>

namespace lw::cli {

namespace {

constexpr int kMaxRenderSide = 8192;

Result<float> floatOption(const Args& args, const std::string& name, float fallback) {
    const auto it = args.options.find(name);
    if (it == args.options.end())
        return fallback;
    const std::string& text = it->second;
    float value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return Error{"", "Bad value", name + " needs a number, got \"" + text + "\""};
    return value;
}

Result<std::pair<int, int>> sizeOption(const Args& args) {
    const auto it = args.options.find("--size");
    if (it == args.options.end())
        return std::pair{800, 600};
    const std::string& text = it->second;
    const auto x = text.find_first_of("xX");
    int w = 0;
    int h = 0;
    bool ok = x != std::string::npos;
    if (ok) {
        const auto r1 = std::from_chars(text.data(), text.data() + x, w);
        const auto r2 = std::from_chars(text.data() + x + 1, text.data() + text.size(), h);
        ok = r1.ec == std::errc() && r1.ptr == text.data() + x && r2.ec == std::errc() &&
             r2.ptr == text.data() + text.size();
    }
    if (!ok || w < 1 || h < 1 || w > kMaxRenderSide || h > kMaxRenderSide)
        return Error{"", "Bad value",
                     "--size needs WxH with sides from 1 to " + std::to_string(kMaxRenderSide) +
                         ", got \"" + text + "\""};
    return std::pair{w, h};
}

// Fonts for the labels need a GUI application; a platform without a screen is enough. It lives
// only as long as the command.
std::unique_ptr<QGuiApplication> makeGuiApplication() {
    if (QGuiApplication::instance())
        return nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "landwright-cli";
    static char* argv[] = {name, nullptr};
    // Start-up chatter of the platform (runtime folder and the like) is no business of ours.
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    auto app = std::make_unique<QGuiApplication>(argc, argv);
    qInstallMessageHandler(previous);
    return app;
}

} // namespace

int runRender(const Args& args) {
    const auto out = args.options.find("-o");
    if (out == args.options.end() || out->second.empty())
        return usageError(
            *std::find_if(commands().begin(), commands().end(),
                          [](const Command& c) { return std::string(c.name) == "render"; }),
            "the picture's file name is missing (-o OUT.png)");
    const auto sized = sizeOption(args);
    if (!sized)
        return fail(sized.error());
    const auto [width, height] = sized.value();
    const auto yaw = floatOption(args, "--yaw", TCamera{}.CamYaw);
    const auto pitch = floatOption(args, "--pitch", TCamera{}.CamPitch);
    const auto distance = floatOption(args, "--distance", 0.0f);
    for (const auto* r : {&yaw, &pitch, &distance})
        if (!*r)
            return fail(r->error());
    const bool textured = args.options.count("--texture-list") != 0;
    if (textured != (args.options.count("--bundles") != 0))
        return usageError(commandNamed("render"), "--texture-list goes with --bundles");

    auto map = readMapFile(args.positional[0]);
    if (!map)
        return fail(map.error());
    // Everything is read and checked before the context exists.
    TextureBoxList boxes;
    ImageList images;
    if (textured) {
        auto list = readTextureListFile(args.options.at("--texture-list"));
        if (!list)
            return fail(list.error());
        boxes = std::move(*list);
        const std::string& folder = args.options.at("--bundles");
        FolderImages loaded = loadImageFolder(folder, detectFolderLayout(folder));
        if (loaded.error)
            return fail(*loaded.error);
        images = std::move(loaded.images);
    }
    auto context = gl::HeadlessContext::create(width, height);
    if (!context)
        return fail(context.error());
    const auto app = makeGuiApplication();
    gl::installDisplayListReleaseHook();

    SceneState state;
    gl::SetupGLState(state);
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(11);
    gl::buildFontLists(gl::kFontListBase, font);
    gl::BuildFixedLists(gl::kFontListBase);
    state.FontBase = gl::kFontListBase;
    TPoxel& root = *map.value();
    gl::TextureSet textures;
    TTextureList binding{};
    if (textured) {
        auto uploaded = gl::UploadTextureList(boxes, images, TTextureList{});
        if (!uploaded) {
            map.value().reset();
            gl::forgetContextLists();
            return fail(uploaded.error());
        }
        textures = std::move(uploaded->Textures);
        binding = textures.bindingTable(uploaded->Table);
        state.Textures = &binding;
        state.ShowTextures = true;
    }
    gl::BuildPoxelTree(root, state.Textures);
    state.EditRoot = state.ShownRoot = &root;
    state.ShowGrid = !args.has("--no-grid");
    state.Wireframe = args.has("--wireframe");
    state.Camera.Width = width;
    state.Camera.Height = height;
    state.Camera.CamYaw = yaw.value();
    state.Camera.CamPitch = pitch.value();
    if (const auto bounds = worldBounds(root))
        focusCameraOnBounds(state.Camera, *bounds);
    if (distance.value() > 0)
        state.Camera.CamDistance = distance.value();

    gl::RenderFrame(state, false);
    const auto pixels = context.value()->readPixels();
    QImage image(pixels.data(), width, height, QImage::Format_RGBA8888);
    // The framebuffer's rows run bottom up; pictures run top down. The alpha channel is dropped.
    const QImage picture = image.mirrored().convertToFormat(QImage::Format_RGB888);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG"))
        return fail(Error{"", "Cannot encode the picture", out->second});
    const Status written =
        writeFileAtomically(out->second, std::vector<uint8_t>(png.begin(), png.end()));
    // The nodes release their lists while the context is still current.
    map.value().reset();
    textures.release();
    gl::forgetContextLists();
    if (!written)
        return fail(written.error());
    std::printf("%s\n", out->second.c_str());
    return ExitOk;
}

} // namespace lw::cli
