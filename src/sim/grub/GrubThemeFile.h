#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

// A gfxmenu theme.txt as GRUB's theme loader reads it (theme_loader.c):
// "name: "value"" properties of the screen, and "+ type { name = value }"
// components, values quoted, in parentheses or one word; '#' starts a
// comment where a property or component could start.
struct GrubThemeComponent {
    QByteArray type; // boot_menu, label, image, ...
    std::vector<std::pair<QByteArray, QByteArray>> properties; // in the file's order
    std::vector<GrubThemeComponent> children; // of a container (canvas, vbox, hbox)

    // The last value given for a property, as GRUB keeps the last.
    std::optional<QByteArray> Value(const char* name) const;
};

struct GrubThemeFile {
    std::vector<std::pair<QByteArray, QByteArray>> properties;
    std::vector<GrubThemeComponent> components; // in the file's order
    std::optional<QByteArray> Value(const char* name) const;
};

// The theme, or why GRUB's loader refuses it (the whole theme then, and
// GRUB falls back to its text menu): a property of the screen it does not
// know or whose value is not quoted, an unknown component type, a missing
// '{', '=' or ':'.
struct GrubThemeReading {
    std::optional<GrubThemeFile> theme;
    QString problem;
};
GrubThemeReading ReadGrubTheme(const QByteArray& text);

// A left/top/width/height value ("20", "50%", "50%-10") as GRUB reckons it
// against the parent's size: whole percentages in 16.16 fixed point.
int GrubProportional(const QByteArray& value, int parentSize);
