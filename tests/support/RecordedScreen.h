#pragma once

#include "preview/ScreenSnapshot.h"

#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

// A screen equals one recorded from the real loader: its size, cursor, and
// every row's bytes, colour digits and attribute bytes.
inline void ExpectRecordedScreen(const ScreenSnapshot& screen, const QJsonObject& truth)
{
    EXPECT_EQ(screen.cols, truth[u"cols"].toInt());
    EXPECT_EQ(screen.rows, truth[u"rows"].toInt());
    EXPECT_EQ(screen.cursorColumn, truth[u"cursor"][0].toInt());
    EXPECT_EQ(screen.cursorRow, truth[u"cursor"][1].toInt());
    for (int row = 0; row < screen.rows; ++row) {
        SCOPED_TRACE("row " + std::to_string(row) + ": " + truth[u"text"][row].toString().toStdString());
        EXPECT_EQ(screen.bytes[row].toHex().toStdString(), truth[u"bytes"][row].toString().toStdString());
        EXPECT_EQ(screen.foreground[row].toStdString(), truth[u"fg"][row].toString().toStdString());
        EXPECT_EQ(screen.background[row].toStdString(), truth[u"bg"][row].toString().toStdString());
        EXPECT_EQ(screen.Attributes(row).toHex().toStdString(), truth[u"attrs"][row].toString().toStdString());
    }
}

// Whether a screen equals a recorded one, as ExpectRecordedScreen checks it;
// for shots known to differ, which must go on differing.
inline bool EqualsRecordedScreen(const ScreenSnapshot& screen, const QJsonObject& truth)
{
    bool equal = screen.cols == truth[u"cols"].toInt() && screen.rows == truth[u"rows"].toInt()
        && screen.cursorColumn == truth[u"cursor"][0].toInt() && screen.cursorRow == truth[u"cursor"][1].toInt();
    for (int row = 0; equal && row < screen.rows; ++row) {
        equal = screen.bytes[row].toHex() == truth[u"bytes"][row].toString().toLatin1()
            && screen.foreground[row] == truth[u"fg"][row].toString().toLatin1()
            && screen.background[row] == truth[u"bg"][row].toString().toLatin1()
            && screen.Attributes(row).toHex() == truth[u"attrs"][row].toString().toLatin1();
    }
    return equal;
}
