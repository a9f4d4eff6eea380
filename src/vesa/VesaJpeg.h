#pragma once

// SYSLINUX's JPEG decoder as VesaJpeg*.cpp follow it: its tables, and the
// decoder's state between the markers and the coded data.
#include "VesaDecoders.h"

#include <array>
#include <vector>

namespace Vesa::Decoders::Jpeg {

// A file that ends inside its coded data: SYSLINUX's decoder jumps to a
// jmp_buf it never set.
struct Overrun { };
// Bits that make the module's Huffman decoding leave its table or run its
// bit count below zero.
struct Garbled { };

constexpr int LookupBits = 9; // HUFFMAN_HASH_NBITS

// Natural order position -> place in the zigzag scan.
const std::array<std::uint8_t, 64>& ZigZag();

struct Huffman {
    // Zero, as the module's calloc'ed tables are, until a table is built.
    std::array<std::int16_t, 1 << LookupBits> lookup {};
    std::array<std::uint8_t, 256> codeSize {};
    // Codes of 10 to 16 bits, searched in order up to a zero code.
    std::array<std::vector<std::pair<std::uint16_t, std::uint8_t>>, 16 - LookupBits> slow;
};

// The standard tables (JPEG Annex K.3) for files without DHT: DC and AC
// for luma (0, 1), then for chroma (2, 3).
struct StandardTable {
    std::array<std::uint8_t, 17> bits;
    std::vector<std::uint8_t> values;
};
const StandardTable& Standard(int which);

// build_huffman_table: canonical codes by length; short ones fill the
// nine-bit lookup, long ones go to the slow lists. False for a table whose
// codes do not fit their lengths, which the module writes past its lookup.
bool BuildHuffman(const std::uint8_t* bits, const std::uint8_t* values, Huffman& table);

struct Component {
    int h = 0, v = 0;
    int cid = 0;
    int quant = 0;
    int dcTable = 0, acTable = 0;
    std::int16_t previousDc = 0;
    std::array<std::int16_t, 64> dct {};
};

class Decoder {
public:
    explicit Decoder(QByteArrayView bytes)
        : m_bytes(bytes)
    {
    }
    // The markers up to SOS; an empty string when they are the module's.
    QString ParseHeaders();
    // Decodes every block into the screen; an empty string when all went.
    QString Decode(Picture& screen);
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // The frame's component count as the file gives it (3 for YCbCr, 1
    // grey, 4 CMYK), and the luma's sampling factors.
    int FrameComponents() const { return m_frameComponents; }
    std::pair<int, int> LumaSampling() const { return { m_components[0].h, m_components[0].v }; }

private:
    std::uint8_t At(qsizetype at) const;
    QString ParseFrame(qsizetype at);
    QString ParseQuantization(qsizetype at);
    QString ParseHuffman(qsizetype at);
    QString ParseScan(qsizetype at);
    void Fill(std::uint32_t wanted);
    void Skip(std::uint32_t count);
    std::int16_t Bits(std::uint32_t wanted);
    std::uint32_t Code(const Huffman& table);
    void DataUnit(Component& component);
    void Mcu();
    void Idct(const Component& component, std::uint8_t* out, int stride) const;
    void Resync();
    bool NextRestart();
    void Convert(Picture& screen, int x0, int y0, int sx, int sy) const;

    QByteArrayView m_bytes;
    bool m_huffmanSeen = false;
    int m_otherFrame = 0; // a frame marker other than SOF0
    int m_frameComponents = 0;
    int m_width = 0, m_height = 0;
    std::array<Component, 3> m_components;
    std::array<std::array<float, 64>, 3> m_quant {};
    std::array<Huffman, 4> m_dc, m_ac;
    int m_restartInterval = 0, m_restartsToGo = -1, m_lastRestart = 0;
    qsizetype m_stream = 0;
    std::uint32_t m_reservoir = 0, m_count = 0;
    enum class Layout { OneByOne, OneByTwo, TwoByOne, TwoByTwo } m_layout = Layout::OneByOne;
    std::array<std::uint8_t, 64 * 4> m_y {};
    std::array<std::uint8_t, 64> m_cb {}, m_cr {};
};

}
