#pragma once

#include "WidgetHelpers.h"
#include "editor/About.h"
#include "editor/DocumentEdit.h"
#include "editor/Glavna.h"
#include "editor/NARH.h"
#include "preview/Preview.h"

#include <QTextCursor>

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

    QByteArray Bytes() const { return glavna.Editor->Bytes(); }
    void SetDocument(const QByteArray& bytes, int caret = -1)
    {
        glavna.Editor->SetBytes(bytes);
        QTextCursor cursor = glavna.Editor->textCursor();
        cursor.setPosition(caret < 0 ? glavna.Editor->document()->characterCount() - 1 : caret);
        glavna.Editor->setTextCursor(cursor);
    }
    int Caret() const { return glavna.Editor->textCursor().position(); }
    // Selects from anchor to caret, as a drag would.
    void Select(int anchor, int caret)
    {
        QTextCursor selection = glavna.Editor->textCursor();
        selection.setPosition(anchor);
        selection.setPosition(caret, QTextCursor::KeepAnchor);
        glavna.Editor->setTextCursor(selection);
    }

    TGlavna glavna;
    TNARHForm help;
    TAboutBox about;
    TPreviewFR preview;
};
