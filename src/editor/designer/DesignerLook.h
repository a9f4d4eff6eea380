#pragma once

#include "config/MenuColours.h"
#include "design/MenuDesign.h"

#include <QWidget>

#include <array>

class MenuDesigner;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// The Look page: the chosen menu's title, a MENU COLOR for any element
// (its ANSI part, the graphical menu's #aarrggbb colours and shadow, and a
// warning while the text cannot be seen), the layout numbers in the
// module's range, TABMSG, AUTOBOOT, TIMEOUT, RESOLUTION and BACKGROUND.
// Each is written when its field is left or its button pressed.
class DesignerLook : public QWidget {
    Q_OBJECT

public:
    DesignerLook(MenuDesigner& designer, QWidget* parent);

    void Show(const Design::MenuDesign* model, int menu);
    int Menu() const { return m_menu; }
    // The title's field with its text chosen.
    void EditTitle(int menu);

private:
    QWidget* CreateColours();
    QWidget* CreateLayout();
    QLineEdit* AddText(class QFormLayout* form, const char* name, const QString& title, Design::Setting setting);
    void ShowColour();
    void MarkContrast();
    void Write(const Design::Setting& setting, const QByteArray& value);
    void PickArgb(bool foreground);

    MenuDesigner& m_designer;
    const Design::MenuDesign* m_model = nullptr;
    int m_menu = MenuConfig::RootMenu;
    bool m_filling = false;
    QComboBox* m_menus = nullptr;
    QLineEdit* m_title = nullptr;
    QComboBox* m_element = nullptr;
    QComboBox* m_ansiForeground = nullptr;
    QComboBox* m_ansiBackground = nullptr;
    QCheckBox* m_bright = nullptr;
    QCheckBox* m_blink = nullptr;
    QCheckBox* m_reverse = nullptr;
    QPushButton* m_foreground = nullptr;
    QPushButton* m_background = nullptr;
    QComboBox* m_shadow = nullptr;
    QLabel* m_contrast = nullptr;
    Argb m_argbForeground = 0;
    Argb m_argbBackground = 0;
    std::array<QSpinBox*, MenuParamCount> m_params {};
    QLineEdit* m_tabMsg = nullptr;
    QLineEdit* m_autoBoot = nullptr;
    QSpinBox* m_timeout = nullptr;
    QLineEdit* m_resolution = nullptr;
    QLineEdit* m_backgroundName = nullptr;
};
