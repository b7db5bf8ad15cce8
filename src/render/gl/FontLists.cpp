#include "render/gl/FontLists.h"

#include <GL/gl.h>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <cstring>
#include <vector>

namespace lw::gl {

void buildFontLists(int base, const QFont& font) {
    const QFontMetrics metrics(font);
    const int height = metrics.height();
    const int descent = metrics.descent();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int code = 0; code < 256; ++code) {
        const QChar ch = QChar::fromLatin1(static_cast<char>(code));
        const int advance = code < 32 ? 0 : metrics.horizontalAdvance(ch);
        const int width = advance > 0 ? advance : 1;
        QImage glyph(width, height, QImage::Format_Grayscale8);
        glyph.fill(0);
        if (advance > 0) {
            QPainter painter(&glyph);
            painter.setFont(font);
            painter.setPen(Qt::white);
            painter.drawText(0, metrics.ascent(), QString(ch));
        }
        // glBitmap rows run bottom up, one bit per pixel, most significant bit first.
        const int rowBytes = (width + 7) / 8;
        std::vector<GLubyte> bits(static_cast<size_t>(rowBytes * height), 0);
        for (int y = 0; y < height; ++y) {
            const uchar* line = glyph.constScanLine(height - 1 - y);
            for (int x = 0; x < width; ++x)
                if (line[x] > 100)
                    bits[static_cast<size_t>(y * rowBytes + x / 8)] |=
                        static_cast<GLubyte>(0x80 >> (x % 8));
        }
        glNewList(static_cast<GLuint>(base + code), GL_COMPILE);
        glBitmap(width, height, 0, static_cast<GLfloat>(descent), static_cast<GLfloat>(advance), 0,
                 bits.data());
        glEndList();
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

void drawLabel(int base, const char* text) {
    if (base <= 0)
        return;
    glListBase(static_cast<GLuint>(base));
    glCallLists(static_cast<GLsizei>(std::strlen(text)), GL_UNSIGNED_BYTE, text);
    glListBase(0);
}

} // namespace lw::gl
