// Build tool: renders an SVG drawing into square PNG pictures of the given sides, so every
// installed icon size comes from the one drawing.
//   lw_svg2png IN.svg SIDE OUT.png [SIDE OUT.png ...]

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 4 || argc % 2 != 0) {
        std::fprintf(stderr, "usage: lw_svg2png IN.svg SIDE OUT.png [SIDE OUT.png ...]\n");
        return 2;
    }
    // The drawings hold no text, so painting them needs no application and no fonts.
    QSvgRenderer drawing(QString::fromLocal8Bit(argv[1]));
    if (!drawing.isValid()) {
        std::fprintf(stderr, "lw_svg2png: cannot read the drawing %s\n", argv[1]);
        return 1;
    }
    for (int i = 2; i + 1 < argc; i += 2) {
        const int side = std::atoi(argv[i]);
        if (side < 1 || side > 4096) {
            std::fprintf(stderr, "lw_svg2png: bad side %s\n", argv[i]);
            return 2;
        }
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            drawing.render(&painter);
        }
        if (!image.save(QString::fromLocal8Bit(argv[i + 1]), "PNG")) {
            std::fprintf(stderr, "lw_svg2png: cannot write %s\n", argv[i + 1]);
            return 1;
        }
    }
    return 0;
}
