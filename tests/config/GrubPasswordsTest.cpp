// GRUB's PBKDF2 passwords: SHA-512 against FIPS 180's examples (and the
// padding's edges, from Python's hashlib), HMAC against RFC 4231, PBKDF2
// against the published SHA-512 vectors, and texts grub-mkpasswd-pbkdf2
// 2.06 printed here for a known password.
#include "config/GrubPasswords.h"

#include <QList>

#include <gtest/gtest.h>

namespace {

QByteArray Hex(const std::array<unsigned char, 64>& digest)
{
    return QByteArray(reinterpret_cast<const char*>(digest.data()), 64).toHex();
}

const char* const MadeByGrub = "grub.pbkdf2.sha512.10000."
                               "F2D0D8F9E0CEDFABB5BCC69E584EDC73AB70E8076A546C52B0CFA94167F55B10"
                               "0702E4E5F408E7DCC67F95E97D62BB6874D64D7AAC61751365F25A03ABB70692."
                               "D35897BB8B7E0E172F2B1E7DEC010C4FFC8F9A075F1AA4A740706330E6FDAEC0"
                               "205E6B38279F6AB767182D7E355CF01FE547423C57182C5F0795182B48F133AF";

}

TEST(GrubPasswordsTest, DigestsAgainstPublishedVectors)
{
    const struct {
        QByteArray key; // empty: a bare SHA-512 of data
        QByteArray data;
        const char* digest;
    } rows[] = {
        { {}, "",
            "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce47d0d13c5d85f2b0ff8318d2877eec2f63b931bd47"
            "417a81a538327af927da3e" },
        { {}, "abc",
            "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a3feebbd454d442364"
            "3ce80e2a9ac94fa54ca49f" },
        { {}, "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
            "204a8fc6dda82f0a0ced7beb8e08a41657c16ef468b228a8279be331a703c33596fd15c13b1b07f9aa1d3bea57789ca031ad85c7a7"
            "1dd70354ec631238ca3445" },
        { {},
            "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstno"
            "pqrstu",
            "8e959b75dae313da8cf4f72814fc143f8f7779c6eb9f7fa17299aeadb6889018501d289e4900f7e4331b99dec4b5433ac7d329eeb6"
            "dd26545e96e55b874be909" },
        // The length's 16 bytes just fit after the 0x80 (111) or need a block more (112).
        { {}, QByteArray(111, 'a'),
            "fa9121c7b32b9e01733d034cfc78cbf67f926c7ed83e82200ef86818196921760b4beff48404df811b953828274461673c68d04e29"
            "7b0eb7b2b4d60fc6b566a2" },
        { {}, QByteArray(112, 'a'),
            "c01d080efd492776a1c43bd23dd99d0a2e626d481e16782e75d54c2503b5dc32bd05f0f1ba33e568b88fd2d970929b719ecbb152f5"
            "8f130a407c8830604b70ca" },
        { {}, QByteArray(1'000'000, 'a'),
            "e718483d0ce769644e2e42c7bc15b4638e1f98b13b2044285632a803afa973ebde0ff244877ea60a4cb0432ce577c31beb009c5c2c"
            "49aa2e4eadb217ad8cc09b" },
        // RFC 4231 cases 1 and 6 (a key longer than the block is hashed first).
        { QByteArray(20, '\x0b'), "Hi There",
            "87aa7cdea5ef619d4ff0b4241a1d6cb02379f4e2ce4ec2787ad0b30545e17cdedaa833b7d6b8a702038b274eaea3f4e4be9d914eeb"
            "61f1702e696c203a126854" },
        { QByteArray(131, '\xaa'), "Test Using Larger Than Block-Size Key - Hash Key First",
            "80b24263c7c1a3ebb71493c1dd7be8b49b46d1f41b4aeec1121b013783f8f3526b56d037e05f2598bd0fd2215d6a1e5295e64f73f6"
            "3f0aec8b915a985d786598" },
    };
    for (const auto& row : rows) {
        const auto digest
            = row.key.isEmpty() ? GrubPasswords::Sha512(row.data) : GrubPasswords::HmacSha512(row.key, row.data);
        EXPECT_EQ(Hex(digest), row.digest) << row.data.left(40).constData();
    }
    const struct {
        const char* password;
        const char* salt;
        int iterations;
        int length;
        const char* key;
    } keys[] = {
        { "password", "salt", 1, 64,
            "867f70cf1ade02cff3752599a3a53dc4af34c7a669815ae5d513554e1c8cf252c02d470a285a0501bad999bfe943c08f050235d7d6"
            "8b1da55e63f73b60a57fce" },
        { "password", "salt", 2, 64,
            "e1d9c16aa681708a45f5c7c4e215ceb66e011a2e9f0040713f18aefdb866d53cf76cab2868a39b9f7840edce4fef5a82be67335c77"
            "a6068e04112754f27ccf4e" },
        { "passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096, 64,
            "8c0511f4c6e597c6ac6315d8f0362e225f3c501495ba23b868c005174dc4ee71115b59f9e60cd9532fa33e0f75aefe30225c583a18"
            "6cd82bd4daea9724a3d3b8" },
        // Longer than one block: the second block's index is 2; shorter: a cut first block.
        { "password", "salt", 1, 70,
            "867f70cf1ade02cff3752599a3a53dc4af34c7a669815ae5d513554e1c8cf252c02d470a285a0501bad999bfe943c08f050235d7d6"
            "8b1da55e63f73b60a57fce7b532e206c29" },
        { "password", "salt", 2, 20, "e1d9c16aa681708a45f5c7c4e215ceb66e011a2e" },
    };
    for (const auto& row : keys)
        EXPECT_EQ(GrubPasswords::Pbkdf2Sha512(row.password, row.salt, row.iterations, row.length).toHex(), row.key)
            << row.password << " " << row.iterations;
}

TEST(GrubPasswordsTest, TypedPasswordsAgainstPasswordTexts)
{
    const struct {
        const char* text;
        const char* typed;
        bool accepted;
    } rows[] = {
        { MadeByGrub, "glimra", true },
        { MadeByGrub, "Glimra", false },
        { MadeByGrub, "glimra ", false },
        { MadeByGrub, "", false },
        // grub-mkpasswd-pbkdf2 -c 3 -s 8 -l 20, a UTF-8 password with a blank.
        { "grub.pbkdf2.sha512.3.E7D3E434C3BE0119.CE057AA85827056EB75999E2EC60E807BDCC4AC4", "\xc3\x9c ber", true },
        { "grub.pbkdf2.sha512.3.e7d3e434c3be0119.ce057aa85827056eb75999e2ec60e807bdcc4ac4", "\xc3\x9c ber", true },
        { "grub.pbkdf2.sha512.0x3.E7D3E434C3BE0119.CE057AA85827056EB75999E2EC60E807BDCC4AC4", "\xc3\x9c ber", true },
        { "grub.pbkdf2.sha512.03.E7D3E434C3BE0119.CE057AA85827056EB75999E2EC60E807BDCC4AC4", "\xc3\x9c ber", true },
        { "grub.pbkdf2.sha512.4.E7D3E434C3BE0119.CE057AA85827056EB75999E2EC60E807BDCC4AC4", "\xc3\x9c ber", false },
        { "grub.pbkdf2.sha512.3.E7D3E434C3BE0118.CE057AA85827056EB75999E2EC60E807BDCC4AC4", "\xc3\x9c ber", false },
        { "grub.pbkdf2.sha512.3.E7D3E434C3BE0119.CE057AA85827056EB75999E2EC60E807BDCC4AC5", "\xc3\x9c ber", false },
        // An empty salt reads; texts GRUB's password_pbkdf2 refuses match nothing.
        { "grub.pbkdf2.sha512.1..867F70CF1ADE02CFF3752599A3A53DC4", "x", false },
        { "grub.pbkdf2.sha512.3.E7D3E434C3BE0119.", "\xc3\x9c ber", false },
        { "grub.pbkdf2.sha512.3.E7D3E434C3BE011.CE057AA85827056EB75999E2EC60E807BDCC4AC4", "\xc3\x9c ber", false },
        { "grub.pbkdf2.sha512.3.E7D3E434C3BE01G9.CE057AA85827056EB75999E2EC60E807BDCC4AC4", "\xc3\x9c ber", false },
        { "grub.pbkdf2.sha512.0.E7D3E434C3BE0119.CE057AA85827056EB75999E2EC60E807BDCC4AC4", "\xc3\x9c ber", false },
        { "grub.pbkdf2.sha512.-3.E7D3E434C3BE0119.CE057AA85827056EB75999E2EC60E807BDCC4AC4", "\xc3\x9c ber", false },
        { "grub.pbkdf2.sha256.3.E7D3E434C3BE0119.CE057AA85827056EB75999E2EC60E807BDCC4AC4", "\xc3\x9c ber", false },
        { "grub.pbkdf2.sha512.3.E7D3E434C3BE0119.CE057AA8.5827056E", "\xc3\x9c ber", false },
        // Past Glimra's bound on iterations: refused at once, not hours later.
        { "grub.pbkdf2.sha512.4294967295.E7D3E434C3BE0119.CE057AA85827056EB75999E2EC60E807BDCC4AC4", "x", false },
        { "$6$saltsalt$8iYtNHxjWRl.NF6oNZ5tF.iKFlQREaXBLlSmZKP6dy9l5z3vsooWNW0", "hunter2", false },
    };
    for (const auto& row : rows)
        EXPECT_EQ(GrubPasswords::MatchesPbkdf2(row.text, row.typed), row.accepted) << row.text << " / " << row.typed;
    // The one with an empty salt is the PBKDF2 vector's first 16 bytes with salt "".
    const QByteArray emptySalt = GrubPasswords::Pbkdf2Sha512("x", "", 1, 16).toHex().toUpper();
    EXPECT_TRUE(GrubPasswords::MatchesPbkdf2("grub.pbkdf2.sha512.1.." + emptySalt, "x"));
}

TEST(GrubPasswordsTest, MadeTextsAreGrubsDefaultShapeWithFreshSalts)
{
    const QByteArray first = GrubPasswords::MakePbkdf2("s3cret");
    const QByteArray second = GrubPasswords::MakePbkdf2("s3cret");
    for (const QByteArray& text : { first, second }) {
        const QList<QByteArray> parts = text.split('.');
        ASSERT_EQ(parts.size(), 6) << text.constData();
        EXPECT_EQ(parts[0] + "." + parts[1] + "." + parts[2] + "." + parts[3], "grub.pbkdf2.sha512.10000");
        EXPECT_EQ(parts[4].size(), 128);
        EXPECT_EQ(parts[5].size(), 128);
        EXPECT_EQ(parts[4], parts[4].toUpper());
        EXPECT_EQ(parts[5], parts[5].toUpper());
        EXPECT_TRUE(GrubPasswords::MatchesPbkdf2(text, "s3cret"));
        EXPECT_FALSE(GrubPasswords::MatchesPbkdf2(text, "s3cre"));
    }
    EXPECT_NE(first.split('.')[4], second.split('.')[4]);
    const auto read = GrubPasswords::ReadPbkdf2(MadeByGrub);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(GrubPasswords::WritePbkdf2(*read), MadeByGrub);
}
