#include "LineSocket.h"

#include <QFile>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

bool LineSocket::Connect(const QString& path)
{
    Close();
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (name.size() >= qsizetype(sizeof(address.sun_path)))
        return false;
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    m_socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_socket >= 0 && ::connect(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0)
        return true;
    Close();
    return false;
}

bool LineSocket::Write(const QByteArray& bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t wrote
            = ::send(m_socket, bytes.constData() + done, static_cast<std::size_t>(bytes.size() - done), MSG_NOSIGNAL);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        done += wrote;
    }
    return true;
}

LineSocket::Read LineSocket::ReadLine(int milliseconds, QByteArray& line)
{
    for (;;) {
        if (const qsizetype end = m_buffer.indexOf('\n'); end >= 0) {
            line = m_buffer.left(end + 1);
            m_buffer.remove(0, end + 1);
            return Read::Line;
        }
        pollfd ready { m_socket, POLLIN, 0 };
        const int polled = ::poll(&ready, 1, milliseconds);
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled == 0)
            return Read::Waiting;
        char chunk[4096];
        const ssize_t got = polled < 0 ? -1 : ::recv(m_socket, chunk, sizeof(chunk), 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return Read::Closed;
        m_buffer.append(chunk, got);
    }
}

void LineSocket::Close()
{
    if (m_socket >= 0)
        ::close(m_socket);
    m_socket = -1;
    m_buffer.clear();
}
