// Renders the application's artwork from the SVG sources in resources/art.
//
//   render_artwork <resources-dir> [<svg-dir>]
//
// Every image is drawn with antialiasing onto a transparent canvas at its final
// pixel size. The pedal pictures are drawn at twice the size the live monitor
// fits them into, so they stay sharp on high-density screens. The window icon is
// written as a multi-size .ico: a simplified drawing for 16 and 32 px and the
// full drawing for 48 and 256 px.
//
// The sources keep to a small part of SVG that the Qt SVG module draws
// faithfully. That module silently drops what it does not support (filters,
// masks, clip paths, ...), so each file is first checked against a list of
// allowed elements and attributes, and any warning from the parser counts as
// an error.

#include <QBuffer>
#include <QByteArray>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>
#include <QVector>
#include <QXmlStreamReader>

#include <cmath>
#include <cstdio>
#include <iterator>
#include <vector>

#ifndef QUILLMAR_ART_DIR
#define QUILLMAR_ART_DIR "."
#endif

namespace {

struct PngJob {
    const char* svg;    // source, relative to the SVG folder
    const char* output; // target, relative to the resources folder
    int width;
    int height;
};

// clang-format off
const PngJob kPngJobs[] = {
    // Live monitor, expression pedal: fitted to 328x130 (base) and 328x130 (treadle).
    {"pedal_expression_base.svg",   "IMG/n_ex_xh.png",        656, 260},
    {"pedal_expression_plate.svg",  "IMG/ext.png",            656, 260},
    // Switch pedal: fitted to 328x130 (base) and 217x68 (rocker).
    {"pedal_switch_base.svg",       "IMG/swd.png",            656, 260},
    {"pedal_switch_plate.svg",      "IMG/n_sw_sh.png",        434, 136},
    // Hi-hat pedal: fitted to 328x130 (base) and 360x138 (footboard).
    {"pedal_hihat_base.svg",        "IMG/BgSub_n_ht_xh.png",  656, 260},
    {"pedal_hihat_plate.svg",       "IMG/n_ex_sh.png",        720, 276},
    // Brand labels and the response-curve panel.
    {"label.svg",                   "IMG/label.png",          240,  48},
    {"label_about.svg",             "IMG/label2.png",         300, 150},
    {"curve_background.svg",        "IMG/bd5.png",            600, 460},
    // Message-box icon.
    {"icon.svg",                    "ico.png",                256, 256},
};
// clang-format on

struct IconSize {
    const char* svg;
    int size;
};

const IconSize kIconSizes[] = {
    {"icon_small.svg", 16},
    {"icon_small.svg", 32},
    {"icon.svg", 48},
    {"icon.svg", 256},
};

const char kIconOutput[] = "IMG/icon.ico";

int g_svgWarnings = 0;
QtMessageHandler g_previousHandler = nullptr;

void messageHandler(QtMsgType type, const QMessageLogContext& ctx, const QString& msg)
{
    const bool fromSvg = ctx.category && QByteArray(ctx.category).startsWith("qt.svg");
    if (fromSvg && type != QtDebugMsg && type != QtInfoMsg)
        ++g_svgWarnings;
    if (g_previousHandler)
        g_previousHandler(type, ctx, msg);
}

void fail(const QString& what)
{
    std::fprintf(stderr, "render_artwork: %s\n", qPrintable(what));
}

// Rejects elements and attributes the artwork must not rely on.
bool checkVocabulary(const QString& path)
{
    // Text is left out on purpose: lettering is drawn as paths so that it does
    // not depend on the fonts installed on the machine that renders it.
    static const QStringList elements = {
        "svg",     "defs", "g",        "title",   "desc", "path",           "rect",           "circle",
        "ellipse", "line", "polyline", "polygon", "use",  "linearGradient", "radialGradient", "stop"};
    static const QStringList attributes = {"filter", "mask", "clip-path"};

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("cannot open %1").arg(path));
        return false;
    }
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QString name = xml.name().toString();
        if (!elements.contains(name)) {
            fail(QStringLiteral("%1:%2: element <%3> is outside the subset the artwork uses")
                     .arg(path)
                     .arg(xml.lineNumber())
                     .arg(name));
            return false;
        }
        for (const QXmlStreamAttribute& attribute : xml.attributes()) {
            if (attributes.contains(attribute.name().toString())) {
                fail(QStringLiteral("%1:%2: attribute %3 is outside the subset the artwork uses")
                         .arg(path)
                         .arg(xml.lineNumber())
                         .arg(attribute.name().toString()));
                return false;
            }
        }
    }
    if (xml.hasError()) {
        fail(QStringLiteral("%1:%2: %3").arg(path).arg(xml.lineNumber()).arg(xml.errorString()));
        return false;
    }
    return true;
}

// Draws one SVG at the given size. Returns a null image on error.
QImage renderSvg(const QString& path, int width, int height)
{
    if (!checkVocabulary(path))
        return {};
    const int warningsBefore = g_svgWarnings;
    QSvgRenderer renderer(path);
    if (!renderer.isValid()) {
        fail(QStringLiteral("cannot parse %1").arg(path));
        return {};
    }
    if (g_svgWarnings != warningsBefore) {
        fail(QStringLiteral("%1 uses SVG features the Qt SVG module does not support").arg(path));
        return {};
    }

    // The sources are drawn for the exact aspect ratio of their target; a
    // mismatch would distort the picture or shift the pedal hinge points.
    const QRectF box = renderer.viewBoxF();
    const double want = double(width) / height;
    const double have = box.width() / box.height();
    if (std::fabs(have - want) / want > 0.002) {
        fail(QStringLiteral("%1: view box %2x%3 does not match %4x%5")
                 .arg(path)
                 .arg(box.width())
                 .arg(box.height())
                 .arg(width)
                 .arg(height));
        return {};
    }

    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        renderer.render(&painter, QRectF(0, 0, width, height));
    }
    if (g_svgWarnings != warningsBefore) {
        fail(QStringLiteral("%1 produced warnings while drawing").arg(path));
        return {};
    }
    return image.convertToFormat(QImage::Format_ARGB32);
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        fail(QStringLiteral("cannot write %1").arg(path));
        return false;
    }
    return true;
}

QByteArray encodePng(const QImage& image)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG", 0); // lossless; 0 = smallest file
    return data;
}

// Classic 32-bit DIB entry (colour rows bottom-up, followed by the 1-bit mask),
// understood by every consumer of .ico files.
QByteArray encodeDib(const QImage& image)
{
    const int w = image.width();
    const int h = image.height();
    const int maskStride = ((w + 31) / 32) * 4;

    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint32(40) << qint32(w) << qint32(2 * h) << quint16(1) << quint16(32) << quint32(0) // BI_RGB
        << quint32(w * h * 4 + maskStride * h) << qint32(0) << qint32(0) << quint32(0) << quint32(0);
    for (int y = h - 1; y >= 0; --y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            out << quint8(qBlue(line[x])) << quint8(qGreen(line[x])) << quint8(qRed(line[x]))
                << quint8(qAlpha(line[x]));
    }
    for (int y = h - 1; y >= 0; --y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        QByteArray row(maskStride, '\0');
        for (int x = 0; x < w; ++x)
            if (qAlpha(line[x]) == 0)
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        out.writeRawData(row.constData(), row.size());
    }
    return data;
}

// Multi-size icon file. The 256 px entry is stored as PNG (as usual for that
// size), the smaller ones as DIBs.
QByteArray encodeIco(const std::vector<QImage>& images)
{
    std::vector<QByteArray> payloads;
    for (const QImage& image : images)
        payloads.push_back(image.width() >= 256 ? encodePng(image) : encodeDib(image));

    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0) << quint16(1) << quint16(images.size());
    quint32 offset = 6 + 16 * quint32(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const QImage& image = images[i];
        out << quint8(image.width() >= 256 ? 0 : image.width())
            << quint8(image.height() >= 256 ? 0 : image.height()) << quint8(0) << quint8(0) << quint16(1)
            << quint16(32) << quint32(payloads[i].size()) << quint32(offset);
        offset += quint32(payloads[i].size());
    }
    for (const QByteArray& payload : payloads)
        out.writeRawData(payload.constData(), payload.size());
    return data;
}

// Reads the icon back through Qt's own plugin, which is what the application uses.
bool verifyIco(const QString& path)
{
    QImageReader reader(path, "ico");
    const int count = reader.imageCount();
    if (count != int(std::size(kIconSizes))) {
        fail(QStringLiteral("%1: Qt reads %2 images, expected %3")
                 .arg(path)
                 .arg(count)
                 .arg(std::size(kIconSizes)));
        return false;
    }
    for (int i = 0; i < count; ++i) {
        if (!reader.jumpToImage(i)) {
            fail(QStringLiteral("%1: cannot seek to image %2").arg(path).arg(i));
            return false;
        }
        const QImage image = reader.read();
        const int want = kIconSizes[i].size;
        if (image.isNull() || image.width() != want || image.height() != want) {
            fail(QStringLiteral("%1: image %2 unreadable or wrong size").arg(path).arg(i));
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    g_previousHandler = qInstallMessageHandler(messageHandler);

    const QStringList args = app.arguments();
    if (args.size() < 2 || args.size() > 3) {
        std::fprintf(stderr, "usage: render_artwork <resources-dir> [<svg-dir>]\n");
        return 2;
    }
    const QDir resources(args.at(1));
    const QDir sources(args.size() > 2 ? args.at(2) : QStringLiteral(QUILLMAR_ART_DIR));
    if (!resources.exists()) {
        fail(QStringLiteral("no such folder: %1").arg(resources.path()));
        return 2;
    }

    int errors = 0;
    for (const PngJob& job : kPngJobs) {
        const QImage image = renderSvg(sources.filePath(job.svg), job.width, job.height);
        const QString target = resources.filePath(job.output);
        if (image.isNull() || !writeFile(target, encodePng(image))) {
            ++errors;
            continue;
        }
        std::printf("%-26s %4dx%-4d <- %s\n", job.output, job.width, job.height, job.svg);
    }

    std::vector<QImage> icons;
    for (const IconSize& entry : kIconSizes) {
        const QImage image = renderSvg(sources.filePath(entry.svg), entry.size, entry.size);
        if (image.isNull()) {
            ++errors;
            break;
        }
        icons.push_back(image);
    }
    if (icons.size() == std::size(kIconSizes)) {
        const QString target = resources.filePath(kIconOutput);
        if (writeFile(target, encodeIco(icons)) && verifyIco(target))
            std::printf("%-26s 16, 32 <- icon_small.svg; 48, 256 <- icon.svg\n", kIconOutput);
        else
            ++errors;
    }

    if (errors) {
        fail(QStringLiteral("%1 image(s) failed").arg(errors));
        return 1;
    }
    return 0;
}
