#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <optional>

// The passwords GRUB's password_pbkdf2 takes: PBKDF2 with HMAC-SHA512,
// written as grub.pbkdf2.sha512.<iterations>.<salt hex>.<hash hex>.
namespace GrubPasswords {

// What grub-mkpasswd-pbkdf2 makes by default.
inline constexpr int DefaultIterations = 10000;
inline constexpr int SaltBytes = 64;
inline constexpr int HashBytes = 64;

std::array<unsigned char, 64> Sha512(QByteArrayView data);
std::array<unsigned char, 64> HmacSha512(QByteArrayView key, QByteArrayView data);
// PBKDF2 (RFC 8018) with HMAC-SHA512; length bytes of key.
QByteArray Pbkdf2Sha512(QByteArrayView password, QByteArrayView salt, int iterations, int length);

struct Pbkdf2Hash {
    int iterations = 0;
    QByteArray salt;
    QByteArray hash;
};

// Reads the text password_pbkdf2 takes; nothing when it is not one (GRUB
// refuses it too, or it passes the bounds of Limits.h): the prefix, the
// count of iterations as C's strtoul reads it with base 0, salt (maybe
// empty) and hash in hex of either case, whole bytes.
std::optional<Pbkdf2Hash> ReadPbkdf2(QByteArrayView text);
// The text as grub-mkpasswd-pbkdf2 prints it, hex in upper case.
QByteArray WritePbkdf2(const Pbkdf2Hash& hash);

// A hash of plain with a fresh salt from the system's random source, in
// the text above; empty when no random bytes could be had.
QByteArray MakePbkdf2(QByteArrayView plain, int iterations = DefaultIterations);
// Whether typed is the password hashed in text, as password_pbkdf2 checks it
// (the hash's own length; a text that does not read matches nothing).
bool MatchesPbkdf2(QByteArrayView text, QByteArrayView typed);

}
