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
