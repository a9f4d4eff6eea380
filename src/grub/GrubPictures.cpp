#include "GrubPictures.h"

#include "format/Pf2Font.h"
#include "vesa/BackgroundFit.h"

#include <QHash>

#include <list>
#include <mutex>

namespace {

// The last few answers, newest first, behind one lock: exports run on
// their own thread while the window makes the side for its preview.
template <typename Key, typename Value> class Recent {
public:
    explicit Recent(std::size_t keep)
        : m_keep(keep)
    {
    }

    template <typename Make> Value Get(const Key& key, Make make)
    {
        const std::size_t hash = qHash(key);
        {
            const std::lock_guard lock(m_mutex);
            for (auto it = m_kept.begin(); it != m_kept.end(); ++it) {
                if (it->hash == hash && it->key == key) {
                    m_kept.splice(m_kept.begin(), m_kept, it);
                    return m_kept.front().value;
                }
            }
        }
        Value value = make();
        const std::lock_guard lock(m_mutex);
        m_kept.push_front({ hash, key, value });
        if (m_kept.size() > m_keep)
            m_kept.pop_back();
        return value;
    }

private:
    struct Kept {
        std::size_t hash;
        Key key;
        Value value;
    };
    std::size_t m_keep;
    std::mutex m_mutex;
    std::list<Kept> m_kept;
};

// A picture's pixels and size as one key.
QByteArray KeyOf(const Vesa::Picture& picture)
{
    QByteArray key(reinterpret_cast<const char*>(picture.pixels.data()),
        static_cast<qsizetype>(picture.pixels.size() * sizeof(Vesa::Rgb)));
    return key + QByteArray::number(picture.width) + 'x' + QByteArray::number(picture.height);
}

}

namespace GrubPictures {

Vesa::Background Background(QByteArrayView bytes, int width, int height)
{
    static Recent<QByteArray, Vesa::Background> kept(4);
    const QByteArray key = bytes.toByteArray() + '@' + QByteArray::number(width) + 'x' + QByteArray::number(height);
    return kept.Get(key, [&] { return Vesa::ReadBackground(bytes, width, height); });
}

QByteArray RgbPng(const Vesa::Picture& picture)
{
    static Recent<QByteArray, QByteArray> kept(16);
    return kept.Get(KeyOf(picture), [&] { return Vesa::WriteRgbPng(picture); });
}

QByteArray Pf2(const PcFont& font, const QByteArray& family)
{
    static Recent<QByteArray, QByteArray> kept(2);
    const QByteArray key
        = QByteArray(reinterpret_cast<const char*>(font.rows.data()), static_cast<qsizetype>(font.rows.size())) + '@'
        + QByteArray::number(font.height) + family;
    return kept.Get(key, [&] { return WritePf2(Pf2FromPcFont(font, family)); });
}

}
