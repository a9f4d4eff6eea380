#pragma once

#include "vesa/VesaPixels.h"

#include <QByteArray>

#include <list>

// MENU BACKGROUND as read for Run Configuration, kept per file with the
// bytes and screen size it was read for: a key replays the loader and
// draws the menu again, and a 640 x 480 JPEG takes 40-60 ms to decode.
// Changed bytes (an edit, a file written anew) are read again; what is
// kept stays within Limits::KeptBackgroundBytes.
class BackgroundCache {
public:
    // The file's bytes read as ReadBackground reads them, decoded again
    // only when the file's bytes or the screen's size differ from last time.
    Vesa::Background Read(const QByteArray& file, QByteArrayView bytes, int width, int height);

    // What is kept: files, and their bytes and pixels together.
    std::size_t Files() const { return m_kept.size(); }
    qint64 Bytes() const { return m_bytes; }
    // How many reads decoded.
    int Decoded() const { return m_decoded; }

private:
    struct Kept {
        QByteArray file;
        QByteArray bytes;
        int width = 0;
        int height = 0;
        Vesa::Background background;
        qint64 Size() const;
    };
    std::list<Kept> m_kept; // the most recently used first
    qint64 m_bytes = 0;
    int m_decoded = 0;
};
