// zr47xcl-render-guide HTML PICTURES PDF: a build step, never installed. Renders the user guide,
// written as simple HTML whose pictures are the panels' screenshots in the folder PICTURES
// (made by zr47xcl-tool --screenshot), into a PDF of A4 pages.

#include <cstdio>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fputs("usage: zr47xcl-render-guide HTML PICTURES PDF\n", stderr);
        return 2;
    }
    QGuiApplication application(argc, argv);
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "zr47xcl-render-guide: cannot read %s\n", argv[1]);
        return 1;
    }
    QTextDocument guide;
    // Pictures are named by their file name in the screenshots' folder; each is given to the
    // document beforehand, since a document without a window does not load files itself.
    const QDir pictures(QString::fromLocal8Bit(argv[2]));
    for (const QString& name : pictures.entryList({"*.png"}, QDir::Files))
        guide.addResource(QTextDocument::ImageResource, QUrl(name),
                          QImage(pictures.filePath(name)));
    guide.setHtml(QString::fromUtf8(source.readAll()));

    QPdfWriter pdf(QString::fromLocal8Bit(argv[3]));
    pdf.setTitle("ZR-47xCL Control Tool: User Guide");
    pdf.setCreator("zr47xcl");
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter);
    pdf.setResolution(150);
    guide.print(&pdf);
    if (!QFile::exists(QString::fromLocal8Bit(argv[3]))) {
        std::fprintf(stderr, "zr47xcl-render-guide: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
