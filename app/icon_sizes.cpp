// Writes the application icon in the sizes of the freedesktop hicolor theme:
//   tessarin_icon_sizes SOURCE.png OUT_DIR SIZE...   ->   OUT_DIR/<N>x<N>/apps/tessarin.png
#include <QDir>
#include <QImage>
#include <QString>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s SOURCE.png OUT_DIR SIZE...\n", argv[0]);
        return 2;
    }
    const QImage source(QString::fromLocal8Bit(argv[1]));
    if (source.isNull()) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    for (int i = 3; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || size <= 0 || size > source.width()) {
            std::fprintf(stderr, "%s: bad size %s\n", argv[0], argv[i]);
            return 2;
        }
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[2])).arg(size);
        const QImage scaled = source.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (!QDir().mkpath(folder) || !scaled.save(folder + QStringLiteral("/tessarin.png"), "PNG")) {
            std::fprintf(stderr, "%s: cannot write the %dx%d icon\n", argv[0], size, size);
            return 1;
        }
    }
    return 0;
}
