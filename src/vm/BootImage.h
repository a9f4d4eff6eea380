#pragma once

#include "VmTools.h"

#include <QByteArray>
#include <QStringList>

// A bootable CD image (El Torito, no emulation) holding ISOLINUX, the
// document as boot.msg, the images it names that lie beside it (never one
// outside its folder, nor one that would replace the loader's own files),
// and a configuration that shows boot.msg and waits at the prompt for ever.
struct BootImage {
    QString iso;
    QStringList missingImages; // named with 0x18, not found beside the document
    QStringList refused; // named with 0x18, and not taken: each with why
};

// Builds the image in workFolder. A document that was never saved has no
// folder (empty): every image is missing. Throws EVmError when xorriso fails.
BootImage BuildBootImage(
    const VmTools& tools, QByteArrayView document, const QString& documentFolder, const QString& workFolder);

// The configuration the recorded screens were booted with.
inline constexpr char LoaderConfiguration[] = "SERIAL 0 115200\nDISPLAY boot.msg\nPROMPT 1\nTIMEOUT 0\n";
