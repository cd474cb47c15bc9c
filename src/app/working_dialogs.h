#pragma once

#include <functional>

class CModel;
class CSerialPort;
class QDialog;
class QWidget;

// Creates the working dialog that a mode code names, lending it the port and the model.
// mainDialog is the main dialog; a factory decides whether its dialog is a child of it.
using WorkingDialogFactory = std::function<QDialog*(QWidget* mainDialog, CSerialPort* port, CModel* model)>;

struct SWorkingDialog {
    int ModeCode;
    const char* ClassName;
    WorkingDialogFactory Create;  // empty: the code opens nothing (yet)
};

// Factories for the table: the base configuration dialog is a child of the main dialog, the radio
// dialogs stand alone.
template <class T>
QDialog* CreateChildDialog(QWidget* mainDialog, CSerialPort* port, CModel* model)
{
    return new T(mainDialog, port, model);
}
template <class T>
QDialog* CreateTopLevelDialog(QWidget*, CSerialPort* port, CModel* model)
{
    return new T(nullptr, port, model);
}

// The factory for a mode code; empty when the code has no working dialog.
WorkingDialogFactory FindWorkingDialog(int modeCode);
// Replaces (or adds) the factory of a mode code.
void SetWorkingDialog(int modeCode, WorkingDialogFactory factory);
