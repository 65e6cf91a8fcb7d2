// Writes the program's picture at the sizes of the hicolor icon theme, for the desktop menu:
// icon-sizes SOURCE.png OUTDIR NAME SIZE... writes OUTDIR/SIZExSIZE/apps/NAME.png for each size.
// Exit code 1 when the source cannot be read or a picture cannot be written.

#include <QDir>
#include <QImage>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: icon-sizes SOURCE.png OUTDIR NAME SIZE...\n");
        return 1;
    }
    const QImage source(QString::fromLocal8Bit(argv[1]));
    if (source.isNull()) {
        std::fprintf(stderr, "icon-sizes: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString outDir = QString::fromLocal8Bit(argv[2]);
    const QString name = QString::fromLocal8Bit(argv[3]);
    for (int i = 4; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(outDir).arg(size);
        const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
        const QImage scaled =
            size == source.width()
                ? source
                : source.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (size <= 0 || !QDir().mkpath(folder) || !scaled.save(path, "PNG")) {
            std::fprintf(stderr, "icon-sizes: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
