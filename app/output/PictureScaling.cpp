#include "PictureScaling.h"

#include <algorithm>

#include <QPainter>

#include "AreaAverage.h"

QImage ScaledPicture(const QImage& picture, int width, int height, QRgb background)
{
    if (picture.isNull() || width < 1 || height < 1)
        return {};
    // The largest size of the picture's shape that fits, never larger than the picture itself.
    const QSize fitted = picture.size().scaled(std::min(width, picture.width()), std::min(height, picture.height()),
                                               Qt::KeepAspectRatio);
    QImage reduced = fitted == picture.size()
        ? picture.convertToFormat(QImage::Format_RGB32)
        : AreaAverage(picture, QSize(std::max(1, fitted.width()), std::max(1, fitted.height())), background);
    if (reduced.isNull())
        return {};
    if (reduced.size() == QSize(width, height))
        return reduced;
    QImage framed(width, height, QImage::Format_RGB32);
    if (framed.isNull())
        return {};
    framed.fill(background);
    QPainter painter(&framed);
    painter.drawImage((width - reduced.width()) / 2, (height - reduced.height()) / 2, reduced);
    painter.end();
    return framed;
}
