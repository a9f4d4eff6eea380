// Feeds arbitrary bytes to the ELF reader that names a module's libraries
// and checks what must hold: at most the loader's 64, each a non-empty
// last path component of at most 255 bytes, none when it says why not.
#include "FuzzChecks.h"
#include "common/Limits.h"
#include "config/Modules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const ModuleLibraries read = ReadModuleLibraries(bytes);
    Require(read.names.size() <= Limits::ModuleLibraries, "more libraries than the loader loads");
    Require(read.problem.isEmpty() || read.names.isEmpty(), "names beside a refusal");
    for (const QByteArray& name : read.names) {
        Require(!name.isEmpty() && name.size() <= Limits::ModuleNameBytes, "a name the loader cannot keep");
        Require(!name.contains('/') && !name.contains('\0'), "a name with a path or a NUL");
        Require(bytes.contains(name), "a name not in the file");
    }
    Require(NeededLibraries(bytes) == read.names, "the names alone differ");
    return 0;
}
