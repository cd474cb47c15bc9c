#include <QApplication>

#include "app/corrin_app.h"

int main(int argc, char** argv)
{
    // QApplication first: it takes its own options (such as -platform) out of the arguments.
    QApplication qapp(argc, argv);
    // Ties the windows to the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(VARNEL_APP_ID));
    CorrinApp app;
    return app.Run(QCoreApplication::arguments());
}
