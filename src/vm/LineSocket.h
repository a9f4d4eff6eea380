#pragma once

#include <QByteArray>
#include <QString>

// A line-oriented client of a Unix socket, on the system's calls: all that
// QEMU's machine protocol needs, without a network library to load.
class LineSocket {
public:
    LineSocket() = default;
    LineSocket(const LineSocket&) = delete;
    LineSocket& operator=(const LineSocket&) = delete;
    ~LineSocket() { Close(); }

    bool Connect(const QString& path);
    bool Write(const QByteArray& bytes);

    enum class Read { Line, Waiting, Closed };
    // A whole line, LF included, into line when one comes within the time;
    // what comes after it waits for the next call.
    Read ReadLine(int milliseconds, QByteArray& line);

private:
    void Close();

    int m_socket = -1;
    QByteArray m_buffer;
};
