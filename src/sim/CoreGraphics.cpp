#include "CoreGraphics.h"

#include "vesa/VesaDecoders.h"
#include "vesa/VesaMenu.h"

std::optional<GraphicsImage> CoreLss16Image(QByteArrayView bytes)
{
    Vesa::Picture drawn(GraphicsScreen::Width, GraphicsScreen::Height);
    const Vesa::Decoders::Outcome outcome = Vesa::Decoders::ReadLss16Indexes(bytes, drawn);
    if (!outcome.recognised)
        return std::nullopt;
    GraphicsImage image { .width = outcome.width, .height = outcome.height, .indexes = {}, .dac = {} };
    image.indexes.reserve(static_cast<std::size_t>(outcome.width) * static_cast<std::size_t>(outcome.height));
    for (int y = 0; y < outcome.height; ++y) {
        for (int x = 0; x < outcome.width; ++x)
            image.indexes.push_back(static_cast<std::uint8_t>(drawn.At(x, y) & 15));
    }
    const std::array<Vesa::Rgb, 16> levels = Vesa::Decoders::Lss16Levels(bytes);
    std::copy(levels.begin(), levels.end(), image.dac.begin());
    return image;
}

BootGraphics CoreGraphics(std::function<std::optional<QByteArray>(const QByteArray& name)> open)
{
    return {
        .open = std::move(open), .decode = CoreLss16Image, .font = Vesa::BiosFont().value_or(PcFont {}), .screen = {}
    };
}
