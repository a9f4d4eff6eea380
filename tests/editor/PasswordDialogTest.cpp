// Set Password: what each pair of fields gives, and the message when it
// gives nothing.
#include "editor/widgets/PasswordDialog.h"
#include "WidgetHelpers.h"
#include "config/MenuPasswords.h"

#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

TEST(PasswordDialogTest, TwoEqualFieldsGiveTheirHashAndNothingElseDoes)
{
    const struct {
        QString first, second;
        const char* typed; // the bytes the menu takes; nullptr when refused
        const char* message; // part of the message when refused
    } rows[] = {
        { "hunter2", "hunter2", "hunter2", "" },
        { "pass word ~", "pass word ~", "pass word ~", "" },
        { "", "", nullptr, "empty" },
        { "", "hunter2", nullptr, "empty" },
        { "hunter2", "hunter3", nullptr, "differ" },
        { "hunter2", "", nullptr, "differ" },
        { QString::fromUtf8("caf\u00e9"), QString::fromUtf8("caf\u00e9"), "caf\x82", "" },
        { QString::fromUtf8("\u20ac"), QString::fromUtf8("\u20ac"), nullptr, "cannot take" },
        { "a\tb", "a\tb", nullptr, "cannot take" },
    };
    for (const auto& row : rows) {
        PasswordDialog dialog;
        Find<QLineEdit>(dialog, "password")->setText(row.first);
        Find<QLineEdit>(dialog, "passwordAgain")->setText(row.second);
        dialog.accept();
        const QString message = Find<QLabel>(dialog, "passwordMessage")->text();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, row.typed != nullptr) << row.first.toStdString();
        EXPECT_EQ(dialog.Hash().isEmpty(), row.typed == nullptr) << row.first.toStdString();
        EXPECT_TRUE(message.contains(QString::fromUtf8(row.message))) << message.toStdString();
        if (row.typed) {
            EXPECT_TRUE(dialog.Hash().startsWith("$6$"));
            EXPECT_TRUE(MenuPasswords::Matches(dialog.Hash(), row.typed)) << row.typed;
        }
    }
}

TEST(PasswordDialogTest, AskGivesNothingWhenCancelled)
{
    QTimer::singleShot(0, [] {
        if (auto* dialog = qobject_cast<PasswordDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    EXPECT_TRUE(PasswordDialog::Ask(nullptr).isEmpty());
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<PasswordDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        Find<QLineEdit>(*dialog, "password")->setText("pw");
        Find<QLineEdit>(*dialog, "passwordAgain")->setText("pw");
        dialog->accept();
    });
    EXPECT_TRUE(MenuPasswords::Matches(PasswordDialog::Ask(nullptr), "pw"));
}
