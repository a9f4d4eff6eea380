#include "vm/LineSocket.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

// QEMU's side, played by a server that answers slowly, in pieces, and then
// hangs up: a line comes whole however it arrives, a slow answer is waited
// for, not taken for an end.
TEST(LineSocketTest, ReadsWholeLinesWaitsForSlowOnesAndSeesTheEnd)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("qmp.sock"));
    LineSocket client;
    EXPECT_FALSE(client.Connect(path)) << "nobody listens yet";
    EXPECT_FALSE(client.Connect(QString(200, u'x'))) << "longer than a socket's name";

    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    ASSERT_EQ(::bind(server, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(::listen(server, 1), 0);
    QByteArray received;
    std::thread qemu([&] {
        const int peer = ::accept(server, nullptr, nullptr);
        ::send(peer, "greeting\npart", 13, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ::send(peer, "ial\n", 4, 0);
        char chunk[64];
        const ssize_t got = ::recv(peer, chunk, sizeof(chunk), 0);
        received = QByteArray(chunk, static_cast<qsizetype>(std::max<ssize_t>(got, 0)));
        ::close(peer);
    });
    ASSERT_TRUE(client.Connect(path));
    QByteArray line;
    EXPECT_EQ(client.ReadLine(1000, line), LineSocket::Read::Line);
    EXPECT_EQ(line, "greeting\n");
    EXPECT_EQ(client.ReadLine(50, line), LineSocket::Read::Waiting);
    EXPECT_EQ(client.ReadLine(2000, line), LineSocket::Read::Line);
    EXPECT_EQ(line, "partial\n");
    EXPECT_TRUE(client.Write("{\"execute\":\"quit\"}\n"));
    EXPECT_EQ(client.ReadLine(2000, line), LineSocket::Read::Closed);
    qemu.join();
    ::close(server);
    EXPECT_EQ(received, "{\"execute\":\"quit\"}\n");
}
