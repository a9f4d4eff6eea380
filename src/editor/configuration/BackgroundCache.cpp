#include "editor/configuration/BackgroundCache.h"

#include "common/Limits.h"

qint64 BackgroundCache::Kept::Size() const
{
    return bytes.size() + qint64(background.screen.pixels.size()) * qint64(sizeof(background.screen.pixels[0]));
}

Vesa::Background BackgroundCache::Read(const QByteArray& file, QByteArrayView bytes, int width, int height)
{
    for (auto kept = m_kept.begin(); kept != m_kept.end(); ++kept) {
        if (kept->file != file)
            continue;
        if (kept->width == width && kept->height == height && QByteArrayView(kept->bytes) == bytes) {
            m_kept.splice(m_kept.begin(), m_kept, kept);
            return m_kept.front().background;
        }
        m_bytes -= kept->Size();
        m_kept.erase(kept);
        break;
    }
    ++m_decoded;
    Kept read { file, bytes.toByteArray(), width, height, Vesa::ReadBackground(bytes, width, height) };
    if (read.Size() > Limits::KeptBackgroundBytes)
        return read.background;
    m_bytes += read.Size();
    m_kept.push_front(std::move(read));
    while (m_bytes > Limits::KeptBackgroundBytes) {
        m_bytes -= m_kept.back().Size();
        m_kept.pop_back();
    }
    return m_kept.front().background;
}
