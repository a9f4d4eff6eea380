#pragma once

#include "WidgetHelpers.h"
#include "editor/document/DocumentEdit.h"
#include "editor/widgets/CharacterTable.h"
#include "editor/widgets/ColourSelector.h"
#include "editor/window/About.h"
#include "editor/window/Glavna.h"
#include "editor/window/NARH.h"
#include "preview/Preview.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTextCursor>
#include <QTreeWidget>

#include <gtest/gtest.h>

// The application's four windows, created and shown as start-up does.
class EditorFixture : public ::testing::Test {
protected:
    EditorFixture()
        : help(&glavna)
        , about(&glavna)
    {
        QApplication::setApplicationDisplayName(QStringLiteral("Glimra"));
        glavna.ConnectWindows(help, about, preview);
        ShowAndWait(glavna);
    }
    ~EditorFixture() override
    {
        preview.hide();
        glavna.hide();
    }

    QByteArray Bytes() const { return Editor->Bytes(); }
    void SetDocument(const QByteArray& bytes, int caret = -1)
    {
        Editor->SetBytes(bytes);
        QTextCursor cursor = Editor->textCursor();
        cursor.setPosition(caret < 0 ? Editor->document()->characterCount() - 1 : caret);
        Editor->setTextCursor(cursor);
    }
    int Caret() const { return Editor->textCursor().position(); }
    // The codes the Problems dock lists, in its order.
    QStringList ProblemCodes() const
    {
        QStringList codes;
        const QTreeWidget* list = Find<QTreeWidget>(glavna, "ProblemList");
        for (int index = 0; index < list->topLevelItemCount(); ++index)
            codes << list->topLevelItem(index)->text(3);
        return codes;
    }
    // Selects from anchor to caret, as a drag would.
    void Select(int anchor, int caret)
    {
        QTextCursor selection = Editor->textCursor();
        selection.setPosition(anchor);
        selection.setPosition(caret, QTextCursor::KeepAnchor);
        Editor->setTextCursor(selection);
    }

    TGlavna glavna;
    TNARHForm help;
    TAboutBox about;
    TPreviewFR preview;
    // The main window's controls, as its form names them.
    DocumentEdit* Editor = Find<DocumentEdit>(glavna, "Editor");
    QLineEdit* ASCIIcode = Find<QLineEdit>(glavna, "ASCIIcode");
    QPushButton* Button1 = Find<QPushButton>(glavna, "Button1");
    CharacterTable* tastatura = Find<CharacterTable>(glavna, "tastatura");
    QCheckBox* SingleON = Find<QCheckBox>(glavna, "SingleON");
    ColourSelector* groupBG = Find<ColourSelector>(glavna, "groupBG");
    ColourSelector* GroupFG = Find<ColourSelector>(glavna, "GroupFG");
    QPushButton* InsertC = Find<QPushButton>(glavna, "InsertC");
    QPushButton* ClrScreen = Find<QPushButton>(glavna, "ClrScreen");
    QPushButton* Preview = Find<QPushButton>(glavna, "Preview");
    QLabel* kooX = Find<QLabel>(glavna, "kooX");
    QLabel* kooY = Find<QLabel>(glavna, "kooY");
    QLabel* debugy = Find<QLabel>(glavna, "debugy");
    QAction* Save1 = Find<QAction>(glavna, "Save1");
    QMenu* PopupMenu1 = Find<QMenu>(glavna, "PopupMenu1");
};
