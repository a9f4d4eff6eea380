#pragma once

#include <QGroupBox>

#include <array>

class QRadioButton;

// A single-choice selector of the 16 palette digits "0" to "f" in one
// column. One entry is always selected. As one stop in the tab order it
// passes the focus to its selected entry; Up and Down change the selection.
class ColourSelector : public QGroupBox {
    Q_OBJECT

public:
    ColourSelector(const QString& caption, int itemIndex, QWidget* parent = nullptr);

    int ItemIndex() const;
    void SetItemIndex(int index);
    QString ItemText() const;
    QRadioButton* Item(int index) const { return m_items[index]; }

    // The entries' vertical pitch, so legends can line up with them.
    static constexpr int ItemPitch = 16;
    static constexpr int FirstItemTop = 21; // inside the box

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FollowSelection();

    std::array<QRadioButton*, 16> m_items {};
};
