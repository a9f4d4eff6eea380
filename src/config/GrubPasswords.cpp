#include "GrubPasswords.h"

#include "common/Limits.h"

#include <QList>
#include <QRandomGenerator>

#include <algorithm>
#include <cctype>

#include <cstdint>

namespace GrubPasswords {

namespace {

// FIPS 180-4: the first 64 bits of the fractional parts of the cube roots
// of the first 80 primes, and of the square roots of the first 8.
constexpr std::array<std::uint64_t, 80> RoundConstants = {
    0x428a2f98d728ae22,
    0x7137449123ef65cd,
    0xb5c0fbcfec4d3b2f,
    0xe9b5dba58189dbbc,
    0x3956c25bf348b538,
    0x59f111f1b605d019,
    0x923f82a4af194f9b,
    0xab1c5ed5da6d8118,
    0xd807aa98a3030242,
    0x12835b0145706fbe,
    0x243185be4ee4b28c,
    0x550c7dc3d5ffb4e2,
    0x72be5d74f27b896f,
    0x80deb1fe3b1696b1,
    0x9bdc06a725c71235,
    0xc19bf174cf692694,
    0xe49b69c19ef14ad2,
    0xefbe4786384f25e3,
    0x0fc19dc68b8cd5b5,
    0x240ca1cc77ac9c65,
    0x2de92c6f592b0275,
    0x4a7484aa6ea6e483,
    0x5cb0a9dcbd41fbd4,
    0x76f988da831153b5,
    0x983e5152ee66dfab,
    0xa831c66d2db43210,
    0xb00327c898fb213f,
    0xbf597fc7beef0ee4,
    0xc6e00bf33da88fc2,
    0xd5a79147930aa725,
    0x06ca6351e003826f,
    0x142929670a0e6e70,
    0x27b70a8546d22ffc,
    0x2e1b21385c26c926,
    0x4d2c6dfc5ac42aed,
    0x53380d139d95b3df,
    0x650a73548baf63de,
    0x766a0abb3c77b2a8,
    0x81c2c92e47edaee6,
    0x92722c851482353b,
    0xa2bfe8a14cf10364,
    0xa81a664bbc423001,
    0xc24b8b70d0f89791,
    0xc76c51a30654be30,
    0xd192e819d6ef5218,
    0xd69906245565a910,
    0xf40e35855771202a,
    0x106aa07032bbd1b8,
    0x19a4c116b8d2d0c8,
    0x1e376c085141ab53,
    0x2748774cdf8eeb99,
    0x34b0bcb5e19b48a8,
    0x391c0cb3c5c95a63,
    0x4ed8aa4ae3418acb,
    0x5b9cca4f7763e373,
    0x682e6ff3d6b2b8a3,
    0x748f82ee5defb2fc,
    0x78a5636f43172f60,
    0x84c87814a1f0ab72,
    0x8cc702081a6439ec,
    0x90befffa23631e28,
    0xa4506cebde82bde9,
    0xbef9a3f7b2c67915,
    0xc67178f2e372532b,
    0xca273eceea26619c,
    0xd186b8c721c0c207,
    0xeada7dd6cde0eb1e,
    0xf57d4f7fee6ed178,
    0x06f067aa72176fba,
    0x0a637dc5a2c898a6,
    0x113f9804bef90dae,
    0x1b710b35131c471b,
    0x28db77f523047d84,
    0x32caab7b40c72493,
    0x3c9ebe0a15c9bebc,
    0x431d67c49c100d4c,
    0x4cc5d4becb3e42b6,
    0x597f299cfc657e2a,
    0x5fcb6fab3ad6faec,
    0x6c44198c4a475817,
};
constexpr std::array<std::uint64_t, 8> InitialState = {
    0x6a09e667f3bcc908,
    0xbb67ae8584caa73b,
    0x3c6ef372fe94f82b,
    0xa54ff53a5f1d36f1,
    0x510e527fade682d1,
    0x9b05688c2b3e6c1f,
    0x1f83d9abfb41bd6b,
    0x5be0cd19137e2179,
};

constexpr std::uint64_t Rotate(std::uint64_t x, int n) { return (x >> n) | (x << (64 - n)); }

void Compress(std::array<std::uint64_t, 8>& state, const unsigned char* block)
{
    std::array<std::uint64_t, 80> w {};
    for (int t = 0; t < 16; ++t) {
        for (int b = 0; b < 8; ++b)
            w[t] = (w[t] << 8) | block[t * 8 + b];
    }
    for (int t = 16; t < 80; ++t) {
        const std::uint64_t s0 = Rotate(w[t - 15], 1) ^ Rotate(w[t - 15], 8) ^ (w[t - 15] >> 7);
        const std::uint64_t s1 = Rotate(w[t - 2], 19) ^ Rotate(w[t - 2], 61) ^ (w[t - 2] >> 6);
        w[t] = w[t - 16] + s0 + w[t - 7] + s1;
    }
    std::array<std::uint64_t, 8> v = state;
    for (int t = 0; t < 80; ++t) {
        const std::uint64_t s1 = Rotate(v[4], 14) ^ Rotate(v[4], 18) ^ Rotate(v[4], 41);
        const std::uint64_t choice = (v[4] & v[5]) ^ (~v[4] & v[6]);
        const std::uint64_t t1 = v[7] + s1 + choice + RoundConstants[t] + w[t];
        const std::uint64_t s0 = Rotate(v[0], 28) ^ Rotate(v[0], 34) ^ Rotate(v[0], 39);
        const std::uint64_t majority = (v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]);
        for (int i = 7; i > 0; --i)
            v[i] = v[i - 1];
        v[4] += t1;
        v[0] = t1 + s0 + majority;
    }
    for (int i = 0; i < 8; ++i)
        state[i] += v[i];
}

// The state's words, big-endian, as the digest.
std::array<unsigned char, 64> DigestOf(const std::array<std::uint64_t, 8>& state)
{
    std::array<unsigned char, 64> digest {};
    for (int i = 0; i < 64; ++i)
        digest[i] = static_cast<unsigned char>(state[i / 8] >> (56 - 8 * (i % 8)));
    return digest;
}

// SHA-512 of the bytes of two views one after the other (HMAC's key pad and message).
std::array<unsigned char, 64> Sha512Of(QByteArrayView first, QByteArrayView second)
{
    std::array<std::uint64_t, 8> state = InitialState;
    std::array<unsigned char, 128> block {};
    std::size_t filled = 0;
    const auto feed = [&](QByteArrayView data) {
        for (const char c : data) {
            block[filled++] = static_cast<unsigned char>(c);
            if (filled == block.size()) {
                Compress(state, block.data());
                filled = 0;
            }
        }
    };
    feed(first);
    feed(second);
    const std::uint64_t bits = (static_cast<std::uint64_t>(first.size()) + second.size()) * 8;
    block[filled++] = 0x80;
    if (filled > 112) {
        std::fill(block.begin() + static_cast<std::ptrdiff_t>(filled), block.end(), 0);
        Compress(state, block.data());
        filled = 0;
    }
    std::fill(block.begin() + static_cast<std::ptrdiff_t>(filled), block.end(), 0);
    for (int b = 0; b < 8; ++b)
        block[127 - b] = static_cast<unsigned char>(bits >> (8 * b));
    Compress(state, block.data());
    return DigestOf(state);
}

QByteArrayView View(const std::array<unsigned char, 64>& digest)
{
    return QByteArrayView(reinterpret_cast<const char*>(digest.data()), 64);
}

constexpr QByteArrayView Prefix = "grub.pbkdf2.sha512.";

}

std::array<unsigned char, 64> Sha512(QByteArrayView data) { return Sha512Of(data, {}); }

std::array<unsigned char, 64> HmacSha512(QByteArrayView key, QByteArrayView data)
{
    QByteArray padded(128, '\0');
    if (key.size() > 128) {
        const auto digest = Sha512(key);
        std::copy(digest.begin(), digest.end(), padded.begin());
    } else {
        std::copy(key.begin(), key.end(), padded.begin());
    }
    QByteArray inner = padded, outer = padded;
    for (int i = 0; i < 128; ++i) {
        inner[i] = static_cast<char>(inner[i] ^ 0x36);
        outer[i] = static_cast<char>(outer[i] ^ 0x5c);
    }
    const auto innerDigest = Sha512Of(inner, data);
    return Sha512Of(outer, View(innerDigest));
}

namespace {

// SHA-512 going on from a state that has taken one 128-byte block (an
// HMAC pad) through a 64-byte message: that message's one last block.
std::array<unsigned char, 64> AfterPad(std::array<std::uint64_t, 8> state, const std::array<unsigned char, 64>& message)
{
    std::array<unsigned char, 128> block {};
    std::copy(message.begin(), message.end(), block.begin());
    block[64] = 0x80;
    constexpr std::uint64_t bits = (128 + 64) * 8;
    for (int b = 0; b < 8; ++b)
        block[127 - b] = static_cast<unsigned char>(bits >> (8 * b));
    Compress(state, block.data());
    return DigestOf(state);
}

}

// Every round after the first is HMAC of a 64-byte digest: the key's two
// padded blocks are taken into SHA-512's state once, so a round costs two
// blocks instead of four.
QByteArray Pbkdf2Sha512(QByteArrayView password, QByteArrayView salt, int iterations, int length)
{
    std::array<unsigned char, 128> inner {}, outer {};
    if (password.size() > 128) {
        const auto digest = Sha512(password);
        std::copy(digest.begin(), digest.end(), inner.begin());
    } else {
        std::copy(password.begin(), password.end(), inner.begin());
    }
    outer = inner;
    for (std::size_t i = 0; i < inner.size(); ++i) {
        inner[i] ^= 0x36;
        outer[i] ^= 0x5c;
    }
    std::array<std::uint64_t, 8> innerState = InitialState, outerState = InitialState;
    Compress(innerState, inner.data());
    Compress(outerState, outer.data());
    QByteArray key;
    for (quint32 index = 1; key.size() < length; ++index) {
        QByteArray first(salt.data(), salt.size());
        for (int b = 3; b >= 0; --b)
            first.append(static_cast<char>(index >> (8 * b)));
        auto u = HmacSha512(password, first);
        auto block = u;
        for (int i = 1; i < iterations; ++i) {
            u = AfterPad(outerState, AfterPad(innerState, u));
            for (int b = 0; b < 64; ++b)
                block[b] ^= u[b];
        }
        key.append(View(block).first(std::min<qsizetype>(64, length - key.size())));
    }
    return key;
}

std::optional<Pbkdf2Hash> ReadPbkdf2(QByteArrayView text)
{
    if (!text.startsWith(Prefix))
        return std::nullopt;
    const QList<QByteArray> parts = text.sliced(Prefix.size()).toByteArray().split('.');
    if (parts.size() != 3)
        return std::nullopt;
    // The count as strtoul reads it with base 0 (0x hex, a leading 0 octal).
    bool ok = false;
    const qulonglong iterations = parts[0].toULongLong(&ok, 0);
    if (!ok || iterations == 0 || iterations > Limits::GrubPbkdf2Iterations || !std::isdigit(parts[0].front()))
        return std::nullopt;
    // The salt may be empty; a hash of no bytes is one PBKDF2 refuses to make.
    for (const QByteArray& hex : { parts[1], parts[2] }) {
        if (hex.size() % 2 != 0 || hex.size() > 2 * Limits::GrubPbkdf2Bytes)
            return std::nullopt;
        for (const char c : hex) {
            if (!std::isxdigit(static_cast<unsigned char>(c)))
                return std::nullopt;
        }
    }
    if (parts[2].isEmpty())
        return std::nullopt;
    return Pbkdf2Hash { static_cast<int>(iterations), QByteArray::fromHex(parts[1]), QByteArray::fromHex(parts[2]) };
}

QByteArray WritePbkdf2(const Pbkdf2Hash& hash)
{
    return Prefix.toByteArray() + QByteArray::number(hash.iterations) + '.' + hash.salt.toHex().toUpper() + '.'
        + hash.hash.toHex().toUpper();
}

QByteArray MakePbkdf2(QByteArrayView plain, int iterations)
{
    Pbkdf2Hash hash;
    hash.iterations = iterations;
    hash.salt.resize(SaltBytes);
    // The system's source (getrandom or /dev/urandom), seeded by the kernel.
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(hash.salt.data()), SaltBytes / 4);
    hash.hash = Pbkdf2Sha512(plain, hash.salt, iterations, HashBytes);
    return WritePbkdf2(hash);
}

bool MatchesPbkdf2(QByteArrayView text, QByteArrayView typed)
{
    const auto hash = ReadPbkdf2(text);
    if (!hash)
        return false;
    const QByteArray made = Pbkdf2Sha512(typed, hash->salt, hash->iterations, static_cast<int>(hash->hash.size()));
    // Every byte looked at, so the time says nothing of where they differ.
    unsigned char difference = 0;
    for (qsizetype i = 0; i < made.size(); ++i)
        difference |= static_cast<unsigned char>(made[i] ^ hash->hash[i]);
    return difference == 0;
}

}
