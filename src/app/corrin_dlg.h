#pragma once

#include <QDialog>

class CModel;

// The start window. The application gives it the model before it is shown.
class CorrinDlg : public QDialog {
    Q_OBJECT
public:
    explicit CorrinDlg(QWidget* parent = nullptr);
    ~CorrinDlg() override;

    void SetModel(CModel* model) { m_Model = model; }

private:
    CModel* m_Model = nullptr;
};
