// zr47xcl-render-icon SVG PNG SIZE: a build step, never installed. Renders the program's SVG
// icon into a square PNG of SIZE pixels for the icon theme's fixed-size folders.

#include <cstdio>
#include <cstdlib>

#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fputs("usage: zr47xcl-render-icon SVG PNG SIZE\n", stderr);
        return 2;
    }
    const int size = std::atoi(argv[3]);
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid() || size <= 0 || size > 1024) {
        std::fprintf(stderr, "zr47xcl-render-icon: cannot render %s at %s pixels\n", argv[1],
                     argv[3]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "zr47xcl-render-icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
