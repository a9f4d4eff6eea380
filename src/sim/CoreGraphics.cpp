#include "CoreGraphics.h"
#include "LoaderSim.h"

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

// The 3.x/4.x core left in graphics mode by a display file writes what
// follows (its prompt, messages, typing) into the picture, in 07.
void LoaderSim::CoreGraphicsText(std::string_view text)
{
    if (m_coreGraphics.screen)
        BiosGraphics::Teletype(*m_coreGraphics.screen, m_coreGraphics.font, text, 0x07);
}

std::optional<Vesa::Picture> LoaderSim::CoreGraphicsPicture() const
{
    if (!m_coreGraphics.screen)
        return std::nullopt;
    GraphicsScreen screen = *m_coreGraphics.screen;
    // The core draws its own cursor in graphics mode (vgashowcursor).
    if (m_state == State::Prompt)
        BiosGraphics::WriteGlyph(screen, m_coreGraphics.font, '_', 0x07);
    Vesa::Picture picture(GraphicsScreen::Width, GraphicsScreen::Height);
    picture.pixels = screen.Shown();
    return picture;
}
