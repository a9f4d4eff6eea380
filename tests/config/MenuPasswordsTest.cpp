// MENU PASSWD values checked as menu.c32's passwd_compare checks them; the
// hashes were made with openssl passwd and the $4$ ones by the SHA-1 of
// salt and password in base64 (FIPS 180-1's "abc" among them).
#include "config/MenuPasswords.h"

#include <gtest/gtest.h>

TEST(MenuPasswordsTest, TypedPasswordsAgainstEachKind)
{
    const struct {
        const char* stored;
        const char* typed;
        bool accepted;
    } rows[] = {
        // Plain text: compared byte for byte, case and blanks counted.
        { "secret", "secret", true },
        { "secret", "Secret", false },
        { "secret", "secret ", false },
        { "$", "$", true },
        { "$1", "$1", true },
        { "", "", true },
        // MD5, SHA-256 and SHA-512 crypt.
        { "$1$saltsalt$ZliGyAN3DciDHEkDboonh/", "hunter2", true },
        { "$1$saltsalt$ZliGyAN3DciDHEkDboonh/", "hunter3", false },
        { "$5$saltsalt$OIdfjX.u4Y3SJ4I2bX8w5BMf1VAUhHABNUirScDzZi3", "hunter2", true },
        { "$5$saltsalt$OIdfjX.u4Y3SJ4I2bX8w5BMf1VAUhHABNUirScDzZi3", "", false },
        { "$6$saltsalt$8iYtNHxjWRl.NF6oNZ5tF.iKFlQREaXBLlSmZKP6dy9l5z3vsooWNW0/GZ6Nej73/TFug6pIPSqbJoCT6dfnj.",
            "hunter2", true },
        { "$6$saltsalt$8iYtNHxjWRl.NF6oNZ5tF.iKFlQREaXBLlSmZKP6dy9l5z3vsooWNW0/GZ6Nej73/TFug6pIPSqbJoCT6dfnj.",
            "hunter", false },
        // A '$' and anything after the hash still match; other bytes do not.
        { "$1$saltsalt$ZliGyAN3DciDHEkDboonh/$comment", "hunter2", true },
        { "$1$saltsalt$ZliGyAN3DciDHEkDboonh/x", "hunter2", false },
        { "$1$saltsalt$ZliGyAN3DciDHEkDboonh", "hunter2", false },
        // The salt is cut at 16 bytes, as the stored hash was.
        { "$6$abcdefghijklmnop$GRSTFj3H0pZ9BY1uhdqITG.qORbXkTk40qgaa1roNICfs/axSgdNnbKEYghuyLnrmnFXvSE09GdxJbCDOnxdc1",
            "pw", true },
        // SHA-1: salt then password; no second '$' means no salt; base64 of
        // either alphabet, padding and other bytes skipped.
        { "$4$NaCl$2gc3MUnQ0oo5YOx/edEjOXbWFkM=$", "hunter2", true },
        { "$4$NaCl$2gc3MUnQ0oo5YOx/edEjOXbWFkM", "hunter2", true },
        { "$4$NaCl$2gc3MUnQ0oo5YOx_edEjOXbWFkM", "hunter2", true },
        { "$4$NaCl$2gc3MUnQ0oo5YOx/edEjOXbWFkM", "hunter3", false },
        { "$4$Nacl$2gc3MUnQ0oo5YOx/edEjOXbWFkM", "hunter2", false },
        { "$4$qZk+NkcGgWq6PiVxeFDCbJzQ2J0=", "abc", true },
        { "$4$ab$qZk+NkcGgWq6PiVxeFDCbJzQ2J0", "c", true },
        { "$4$$qZk+NkcGgWq6PiVxeFDCbJzQ2J0", "abc", true },
        { "$4$qZk+NkcGgWq6PiVxeFDCbJzQ2J0=", "ab", false },
        // Truncated: the missing bytes are zero, which no SHA-1 here ends with.
        { "$4$qZk+NkcGgWq6PiVxeFDCbJzQ", "abc", false },
        // Unknown kinds and broken hashes refuse everything, their own text too.
        { "$2$abc$def", "$2$abc$def", false },
        { "$$$", "$$$", false },
        { "$1$", "", false },
        { "$6$saltsalt$", "hunter2", false },
        { "$6$rounds=x$saltsalt$abc", "hunter2", false },
    };
    for (const auto& row : rows)
        EXPECT_EQ(MenuPasswords::Matches(row.stored, row.typed), row.accepted) << row.stored << " / " << row.typed;
}

TEST(MenuPasswordsTest, NewHashesAreSaltedSha512ThatCheck)
{
    const QByteArray first = MenuPasswords::HashPassword("hunter2");
    const QByteArray second = MenuPasswords::HashPassword("hunter2");
    ASSERT_TRUE(first.startsWith("$6$")) << first.constData();
    EXPECT_NE(first, second); // a fresh salt each time
    EXPECT_EQ(first.count('$'), 3);
    EXPECT_TRUE(MenuPasswords::Matches(first, "hunter2"));
    EXPECT_FALSE(MenuPasswords::Matches(first, "hunter"));
    EXPECT_TRUE(MenuPasswords::Matches(second, "hunter2"));
}

TEST(MenuPasswordsTest, Base64AsTheModuleDecodesIt)
{
    EXPECT_EQ(MenuPasswords::Unbase64("QUJD", 4), QByteArray("ABC\0", 4));
    EXPECT_EQ(MenuPasswords::Unbase64("Q U\nJ=D", 3), QByteArray("ABC"));
    EXPECT_EQ(MenuPasswords::Unbase64("QUJDREVG", 2), QByteArray("AB"));
    EXPECT_EQ(MenuPasswords::Unbase64("-_._", 3), QByteArray("\xfb\xff\xbf", 3));
}
