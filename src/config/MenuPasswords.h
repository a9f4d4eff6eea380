#pragma once

#include <QByteArray>

// MENU PASSWD and MENU MASTER PASSWD values: the check menu.c32 makes of a
// typed password, and a new hash for one.
namespace MenuPasswords {

// Whether typed opens a menu protected by password, as menu.c32's
// passwd_compare decides: "$1$", "$5$" and "$6$" are crypt hashes, "$4$" a
// salted SHA-1 in base64, any other "$n$" refuses everything, and anything
// else is plain text compared byte for byte.
bool Matches(const QByteArray& password, const QByteArray& typed);

// Whether Matches takes the value as a hash ("$" a byte "$" …) rather
// than as the plain password itself.
bool IsHashed(const QByteArray& password);

// A "$6$" hash of plain with a fresh random salt, through the system's
// crypt; empty when the system cannot make one.
QByteArray HashPassword(const QByteArray& plain);

// menu.c32's unbase64: both alphabets ('+' '/' and '-' '_', '.' as 62), any
// other byte skipped, at most size bytes kept (the rest zero).
QByteArray Unbase64(const char* text, int size);

}
