#include <QApplication>

#include "app/corrin_app.h"

int main(int argc, char** argv)
{
    // QApplication first: it takes its own options (such as -platform) out of the arguments.
    QApplication qapp(argc, argv);
    CorrinApp app;
    return app.Run(QCoreApplication::arguments());
}
