#include <QApplication>

#include "app/corrin_app.h"

int main(int argc, char** argv)
{
#ifdef VARNEL_HAVE_WEBENGINE
    // The map's embedded browser shares OpenGL contexts with the widgets; must precede QApplication.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
#endif
    // QApplication first: it takes its own options (such as -platform) out of the arguments.
    QApplication qapp(argc, argv);
    // Ties the windows to the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(VARNEL_APP_ID));
    CorrinApp app;
    return app.Run(QCoreApplication::arguments());
}
