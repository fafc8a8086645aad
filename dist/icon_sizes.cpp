// Build-time tool: makes the hicolor theme's smaller application icons from the one drawn
// image, so the tree keeps a single source picture.
//
// Usage: quadron_icon_sizes SOURCE.png OUTPUT_DIR NAME SIZE...
// Writes OUTPUT_DIR/<SIZE>x<SIZE>/apps/NAME.png for every SIZE.

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QStringList>
#include <QTextStream>

namespace {

int fail(const QString& message)
{
    QTextStream(stderr) << "quadron_icon_sizes: " << message << Qt::endl;
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    const QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 5)
        return fail(QStringLiteral("usage: quadron_icon_sizes SOURCE OUTPUT_DIR NAME SIZE..."));

    QImage source(args.at(1));
    if (source.isNull())
        return fail(QStringLiteral("cannot read %1").arg(args.at(1)));
    // Premultiplied alpha keeps transparent pixels from bleeding dark fringes into the edges
    // while the image is averaged down.
    source = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);

    const QDir output(args.at(2));
    const QString name = args.at(3);
    for (qsizetype i = 4; i < args.size(); ++i) {
        bool ok = false;
        const int size = args.at(i).toInt(&ok);
        if (!ok || size <= 0 || size > source.width() || size > source.height())
            return fail(QStringLiteral("bad size %1").arg(args.at(i)));
        const QString dir = QStringLiteral("%1x%1/apps").arg(size);
        if (!output.mkpath(dir))
            return fail(QStringLiteral("cannot create %1").arg(output.filePath(dir)));
        const QImage scaled =
            source.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                .convertToFormat(QImage::Format_ARGB32);
        const QString file = output.filePath(dir + QLatin1Char('/') + name + QLatin1String(".png"));
        if (!scaled.save(file, "PNG"))
            return fail(QStringLiteral("cannot write %1").arg(file));
    }
    return 0;
}
