// The window tests run in one QApplication on the offscreen platform (unless another is set).

#include <gtest/gtest.h>

#include <unistd.h>

#include <QApplication>

#include "WindowFixture.h"
#include "ui/QtTranslations.h"

namespace {
qrdesk::Translations* translations = nullptr;  // main's, which outlives every test
}

qrdesk::Translations& TestTranslations() {
    return *translations;
}

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // As the program does: the web engine's sandbox refuses to run as root.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QGuiApplication::setApplicationDisplayName("qrdesk");
    // The window's own texts and Qt's in Chinese, as the program shows them in a Chinese
    // locale; a test of another language switches and switches back.
    qrdesk::Translations chinese;
    translations = &chinese;
    chinese.Use(qrdesk::Language::Chinese);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
