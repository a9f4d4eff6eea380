#include "editor/widgets/ColourSelector.h"

#include "format/Palette.h"

#include <QKeyEvent>
#include <QRadioButton>

ColourSelector::ColourSelector(const QString& caption, int itemIndex, QWidget* parent)
    : QGroupBox(caption, parent)
{
    for (int index = 0; index < 16; ++index) {
        auto* item = new QRadioButton(QString(QLatin1Char(HexDigits[index])), this);
        item->setGeometry(6, FirstItemTop + ItemPitch * index, 33, ItemPitch);
        item->installEventFilter(this);
        connect(item, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked)
                FollowSelection();
        });
        m_items[index] = item;
    }
    SetItemIndex(itemIndex);
}

int ColourSelector::ItemIndex() const
{
    for (int index = 0; index < 16; ++index)
        if (m_items[index]->isChecked())
            return index;
    return -1;
}

void ColourSelector::SetItemIndex(int index)
{
    m_items[index]->setChecked(true);
    FollowSelection();
}

QString ColourSelector::ItemText() const { return m_items[ItemIndex()]->text(); }

void ColourSelector::FollowSelection()
{
    const int selected = ItemIndex();
    const bool hadFocus = focusProxy() && focusProxy()->hasFocus();
    for (int index = 0; index < 16; ++index)
        m_items[index]->setFocusPolicy(index == selected ? Qt::StrongFocus : Qt::ClickFocus);
    setFocusProxy(m_items[selected]);
    if (hadFocus)
        m_items[selected]->setFocus();
}

bool ColourSelector::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const int step = key == Qt::Key_Down || key == Qt::Key_Right ? 1
            : key == Qt::Key_Up || key == Qt::Key_Left               ? -1
                                                                     : 0;
        if (step != 0) {
            SetItemIndex((ItemIndex() + step + 16) % 16);
            return true;
        }
    }
    return QGroupBox::eventFilter(watched, event);
}
