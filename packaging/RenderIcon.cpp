// Renders the program's icon at the sizes of the desktop's icon theme, at build time.
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

// vemora_render_icon ICON.svg PREFIX SIZE...: writes PREFIX-SIZE.png for each size.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4) {
        std::fputs("usage : vemora_render_icon ICON.svg PREFIXE TAILLE...\n", stderr);
        return 2;
    }
    QSvgRenderer renderer(args.at(1));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "vemora_render_icon : image illisible : %s\n", qPrintable(args.at(1)));
        return 1;
    }
    for (qsizetype i = 3; i < args.size(); ++i) {
        bool ok = false;
        const int size = args.at(i).toInt(&ok);
        if (!ok || size <= 0 || size > 1024) {
            std::fprintf(stderr, "vemora_render_icon : taille invalide : %s\n",
                         qPrintable(args.at(i)));
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        renderer.render(&painter, QRectF(0, 0, size, size));
        painter.end();
        const QString file = u"%1-%2.png"_s.arg(args.at(2)).arg(size);
        if (!image.save(file, "PNG")) {
            std::fprintf(stderr, "vemora_render_icon : impossible d'écrire %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
