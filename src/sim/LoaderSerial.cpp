// What a terminal on the loader's SERIAL port receives.
#include "LoaderSim.h"

#include "config/ConfigSet.h"

void LoaderSim::ToPort(QByteArrayView bytes)
{
    if (!m_portOpen)
        return;
    for (char byte : bytes)
        m_port += byte == '\n' ? QByteArray("\r\n") : QByteArray(1, byte);
}

// A menu module's console writes the port too; what it sent goes after
// what the loader sent before it.
void LoaderSim::TakeMenuSerial()
{
    if (m_menu)
        m_port += m_menu->TakeSerial();
}

// SERIAL read: ldlinux.c32 says its banner on the port once ("show some
// life"); the name the banner gives is the loader's, PXELINUX's with the
// firmware's word in it.
void LoaderSim::OpenPort()
{
    if (m_portOpen || !m_config.serial)
        return;
    m_portOpen = true;
    if (m_version.AssemblyCore())
        return;
    const QByteArray date = m_version.banner.mid(m_version.banner.lastIndexOf(' ') + 1);
    if (LoaderPlaceOf(m_files.ConfigPath()).pxe)
        m_port += "\r\nPXELINUX " + m_version.Name().toLatin1() + " PXE " + date + ' ' + m_version.copyright + "\r\n";
    else
        m_port += "\r\n" + m_version.banner + "  " + m_version.copyright + "\r\n";
}

std::size_t LoaderSim::DirectiveAt(const ConfigPlace& place) const
{
    for (std::size_t index = 0; index < m_config.directives.size(); ++index) {
        const ConfigPlace& other = m_config.directives[index].place;
        if (other.line == place.line && other.file == place.file)
            return index;
    }
    return m_config.directives.size();
}

std::size_t LoaderSim::SerialDirective() const
{
    for (std::size_t index = 0; index < m_config.directives.size(); ++index) {
        if (m_config.directives[index].keyword == "serial")
            return index;
    }
    return m_config.directives.size();
}
