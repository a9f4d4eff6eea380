#pragma once

#include <QSettings>

// Stores a setting only when it differs from the stored one. Every store is
// a synced write of the whole file, and windows that apply their stored
// choices at start-up would otherwise rewrite it for nothing each time.
inline void StoreSetting(const QString& key, const QVariant& value)
{
    QSettings settings;
    QVariant stored = settings.value(key);
    // The file keeps text: "true" reads back as a string.
    if (stored.isValid() && stored.convert(value.metaType()) && stored == value)
        return;
    settings.setValue(key, value);
}
