#include <QApplication>

#include "app/corrin_dlg.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    CorrinDlg dlg;
    dlg.exec();
    return 0;
}
