// JPEG encoding of a picture with libjpeg (baseline, 24-bit colour), for the saved charts.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>

inline constexpr int ChartJpegQuality = 75;

// The JPEG bytes of image; nullopt for a null image or when the codec reports an error.
std::optional<QByteArray> encodeJpeg(const QImage& image, int quality = ChartJpegQuality);
// Encodes image and writes it to path, replacing an existing file; false when either fails
// (a failed write leaves an existing file as it was).
bool writeJpegFile(const QImage& image, const QString& path, int quality = ChartJpegQuality);
