// The markers of a JPEG as SYSLINUX's decoder reads them (tinyjpeg.c,
// parse_JFIF and the parse_* it calls), and the tables they define.
#include "VesaJpeg.h"

namespace Vesa::Decoders::Jpeg {

const std::array<std::uint8_t, 64>& ZigZag()
{
    static const std::array<std::uint8_t, 64> table = [] {
        std::array<std::uint8_t, 64> made {};
        int place = 0;
        for (int sum = 0; sum < 15; ++sum) {
            for (int i = 0; i <= sum; ++i) {
                const int row = sum % 2 ? i : sum - i;
                const int column = sum - row;
                if (row < 8 && column < 8)
                    made[static_cast<std::size_t>(row * 8 + column)] = static_cast<std::uint8_t>(place++);
            }
        }
        return made;
    }();
    return table;
}

const StandardTable& Standard(int which)
{
    static const std::array<StandardTable, 4> tables = { {
        { { 0, 0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0 }, { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11 } },
        { { 0, 0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d },
            { 0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61, 0x07, 0x22,
                0x71, 0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52, 0xd1, 0xf0, 0x24, 0x33,
                0x62, 0x72, 0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x34,
                0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55,
                0x56, 0x57, 0x58, 0x59, 0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76,
                0x77, 0x78, 0x79, 0x7a, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96,
                0x97, 0x98, 0x99, 0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5,
                0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4,
                0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xf1,
                0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa } },
        { { 0, 0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0 }, { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11 } },
        { { 0, 0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77 },
            { 0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61, 0x71, 0x13,
                0x22, 0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33, 0x52, 0xf0, 0x15, 0x62,
                0x72, 0xd1, 0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17, 0x18, 0x19, 0x1a, 0x26, 0x27, 0x28, 0x29,
                0x2a, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54,
                0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75,
                0x76, 0x77, 0x78, 0x79, 0x7a, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94,
                0x95, 0x96, 0x97, 0x98, 0x99, 0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3,
                0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2,
                0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea,
                0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa } },
    } };
    return tables[static_cast<std::size_t>(which)];
}

bool BuildHuffman(const std::uint8_t* bits, const std::uint8_t* values, Huffman& table)
{
    table.lookup.fill(-1);
    for (auto& list : table.slow)
        list.clear();
    std::uint32_t code = 0;
    int index = 0;
    for (int length = 1; length <= 16; ++length, code <<= 1) {
        for (int n = 0; n < bits[length]; ++n, ++code, ++index) {
            const std::uint8_t value = values[index];
            table.codeSize[value] = static_cast<std::uint8_t>(length);
            if (code >= (1u << length))
                return false;
            if (length <= LookupBits) {
                const std::uint32_t first = code << (LookupBits - length);
                for (std::uint32_t i = 0; i < (1u << (LookupBits - length)); ++i)
                    table.lookup[first + i] = value;
            } else {
                auto& list = table.slow[static_cast<std::size_t>(length - LookupBits - 1)];
                // Appending finds the end by the first zero code.
                std::size_t end = 0;
                while (end < list.size() && list[end].first != 0)
                    ++end;
                list.resize(end);
                if (list.size() >= 127)
                    return false;
                list.push_back({ static_cast<std::uint16_t>(code), value });
            }
        }
    }
    return true;
}

// Bytes past the end read as zero; the readers check the end themselves.
std::uint8_t Decoder::At(qsizetype at) const
{
    return at >= 0 && at < m_bytes.size() ? static_cast<std::uint8_t>(m_bytes[at]) : 0;
}

// parse_JFIF: markers up to SOS, each segment skipped by its length; SOF0,
// DQT, DHT, DRI and SOS read; every other marker, other frame types
// included, skipped.
QString Decoder::ParseHeaders()
{
    for (qsizetype at = 2;;) {
        if (at >= m_bytes.size())
            return QStringLiteral("the file ends before its image data");
        if (At(at++) != 0xFF)
            return QStringLiteral("there is no marker at byte %1").arg(at - 1);
        while (at < m_bytes.size() && At(at) == 0xFF)
            ++at;
        if (at + 3 > m_bytes.size())
            return QStringLiteral("the file ends before its image data");
        const int marker = At(at++);
        QString problem;
        switch (marker) {
        case 0xC0: problem = ParseFrame(at); break;
        case 0xDB: problem = ParseQuantization(at); break;
        case 0xC4: problem = ParseHuffman(at); break;
        case 0xDA: problem = ParseScan(at); break;
        case 0xDD:
            if ((At(at) << 8 | At(at + 1)) != 4)
                problem = QStringLiteral("its restart interval segment is not 4 bytes long");
            m_restartInterval = At(at + 2) << 8 | At(at + 3);
            break;
        default:
            // Progressive and other frames: skipped, so their scan then
            // matches no frame.
            if (marker >= 0xC1 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
                m_otherFrame = marker;
            break;
        }
        if (!problem.isEmpty() || marker == 0xDA) {
            if (!problem.isEmpty())
                return problem;
            break;
        }
        at += At(at) << 8 | At(at + 1);
    }
    if (!m_huffmanSeen) {
        for (int table = 0; table < 2; ++table) {
            BuildHuffman(Standard(2 * table).bits.data(), Standard(2 * table).values.data(), m_dc[table]);
            BuildHuffman(Standard(2 * table + 1).bits.data(), Standard(2 * table + 1).values.data(), m_ac[table]);
        }
    }
    const Component &y = m_components[0], &cb = m_components[1], &cr = m_components[2];
    if (y.h < cb.h || y.h < cr.h || y.v < cb.v || y.v < cr.v || cb.h != 1 || cr.h != 1 || cb.v != 1 || cr.v != 1)
        return QStringLiteral("its colours are sampled other than the decoder takes (Cb and Cr 1 x 1, luma as much or "
                              "more)");
    return {};
}

QString Decoder::ParseFrame(qsizetype at)
{
    if (at + 17 > m_bytes.size())
        return QStringLiteral("the file ends inside its frame header");
    if (At(at + 2) != 8)
        return QStringLiteral("its samples have %1 bits; the decoder takes 8").arg(At(at + 2));
    m_height = At(at + 3) << 8 | At(at + 4);
    m_width = At(at + 5) << 8 | At(at + 6);
    if (m_width > 4096 || m_height > 4096)
        return QStringLiteral("it is %1 x %2; the decoder takes at most 4096 a side").arg(m_width).arg(m_height);
    m_frameComponents = At(at + 7);
    if (m_frameComponents != 3)
        return QStringLiteral("it has %1 components; the decoder takes three (YCbCr) only").arg(At(at + 7));
    for (int i = 0; i < 3; ++i) {
        Component& component = m_components[static_cast<std::size_t>(i)];
        component.cid = At(at + 8 + 3 * i);
        component.h = At(at + 9 + 3 * i) >> 4;
        component.v = At(at + 9 + 3 * i) & 0x0F;
        component.quant = At(at + 10 + 3 * i);
        if (component.quant >= 3)
            return QStringLiteral("it names quantization table %1; the decoder has three").arg(component.quant);
    }
    return {};
}

// build_quantization_table: the AA&N scale factors folded in, multiplied
// in extended precision in the compiled code's order, stored as float.
QString Decoder::ParseQuantization(qsizetype at)
{
    static constexpr double Scale[8]
        = { 1.0, 1.387039845, 1.306562965, 1.175875602, 1.0, 0.785694958, 0.541196100, 0.275899379 };
    const qsizetype end = at + (At(at) << 8 | At(at + 1));
    for (at += 2; at < end;) {
        const int index = At(at++);
        if (index >> 4)
            return QStringLiteral("it has a 16-bit quantization table; the decoder takes 8-bit ones");
        if (index >= 3)
            return QStringLiteral("it defines quantization table %1; the decoder has three").arg(index);
        if (at + 64 > m_bytes.size())
            return QStringLiteral("the file ends inside a quantization table");
        for (std::size_t k = 0; k < 64; ++k)
            m_quant[static_cast<std::size_t>(index)][k]
                = static_cast<float>(static_cast<long double>(Scale[k % 8]) * Scale[k / 8] * At(at + ZigZag()[k]));
        at += 64;
    }
    return {};
}

QString Decoder::ParseHuffman(qsizetype at)
{
    m_huffmanSeen = true;
    int length = (At(at) << 8 | At(at + 1)) - 2;
    for (at += 2; length > 0;) {
        const int index = At(at++);
        if (at + 16 > m_bytes.size())
            return QStringLiteral("the file ends inside a Huffman table");
        std::array<std::uint8_t, 17> bits {};
        int count = 0;
        for (std::size_t i = 1; i < 17; ++i)
            count += bits[i] = At(at++);
        if (count >= 256 || (index & 0x0F) >= 4)
            return QStringLiteral("a Huffman table is larger than the decoder's (%1 codes, number %2)")
                .arg(count)
                .arg(index & 0x0F);
        if (at + count > m_bytes.size())
            return QStringLiteral("the file ends inside a Huffman table");
        Huffman& table = (index & 0xF0 ? m_ac : m_dc)[static_cast<std::size_t>(index & 0x0F)];
        if (!BuildHuffman(bits.data(), reinterpret_cast<const std::uint8_t*>(m_bytes.data() + at), table))
            return QStringLiteral("a Huffman table has more codes than its lengths hold");
        length -= 17 + count;
        at += count;
    }
    return {};
}

QString Decoder::ParseScan(qsizetype at)
{
    if (at + 12 > m_bytes.size())
        return QStringLiteral("the file ends inside its scan header");
    if (At(at + 2) != 3)
        return QStringLiteral("its scan has %1 components; the decoder takes three").arg(At(at + 2));
    for (int i = 0; i < 3; ++i) {
        Component& component = m_components[static_cast<std::size_t>(i)];
        const int table = At(at + 4 + 2 * i);
        if ((table & 0x0F) >= 4 || (table >> 4) >= 4)
            return QStringLiteral("its scan names Huffman table %1; the decoder has four")
                .arg(std::max(table & 15, table >> 4));
        if (At(at + 3 + 2 * i) != component.cid)
            return m_otherFrame == 0xC2
                ? QStringLiteral("it is a progressive JPEG; the decoder reads baseline ones only")
                : m_otherFrame ? QStringLiteral("its frame is of type %1, not baseline (C0), the one the decoder reads")
                                     .arg(QString::number(m_otherFrame, 16).toUpper())
                               : QStringLiteral("its scan's components are not the frame's, in the frame's order");
        component.acTable = table & 0x0F;
        component.dcTable = table >> 4;
    }
    m_stream = at + 12;
    return {};
}

}
