// Arbitrary bytes as a cycle file, read into the drawing's 5000-byte buffer (or claimed longer than
// it): header decoding, label texts, sample preparation and drawing into every chart image must
// neither crash nor touch memory outside the buffer and the image.
#include "curves/ChartRenderer.h"
#include "curves/CycleFile.h"
#include "curves/MeasuredData.h"

#include <QGuiApplication>
#include <QImage>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {
constexpr std::size_t MaxInput = 6000;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static auto* app = new QGuiApplication(*argc, *argv);  // fonts for the marker times
    (void)app;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1 || size > MaxInput)
        return 0;
    // Byte 0 picks the image and a size; the rest is the file. A count larger than the buffer
    // stands for a transfer that claims more than it may.
    const std::uint8_t pick = data[0];
    const std::uint8_t* file = data + 1;
    const std::size_t fileSize = size - 1;

    std::vector<std::uint8_t> buffer(CycleBufferSize);  // on the heap so that overruns are caught
    std::memcpy(buffer.data(), file, std::min(fileSize, buffer.size()));

    if (const auto header = CycleFile::decodeHeader(std::span(buffer).first(std::min(fileSize, buffer.size()))))
        (void)MeasuredData::from(*header, pick % 8);

    const ChartImage target = static_cast<ChartImage>(pick & 3);
    QSize imageSize = chartImageInfo(target).formSize;
    if (pick & 4)
        imageSize = QSize(1 + (pick >> 3), 1 + (pick >> 4));  // tiny images: negative plot widths
    QImage image(imageSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    ChartState state;
    (void)drawCycle(image, target, buffer, fileSize, state);
    return 0;
}
