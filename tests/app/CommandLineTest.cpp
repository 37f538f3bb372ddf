// The program's command line, run as a user runs it.
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace orv::apptest {
namespace {

struct Case {
    const char* name;
    QStringList arguments;  // "@" stands for a fresh temporary folder
    int exitCode;
    const char* stderrHas;  // "" for nothing in particular
    bool screenshotWritten;
};

TEST(CommandLine, QtOptionsAcceptedAndFailedScreenshotsReported) {
    const Case cases[] = {
        {"Qt's own options", {"-platform", "offscreen", "-style", "fusion", "-reverse", "--screenshot", "@/shot.png"},
         0, "", true},
        {"screenshot into a missing folder", {"-platform", "offscreen", "--screenshot", "@/missing/shot.png"}, 1,
         "cannot write the screenshot", false},
        {"screenshot onto a folder", {"-platform", "offscreen", "--screenshot", "@"}, 1,
         "cannot write the screenshot", false},
        {"unknown option", {"-platform", "offscreen", "--bogus"}, 2, "Unknown option 'bogus'", false},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        QStringList arguments{"--simulate"};
        for (QString a : c.arguments) arguments << a.replace(QLatin1Char('@'), dir.path());

        QProcess orvane;
        orvane.start(QStringLiteral(ORVANE_BINARY), arguments);
        ASSERT_TRUE(orvane.waitForStarted(10000)) << c.name;
        if (!orvane.waitForFinished(30000)) {
            orvane.kill();
            orvane.waitForFinished();
            ADD_FAILURE() << c.name << ": did not end";
            continue;
        }
        const QString err = QString::fromLocal8Bit(orvane.readAllStandardError());
        EXPECT_EQ(orvane.exitStatus(), QProcess::NormalExit) << c.name;
        EXPECT_EQ(orvane.exitCode(), c.exitCode) << c.name << ": " << err.toStdString();
        EXPECT_TRUE(err.contains(QString::fromUtf8(c.stderrHas))) << c.name << ": " << err.toStdString();
        EXPECT_EQ(QFileInfo(dir.filePath("shot.png")).size() > 0, c.screenshotWritten) << c.name;
    }
}

// Started where there is no display at all: one line that says so and how
// to run it instead, not Qt's page about platform plugins and an abort.
TEST(CommandLine, NoDisplayIsSaidInOneLine) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(QString::fromLatin1(name));
    QProcess orvane;
    orvane.setProcessEnvironment(environment);
    orvane.start(QStringLiteral(ORVANE_BINARY), {QStringLiteral("--simulate")});
    ASSERT_TRUE(orvane.waitForStarted(10000));
    ASSERT_TRUE(orvane.waitForFinished(30000));
    const QString err = QString::fromLocal8Bit(orvane.readAllStandardError());
    EXPECT_EQ(orvane.exitStatus(), QProcess::NormalExit) << err.toStdString();
    EXPECT_EQ(orvane.exitCode(), 1);
    EXPECT_TRUE(err.startsWith("orvane: no display found (DISPLAY is not set)")) << err.toStdString();
    EXPECT_TRUE(err.contains("tools/run.sh") && err.contains("-platform offscreen")) << err.toStdString();
    EXPECT_EQ(err.count(QLatin1Char('\n')), 1) << err.toStdString();
}

}  // namespace
}  // namespace orv::apptest
