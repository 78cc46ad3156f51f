// The compiled-in pictures and their preparation.
#include "frontend/qt/Pictures.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <string>

#include "platform/Embedded.h"

namespace nubo::embedded {
extern const File kBitmaps[];
}  // namespace nubo::embedded

namespace nubo {

QImage LoadPicture(int id) {
    const std::string name = std::to_string(id) + ".bmp";
    for (const embedded::File* f = embedded::kBitmaps; f->name; ++f) {
        if (name != f->name) continue;
        // With the format fixed the built-in reader does the work; otherwise
        // every image plugin (and the JPEG library) is loaded to be asked first.
        QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(f->data),
                                                   static_cast<qsizetype>(f->size));
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer, "BMP");
        reader.setAutoDetectImageFormat(false);
        return reader.read();
    }
    return {};
}

QImage ComposeBitmap(const QImage& picture, int width, int height, int x, int y,
                     const QColor& background) {
    QImage canvas(width, height, QImage::Format_RGB32);
    canvas.fill(background);
    QPainter painter(&canvas);
    painter.drawImage(x, y, picture);
    return canvas;
}

QImage MapWhite(const QImage& picture, const QColor& face) {
    QImage mapped = picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < mapped.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(mapped.scanLine(y));
        for (int x = 0; x < mapped.width(); ++x) {
            if ((line[x] & 0xffffffu) == 0xffffffu) line[x] = face.rgb();
        }
    }
    return mapped;
}

}  // namespace nubo
