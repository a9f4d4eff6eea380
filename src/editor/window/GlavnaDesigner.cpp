// The Menu Designer beside the configuration: it designs the configuration
// the session has open, Run Configuration follows its changes at once, and
// the two follow each other's choice of entry.
#include "editor/background/BackgroundPanel.h"
#include "editor/configuration/ConfigurationSession.h"
#include "editor/configuration/RunConfiguration.h"
#include "editor/designer/DesignerDock.h"
#include "editor/designer/MenuDesigner.h"
#include "editor/widgets/PasswordDialog.h"
#include "editor/window/Glavna.h"

#include <QTabWidget>

void TGlavna::SetUpDesigner()
{
    m_designer = new MenuDesigner(*this);
    m_designer->SetPasswordSource([this]() -> std::optional<QByteArray> {
        const QByteArray hash = PasswordDialog::Ask(this);
        return hash.isEmpty() ? std::nullopt : std::optional(hash);
    });
    connect(m_configuration, &ConfigurationSession::Read, this, [this] {
        if (m_designer->ConfigFile() != m_configuration->ConfigFile())
            m_designer->SetConfiguration(m_configuration->ConfigFile());
    });
    connect(m_designer, &MenuDesigner::Changed, this, [this] { m_configuration->FollowNow(); });
    connect(m_designer, &MenuDesigner::SelectionMoved, this, [this](int menu, int entry) {
        if (DesignerPlays())
            m_configuration->Window()->Highlight(menu, entry);
    });
}

// Whether the played menu is the one the designer shows: the same files read.
bool TGlavna::DesignerPlays()
{
    const RunConfigurationWindow* window = m_configuration->Window();
    const MenuSim* menu = window && window->Loader() ? window->Loader()->RunningMenu() : nullptr;
    const Design::MenuDesign* model = m_designer->Model();
    if (!menu || !model || !model->HasMenu() || menu->Config().files.size() != model->Menus().files.size())
        return false;
    for (std::size_t index = 0; index < menu->Config().files.size(); ++index) {
        if (menu->Config().files[index].imagePath != model->Menus().files[index].imagePath)
            return false;
    }
    return true;
}

void TGlavna::LinkDesigner()
{
    RunConfigurationWindow* window = m_configuration->Window();
    if (!window || window == m_linkedRun)
        return;
    m_linkedRun = window;
    connect(window, &RunConfigurationWindow::EntryClicked, this, [this](int menu, int entry) {
        if (entry >= 0 && DesignerPlays())
            m_designer->Select({ menu, entry });
    });
    // The contrast check measures the screen the loader drew, while the page shows.
    connect(window, &RunConfigurationWindow::MenuDrawn, this,
        [this](const Vesa::MenuFrame& frame, const Vesa::Picture& picture, const Vesa::Font& font) {
            DesignerDock* dock = m_designer->Dock();
            if (dock->isVisible() && dock->Pages()->currentWidget() == dock->Background() && DesignerPlays())
                dock->Background()->SetScreen(frame, picture, font);
        });
    connect(window, &RunConfigurationWindow::EntryDoubleClicked, this, [this](int menu, int entry) {
        if (DesignerPlays())
            m_designer->EditName({ menu, entry });
    });
}
