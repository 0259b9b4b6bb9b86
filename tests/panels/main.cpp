#include <QApplication>
#include <gtest/gtest.h>

#include "panels/PanelFactory.h"

// The panels need a Qt application; without a display they render offscreen.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    zr::InitPanelResources();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
