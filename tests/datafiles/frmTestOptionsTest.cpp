// "Test Options": it opens on its fixed state, OK sets the output, Cancel keeps it, and any click on
// the check box switches the logging default on for good.
#include "datafiles/frmTestOptions.h"

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace corvin;
using corvin::datafiles::frmTestOptions;

namespace {

QRadioButton* Option(frmTestOptions& d, const char* name) {
    return d.findChild<QRadioButton*>(QString::fromLatin1(name));
}

QCheckBox* Box(frmTestOptions& d) {
    return d.findChild<QCheckBox*>(QStringLiteral("chkPeriodicDataLogging"));
}

TEST(TestOptions, OpensOnDefaultWithTheBoxClearWhateverTheOptionsAre) {
    TestOptions options;
    options.SaveToDataFile = false;
    options.PeriodicLoggingDefault = true;
    frmTestOptions dialog(options);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Test Options"));
    EXPECT_TRUE(Option(dialog, "optDefault")->isChecked());
    EXPECT_EQ(Option(dialog, "optDefault")->text(), QStringLiteral("Default (.Dat)"));
    EXPECT_EQ(Option(dialog, "Option1")->text(), QStringLiteral("Excel (.Xls)"));
    EXPECT_FALSE(Box(dialog)->isChecked());
    EXPECT_EQ(Box(dialog)->text(), QStringLiteral("Periodic Data Logging"));
    EXPECT_EQ(Box(dialog)->toolTip(), QStringLiteral("Set Default to ON"));
    EXPECT_EQ(
        dialog.findChild<QLabel*>(QStringLiteral("Label2"))->text(),
        QStringLiteral("Setting File Output Options other than Tarvik default will preclude reading back "
                       "files using Corvin"));
}

TEST(TestOptions, ExcelAndOkExportsAndOkOnTheNextOpeningGoesBackToDataFiles) {
    TestOptions options;
    {
        frmTestOptions dialog(options);
        dialog.show();
        QTest::mouseClick(Option(dialog, "Option1"), Qt::LeftButton);
        dialog.cmdOK_Click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_FALSE(options.SaveToDataFile);
    frmTestOptions again(options);
    again.cmdOK_Click();
    EXPECT_TRUE(options.SaveToDataFile);
}

TEST(TestOptions, CancelKeepsTheOutput) {
    TestOptions options;
    options.SaveToDataFile = false;
    frmTestOptions dialog(options);
    dialog.cmdCancel_Click();
    EXPECT_FALSE(options.SaveToDataFile);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST(TestOptions, TickingAndClearingTheBoxThenCancelStillLeavesLoggingOnByDefault) {
    TestOptions options;
    frmTestOptions dialog(options);
    dialog.show();
    QTest::mouseClick(Box(dialog), Qt::LeftButton);
    QTest::mouseClick(Box(dialog), Qt::LeftButton);
    EXPECT_FALSE(Box(dialog)->isChecked());
    dialog.cmdCancel_Click();
    EXPECT_TRUE(options.PeriodicLoggingDefault);
    EXPECT_TRUE(options.SaveToDataFile);
}

} // namespace
