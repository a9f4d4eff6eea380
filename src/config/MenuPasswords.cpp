#include "MenuPasswords.h"

#include <QCryptographicHash>

#include <crypt.h>

#include <array>
#include <cstring>
#include <memory>

namespace MenuPasswords {

namespace {

// crypt_r's answer for setting, or empty when it refuses the setting (it
// then writes a failure token starting with '*').
QByteArray Crypt(const QByteArray& plain, const QByteArray& setting)
{
    const auto data = std::make_unique<crypt_data>();
    const char* hashed = crypt_r(plain.constData(), setting.constData(), data.get());
    const QByteArray result = hashed && hashed[0] != '*' ? QByteArray(hashed) : QByteArray();
    std::memset(data.get(), 0, sizeof(crypt_data));
    return result;
}

// The crypt kinds: the hash of typed with the stored salt is a prefix of
// the stored value that ends it or a '$'.
bool CryptMatches(const QByteArray& password, const QByteArray& typed)
{
    const QByteArray crypted = Crypt(typed, password);
    const qsizetype length = crypted.size();
    return length > 0 && password.startsWith(crypted) && (password.size() == length || password[length] == '$');
}

// "$4$salt$hash": SHA-1 of the salt then the typed bytes; no second '$'
// means no salt, the hash right after "$4$".
bool Sha1Matches(const QByteArray& password, const QByteArray& typed)
{
    const char* after = password.constData() + 3;
    const char* dollar = std::strchr(after, '$');
    QCryptographicHash sha1(QCryptographicHash::Sha1);
    if (dollar)
        sha1.addData(QByteArrayView(after, dollar - after));
    sha1.addData(QByteArrayView(typed.constData(), static_cast<qsizetype>(std::strlen(typed.constData()))));
    return sha1.result() == Unbase64(dollar ? dollar + 1 : after, 20);
}

}

QByteArray Unbase64(const char* text, int size)
{
    std::array<signed char, 256> table;
    table.fill(-1);
    const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int index = 0; alphabet[index]; ++index)
        table[static_cast<unsigned char>(alphabet[index])] = static_cast<signed char>(index);
    table['.'] = 62;
    table['-'] = 62;
    table['_'] = 63;
    QByteArray bytes(size, '\0');
    unsigned bits = 0;
    int count = 0;
    int kept = 0;
    for (; *text; ++text) {
        const int value = table[static_cast<unsigned char>(*text)];
        if (value < 0)
            continue;
        bits = (bits << 6) + static_cast<unsigned>(value);
        count += 6;
        if (count >= 8) {
            if (kept < size)
                bytes[kept++] = static_cast<char>(bits >> (count - 8));
            count -= 8;
        }
    }
    return bytes;
}

bool IsHashed(const QByteArray& password)
{
    // A C string to menu.c32: nothing past a NUL counts.
    const QByteArray stored(password.constData());
    return stored.size() >= 3 && stored[0] == '$' && stored[2] == '$';
}

bool Matches(const QByteArray& password, const QByteArray& typed)
{
    // Both are C strings to menu.c32: nothing past a NUL counts.
    const QByteArray stored(password.constData());
    const QByteArray entered(typed.constData());
    if (!IsHashed(stored))
        return stored == entered;
    switch (stored[1]) {
    case '1':
    case '5':
    case '6': return CryptMatches(stored, entered);
    case '4': return Sha1Matches(stored, entered);
    default: return false;
    }
}

QByteArray HashPassword(const QByteArray& plain)
{
    std::array<char, CRYPT_GENSALT_OUTPUT_SIZE> setting {};
    // No random bytes given: libcrypt takes them from the system.
    if (!crypt_gensalt_rn("$6$", 0, nullptr, 0, setting.data(), static_cast<int>(setting.size())))
        return {};
    return Crypt(plain, QByteArray(setting.data()));
}

}
