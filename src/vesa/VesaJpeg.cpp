// JPEG backgrounds as vesamenu.c32 decodes them: SYSLINUX's own decoder
// (com32/lib/jpeg, tinyjpeg) into BGRA32. Its arithmetic is kept, with
// its quirks: three YCbCr components only, Huffman codes looked up nine bits
// at a time, a float AA&N inverse DCT, 10-bit fixed-point colours, and
// blocks at the right edge written with the row stride of a whole block.
// Where its reading would leave the file or its own tables, we stop with
// a message instead.
#include "VesaJpeg.h"

namespace Vesa::Decoders {

namespace Jpeg {

namespace {

// x86 shifts, whose count is taken modulo 32, as the module's are.
std::uint32_t Shl(std::uint32_t value, std::uint32_t count) { return value << (count & 31); }
std::uint32_t Shr(std::uint32_t value, std::uint32_t count) { return value >> (count & 31); }

}

// fill_nbits: bytes into the 32-bit reservoir, FF 00 read as FF.
void Decoder::Fill(std::uint32_t wanted)
{
    while (m_count < wanted) {
        if (m_stream >= m_bytes.size())
            throw Overrun {};
        const std::uint8_t byte = At(m_stream++);
        m_reservoir <<= 8;
        if (byte == 0xFF && m_stream < m_bytes.size() && At(m_stream) == 0x00)
            ++m_stream;
        m_reservoir |= byte;
        m_count += 8;
    }
}

// A code longer than the bits filled (a table that gives one value two
// lengths) runs the module's bit count below zero; from there it decodes
// garbage for as long as billions of bits, which we do not follow.
void Decoder::Skip(std::uint32_t count)
{
    if (count > m_count)
        throw Garbled {};
    m_count -= count;
    m_reservoir &= Shl(1, m_count) - 1;
}

// get_nbits: a signed value of `wanted` bits, kept in 16 as the module
// keeps its coefficients.
std::int16_t Decoder::Bits(std::uint32_t wanted)
{
    Fill(wanted);
    auto result = static_cast<std::int16_t>(Shr(m_reservoir, m_count - wanted));
    Skip(wanted);
    if (static_cast<std::uint32_t>(static_cast<std::int32_t>(result)) < Shl(1, wanted - 1))
        result = static_cast<std::int16_t>(static_cast<std::uint32_t>(result) + Shl(0xFFFFFFFFu, wanted) + 1);
    return result;
}

// get_next_huffman_code: 0 when no code matches, nothing consumed.
std::uint32_t Decoder::Code(const Huffman& table)
{
    Fill(LookupBits);
    const std::uint32_t first = Shr(m_reservoir, m_count - LookupBits);
    if (first >= table.lookup.size())
        throw Garbled {};
    if (const int value = table.lookup[first]; value >= 0) {
        Skip(table.codeSize[static_cast<std::size_t>(value)]);
        return static_cast<std::uint32_t>(value);
    }
    for (std::uint32_t extra = 0; extra < table.slow.size(); ++extra) {
        const std::uint32_t bits = LookupBits + 1 + extra;
        Fill(bits);
        const std::uint32_t code = Shr(m_reservoir, m_count - bits);
        for (const auto& [known, value] : table.slow[extra]) {
            if (known == 0)
                break;
            if (known == code) {
                Skip(bits);
                return value;
            }
        }
    }
    return 0;
}

// tinyjpeg_process_Huffman_data_unit.
void Decoder::DataUnit(Component& component)
{
    std::array<std::int16_t, 64> dct {};
    if (const std::uint32_t size = Code(m_dc[static_cast<std::size_t>(component.dcTable)])) {
        dct[0] = Bits(size);
        dct[0] = static_cast<std::int16_t>(dct[0] + component.previousDc);
        component.previousDc = dct[0];
    } else {
        dct[0] = component.previousDc;
    }
    for (std::uint32_t j = 1; j < 64;) {
        const std::uint32_t code = Code(m_ac[static_cast<std::size_t>(component.acTable)]);
        const std::uint32_t size = code & 0x0F, zeros = code >> 4;
        if (size == 0) {
            if (zeros == 0)
                break;
            if (zeros == 0x0F)
                j += 16;
            continue;
        }
        j += zeros;
        if (j >= 64)
            break;
        dct[j++] = Bits(size);
    }
    for (std::size_t k = 0; k < 64; ++k)
        component.dct[k] = dct[ZigZag()[k]];
}

namespace {

// The module's inverse DCT runs on the x87 in extended precision (long
// double here, the same format), its values rounded to float only where
// its code stores them; the association of its sums is its compiled
// code's, which differs from the textbook's.
using Extended = long double;

constexpr Extended C1414 = 1.414213562f, C1847 = 1.847759065f, Cm2613 = -2.613125930f, C1082 = 1.082392200f;

Extended Rounded(Extended value) { return static_cast<float>(value); }

std::uint8_t Descale(Extended value)
{
    // fistp with truncation, then +4 >> 3 + 128, clamped (descale_and_clamp).
    // Rounded to nearest and stepped back toward zero: the same integer,
    // without changing the FPU's rounding mode for every pixel.
    if (value >= 2147483648.0L || value < -2147483648.0L || value != value)
        return 0;
    std::int64_t whole = __builtin_llrintl(value);
    if (value >= 0 ? static_cast<Extended>(whole) > value : static_cast<Extended>(whole) < value)
        whole += value >= 0 ? -1 : 1;
    return static_cast<std::uint8_t>(std::clamp<std::int64_t>(((whole + 4) >> 3) + 128, 0, 255));
}

// One 8-point pass on d[0..7]; `out` gets the eight results, in order.
template <typename Out> void Pass(const std::array<Extended, 8>& d, bool rows, Out out)
{
    const Extended even = d[0] - d[4], sum26 = d[2] + d[6], diff26 = (d[2] - d[6]) * C1414;
    const Extended s1 = (even - sum26) + diff26;
    const Extended r1 = Rounded(s1), r2 = Rounded((even + sum26) - diff26);
    const Extended t0 = (d[4] + d[0]) + sum26, t3 = (d[4] + d[0]) - sum26;
    const Extended t7 = (d[3] + d[5]) + (d[1] + d[7]);
    const Extended z10 = d[5] - d[3], z12 = d[1] - d[7], z5 = (z10 + z12) * C1847;
    const Extended u12 = z10 * Cm2613 + z5, u10 = z12 * C1082 - z5;
    const Extended x = ((d[1] + d[7]) - (d[3] + d[5])) * C1414 + (t7 - u12);
    // The row pass keeps tmp0 in float and tmp3 in a register, the
    // column pass the other way round; tmp1 + tmp6 is summed before t7 goes.
    const Extended r0 = rows ? Rounded(t0) : t0, r3 = rows ? t3 : Rounded(t3);
    out(0, r0 + t7);
    out(7, r0 - t7);
    out(1, (rows ? Rounded(s1 + u12) : u12 + r1) - t7);
    out(6, r1 + (t7 - u12));
    out(2, r2 + x);
    out(5, r2 - x);
    out(4, r3 + (u10 + x));
    out(3, r3 - (u10 + x));
}

}

// tinyjpeg_idct_float: columns into a float workspace (a column of zero AC
// terms short-cut), then rows descaled by 8.
void Decoder::Idct(const Component& component, std::uint8_t* out, int stride) const
{
    const std::array<float, 64>& quant = m_quant[static_cast<std::size_t>(component.quant)];
    std::array<float, 64> work {};
    for (std::size_t c = 0; c < 8; ++c) {
        std::array<Extended, 8> d {};
        bool flat = true;
        for (std::size_t row = 0; row < 8; ++row) {
            d[row] = static_cast<Extended>(component.dct[8 * row + c]) * quant[8 * row + c];
            flat = flat && (row == 0 || component.dct[8 * row + c] == 0);
        }
        if (flat) {
            for (std::size_t row = 0; row < 8; ++row)
                work[8 * row + c] = static_cast<float>(d[0]);
            continue;
        }
        Pass(d, false, [&](std::size_t row, Extended value) { work[8 * row + c] = static_cast<float>(value); });
    }
    for (std::size_t r = 0; r < 8; ++r, out += stride) {
        std::array<Extended, 8> d {};
        for (std::size_t i = 0; i < 8; ++i)
            d[i] = work[8 * r + i];
        Pass(d, true, [&](std::size_t i, Extended value) { out[i] = Descale(value); });
    }
}

void Decoder::Resync()
{
    for (Component& component : m_components)
        component.previousDc = 0;
    m_reservoir = 0;
    m_count = 0;
    m_restartsToGo = m_restartInterval > 0 ? m_restartInterval : -1;
}

// find_next_rst_marker: the next RSTn in turn; EOI leaves the stream where
// it was; another RSTn is an error.
bool Decoder::NextRestart()
{
    qsizetype at = m_stream;
    for (;;) {
        do {
            if (at >= m_bytes.size())
                return false;
        } while (At(at++) != 0xFF);
        while (at < m_bytes.size() && At(at) == 0xFF)
            ++at;
        if (at >= m_bytes.size())
            return false;
        const int marker = At(at++);
        if (marker == 0xD0 + m_lastRestart)
            break;
        if (marker >= 0xD0 && marker <= 0xD7)
            return false;
        if (marker == 0xD9)
            return true;
    }
    m_stream = at;
    m_lastRestart = (m_lastRestart + 1) & 7;
    return true;
}

// One MCU's blocks, by the layout the luma's sampling picks.
void Decoder::Mcu()
{
    Component &y = m_components[0], &cb = m_components[1], &cr = m_components[2];
    const auto block = [&](std::size_t at, int stride) {
        DataUnit(y);
        Idct(y, m_y.data() + at, stride);
    };
    switch (m_layout) {
    case Layout::OneByOne: block(0, 8); break;
    case Layout::OneByTwo: block(0, 8), block(64, 8); break;
    case Layout::TwoByOne: block(0, 16), block(8, 16); break;
    case Layout::TwoByTwo: block(0, 16), block(8, 16), block(128, 16), block(136, 16); break;
    }
    DataUnit(cb);
    Idct(cb, m_cb.data(), 8);
    DataUnit(cr);
    Idct(cr, m_cr.data(), 8);
}

// tinyjpeg_decode: MCUs left to right, top to bottom, each converted where
// its block line and column start.
QString Decoder::Decode(Picture& screen)
{
    const Component& y = m_components[0];
    m_layout = (y.h | y.v) == 1 ? Layout::OneByOne
        : y.h == 1              ? Layout::OneByTwo
        : y.v == 2              ? Layout::TwoByTwo
                                : Layout::TwoByOne;
    const int mcuWidth = m_layout == Layout::OneByOne || m_layout == Layout::OneByTwo ? 8 : 16;
    const int mcuHeight = m_layout == Layout::OneByOne || m_layout == Layout::TwoByOne ? 8 : 16;
    Resync();
    for (int top = 0; top < m_height; top += mcuHeight) {
        for (int left = 0; left < m_width; left += mcuWidth) {
            Mcu();
            Convert(screen, left, top, std::min(m_width - left, mcuWidth), std::min(m_height - top, mcuHeight));
            if (m_restartsToGo > 0 && --m_restartsToGo == 0) {
                m_stream -= m_count / 8;
                Resync();
                if (!NextRestart())
                    return QStringLiteral("the decoder stops at a restart marker out of turn");
            }
        }
    }
    return {};
}

// The YCbCr -> BGRA32 routines, 10-bit fixed point: each writes sx pixels of
// sy rows but steps on by a whole block's row, so a block cut by the right
// edge lands skewed, as the module draws it.
void Decoder::Convert(Picture& screen, int x0, int y0, int sx, int sy) const
{
    const auto stride = static_cast<qsizetype>(screen.width);
    const auto size = static_cast<qsizetype>(screen.pixels.size());
    qsizetype p = y0 * stride + x0, p2 = p + stride;
    std::size_t luma = 0, chroma = 0;
    int cb = 0, cr = 0;
    const auto put = [&](qsizetype& at, std::size_t index) {
        const int l = m_y[std::min(index, m_y.size() - 1)] << 10;
        const int r = (l + 1436 * cr + 512) >> 10, g = (l - 352 * cb - 731 * cr + 512) >> 10;
        const int b = (l + 1815 * cb + 512) >> 10;
        if (at >= 0 && at < size)
            screen.pixels[static_cast<std::size_t>(at)] = static_cast<Rgb>(std::clamp(r, 0, 255)) << 16
                | static_cast<Rgb>(std::clamp(g, 0, 255)) << 8 | static_cast<Rgb>(std::clamp(b, 0, 255));
        ++at;
    };
    const auto take = [&] {
        const std::size_t at = std::min(chroma++, m_cb.size() - 1);
        cb = m_cb[at] - 128;
        cr = m_cr[at] - 128;
    };
    const bool wide = m_layout == Layout::TwoByOne || m_layout == Layout::TwoByTwo;
    const bool tall = m_layout == Layout::OneByTwo || m_layout == Layout::TwoByTwo;
    const int blockWidth = wide ? 16 : 8;
    for (int i = sy; i > 0; i -= tall ? 2 : 1) {
        for (int j = sx; j > 0; j -= wide ? 2 : 1) {
            take();
            put(p, luma);
            if (wide && j > 1)
                put(p, luma + 1);
            if (tall && i > 1) {
                put(p2, luma + static_cast<std::size_t>(blockWidth));
                if (wide && j > 1)
                    put(p2, luma + static_cast<std::size_t>(blockWidth) + 1);
            }
            luma += wide ? 2 : 1;
        }
        if (tall)
            luma += static_cast<std::size_t>(blockWidth);
        p += (tall ? 2 : 1) * stride - blockWidth;
        p2 += (tall ? 2 : 1) * stride - blockWidth;
    }
}

}

Outcome ReadJpeg(QByteArrayView bytes, Picture& screen)
{
    using namespace Jpeg;
    Outcome outcome;
    if (bytes.size() < 2 || static_cast<std::uint8_t>(bytes[0]) != 0xFF || static_cast<std::uint8_t>(bytes[1]) != 0xD8)
        return outcome;
    outcome.recognised = true;
    Decoder decoder(bytes);
    if (const QString problem = decoder.ParseHeaders(); !problem.isEmpty()) {
        outcome.problem = QStringLiteral("SYSLINUX's JPEG decoder refuses it: ") + problem;
        return outcome;
    }
    outcome.width = decoder.Width();
    outcome.height = decoder.Height();
    if (!FitsScreen(outcome, screen, "the JPEG", "refuses it"))
        return outcome;
    if (outcome.width == 0 || outcome.height == 0) {
        outcome.problem = QStringLiteral("the JPEG has no pixels: the loader hangs tiling it");
        return outcome;
    }
    try {
        outcome.problem = decoder.Decode(screen);
    } catch (const Overrun&) {
        screen.pixels.assign(screen.pixels.size(), 0);
        outcome.problem = QStringLiteral("the JPEG ends inside its image data, where SYSLINUX's decoder jumps to "
                                         "nowhere: the real machine resets");
        return outcome;
    } catch (const Garbled&) {
        screen.pixels.assign(screen.pixels.size(), 0);
        outcome.problem = QStringLiteral("the JPEG's Huffman codes send SYSLINUX's decoder outside its tables or "
                                         "past the bits it has read: it decodes garbage from there");
        return outcome;
    }
    Tile(screen, outcome.width, outcome.height);
    if (!outcome.problem.isEmpty())
        outcome.problem = QStringLiteral("SYSLINUX's JPEG decoder stops part way: ") + outcome.problem;
    outcome.complete = outcome.problem.isEmpty();
    return outcome;
}

}
