// Renders the program's icon, as the program itself draws it, into an icon
// theme tree: DIR/<n>x<n>/apps/NAME.png for every size given and, when built
// with Qt SVG, DIR/scalable/apps/NAME.svg. It paints into images, not
// pixmaps, so it needs no display or platform plugin at build time.

#include "app/ProgramIcon.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QString>

#ifdef VOLTORA_ICON_SVG
#include <QSvgGenerator>
#endif

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void PrintUsage(std::FILE* out)
{
    std::fputs("Usage: render-program-icon DIR NAME SIZE...\n"
               "Writes DIR/<SIZE>x<SIZE>/apps/NAME.png for each SIZE (1 to 1024)"
#ifdef VOLTORA_ICON_SVG
               "\nand DIR/scalable/apps/NAME.svg"
#endif
               ".\n",
               out);
}

bool ParseSize(const char* text, int& size)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 1 || value > 1024) {
        return false;
    }
    size = static_cast<int>(value);
    return true;
}

bool MakeFolder(const QString& path)
{
    if (QDir().mkpath(path)) {
        return true;
    }
    std::fprintf(stderr, "render-program-icon: cannot create %s\n", qPrintable(path));
    return false;
}

bool WritePng(const QString& dir, const QString& name, int size)
{
    const QString folder = QStringLiteral("%1/%2x%2/apps").arg(dir).arg(size);
    if (!MakeFolder(folder)) {
        return false;
    }
    const QString file = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        voltora::app::PaintProgramIcon(painter, size);
    }
    if (!image.save(file, "PNG")) {
        std::fprintf(stderr, "render-program-icon: cannot write %s\n", qPrintable(file));
        return false;
    }
    return true;
}

#ifdef VOLTORA_ICON_SVG
bool WriteSvg(const QString& dir, const QString& name)
{
    // Drawn on a 128-unit square: the drawing's 1/32 grid lands on whole units.
    constexpr int kSide = 128;
    const QString folder = dir + QStringLiteral("/scalable/apps");
    if (!MakeFolder(folder)) {
        return false;
    }
    const QString file = folder + QLatin1Char('/') + name + QStringLiteral(".svg");
    QSvgGenerator generator;
    generator.setFileName(file);
    generator.setSize(QSize(kSide, kSide));
    generator.setViewBox(QRect(0, 0, kSide, kSide));
    generator.setTitle(QStringLiteral("Voltora"));
    generator.setDescription(QStringLiteral("Voltora program icon"));
    QPainter painter;
    if (!painter.begin(&generator)) {
        std::fprintf(stderr, "render-program-icon: cannot write %s\n", qPrintable(file));
        return false;
    }
    voltora::app::PaintProgramIcon(painter, kSide);
    return painter.end();
}
#endif

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        PrintUsage(stderr);
        return 2;
    }
    std::vector<int> sizes;
    for (int i = 3; i < argc; ++i) {
        int size = 0;
        if (!ParseSize(argv[i], size)) {
            std::fprintf(stderr, "render-program-icon: bad size %s\n", argv[i]);
            PrintUsage(stderr);
            return 2;
        }
        sizes.push_back(size);
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (const int size : sizes) {
        if (!WritePng(dir, name, size)) {
            return 1;
        }
    }
#ifdef VOLTORA_ICON_SVG
    if (!WriteSvg(dir, name)) {
        return 1;
    }
#endif
    return 0;
}
