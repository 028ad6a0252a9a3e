#include "app/dialogs/CPlomeraEnterPasswordDlg.h"
#include "package/CVideoFileExtractionProgress.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QString FieldText(const QWidget& window, const char* name)
{
    const auto* label = window.findChild<QLabel*>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("(missing)");
}

TEST(PackageUiTest, ProgressWindowCountsFilesAndShowsThePercentage)
{
    CVideoFileExtractionProgress window(QStringLiteral("File Extraction in Progress ..."));
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isModal());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("File Extraction in Progress ..."));
    EXPECT_FALSE(window.windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowCloseButtonHint);
    auto* fileBar = window.findChild<QProgressBar*>(QStringLiteral("progress7032"));
    auto* totalBar = window.findChild<QProgressBar*>(QStringLiteral("progress7035"));
    ASSERT_TRUE(fileBar && totalBar);

    const char* names[] = {"first.video", "second.video", "third.video"};
    const char* counts[] = {"1 of 3", "2 of 3", "3 of 3"};
    for (int i = 0; i < 3; ++i) {
        window.StartFile(QString::fromLatin1(names[i]), 400, 3);
        EXPECT_EQ(FieldText(window, "static7033"), QLatin1String(names[i]));
        EXPECT_EQ(FieldText(window, "static7036"), QLatin1String(counts[i]));
        EXPECT_EQ(totalBar->maximum(), 3);
        EXPECT_EQ(totalBar->value(), i + 1);
        EXPECT_EQ(fileBar->maximum(), 400);
    }
    window.UpdateProgress(100);
    EXPECT_EQ(FieldText(window, "static7034"), QStringLiteral("25.00 %"));
    EXPECT_EQ(fileBar->value(), 100);
    window.UpdateProgress(133);
    EXPECT_EQ(FieldText(window, "static7034"), QStringLiteral("33.25 %"));

    // Beyond the bar's 32-bit range the bar is scaled and the percentage stays exact.
    const qint64 huge = 6LL << 30;
    window.StartFile(QStringLiteral("large.video"), huge, 1);
    window.UpdateProgress(huge / 2);
    EXPECT_EQ(FieldText(window, "static7034"), QStringLiteral("50.00 %"));
    EXPECT_GT(fileBar->maximum(), 0);
    EXPECT_EQ(fileBar->value(), fileBar->maximum() / 2);
}

struct PasswordRun {
    int result;
    QString password;
};

PasswordRun RunPasswordDialog(const std::function<void(CPlomeraEnterPasswordDlg&)>& answer)
{
    CPlomeraEnterPasswordDlg::whenShown = answer;
    CPlomeraEnterPasswordDlg dlg;
    const int result = dlg.exec();
    CPlomeraEnterPasswordDlg::whenShown = nullptr;
    return {result, dlg.password};
}

TEST(PackageUiTest, PasswordPromptReturnsWhatWasTyped)
{
    const PasswordRun typed = RunPasswordDialog([](CPlomeraEnterPasswordDlg& dlg) {
        QTest::keyClicks(dlg.Edit(), QStringLiteral("s3cr3t X"));
        EXPECT_EQ(dlg.Edit()->echoMode(), QLineEdit::Password);
        EXPECT_EQ(dlg.Edit()->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, dlg.Edit()), '*');
        EXPECT_EQ(dlg.Edit()->objectName(), QStringLiteral("edit7024"));
        QTest::keyClick(dlg.Edit(), Qt::Key_Return);
    });
    EXPECT_EQ(typed.result, QDialog::Accepted);
    EXPECT_EQ(typed.password, QStringLiteral("s3cr3t X"));

    const PasswordRun empty = RunPasswordDialog([](CPlomeraEnterPasswordDlg& dlg) { dlg.OkButton()->click(); });
    EXPECT_EQ(empty.result, QDialog::Accepted);
    EXPECT_TRUE(empty.password.isEmpty());

    const PasswordRun cancelled = RunPasswordDialog([](CPlomeraEnterPasswordDlg& dlg) {
        QTest::keyClicks(dlg.Edit(), QStringLiteral("typed"));
        dlg.CancelButton()->click();
    });
    EXPECT_EQ(cancelled.result, QDialog::Rejected);
    EXPECT_TRUE(cancelled.password.isEmpty());
}

TEST(PackageUiTest, PasswordPromptTakesItsAnswerFromTheEnvironment)
{
    qputenv(CPlomeraEnterPasswordDlg::kAnswerVariable, "ok:from the environment");
    const PasswordRun typed = RunPasswordDialog({});
    EXPECT_EQ(typed.result, QDialog::Accepted);
    EXPECT_EQ(typed.password, QStringLiteral("from the environment"));
    qputenv(CPlomeraEnterPasswordDlg::kAnswerVariable, "cancel");
    EXPECT_EQ(RunPasswordDialog({}).result, QDialog::Rejected);
    qunsetenv(CPlomeraEnterPasswordDlg::kAnswerVariable);
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
