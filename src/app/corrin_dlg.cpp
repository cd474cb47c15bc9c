#include "app/corrin_dlg.h"

CorrinDlg::CorrinDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Varnel Link Manager"));
}

CorrinDlg::~CorrinDlg() = default;
