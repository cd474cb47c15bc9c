#include "ui/auto_edit.h"
#include "ui/edit_validate.h"
#include "ui/info_wnd.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// Refuses everything and counts its calls.
class CRefuse : public CEditValidate
{
public:
    int Calls = 0;
    std::string Validate(std::string& text) override
    {
        ++Calls;
        text += "!";
        return "No.";
    }
};

}  // namespace

class CoordAutoEditTest : public QObject
{
    Q_OBJECT

    QDialog* m_Dialog = nullptr;
    CAutoEdit* m_Edit = nullptr;
    CAutoEdit* m_Other = nullptr;
    QDialogButtonBox* m_Buttons = nullptr;
    CRefuse m_Refuse;

    void Build(bool withCancel)
    {
        m_Dialog = new QDialog;
        auto* layout = new QVBoxLayout(m_Dialog);
        layout->addWidget(m_Edit = new CAutoEdit(m_Dialog));
        layout->addWidget(m_Other = new CAutoEdit(m_Dialog));
        if (withCancel)
            layout->addWidget(m_Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel));
        m_Edit->SetValidator(&m_Refuse);
        m_Dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_Dialog));
        QApplication::setActiveWindow(m_Dialog);
        m_Edit->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(m_Edit->hasFocus());
        m_Refuse.Calls = 0;
    }

private slots:
    void cleanup()
    {
        delete m_Dialog;
        m_Dialog = nullptr;
        m_Buttons = nullptr;
    }

    void refusalKeepsTheFocusAndShowsTheMessageOnce()
    {
        Build(true);
        CRefuse second;  // a second refusing edit must not take the focus back in turn
        m_Other->SetValidator(&second);
        m_Edit->setText("12");
        m_Other->setFocus(Qt::TabFocusReason);
        QVERIFY(m_Edit->hasFocus());
        QCOMPARE(m_Edit->text(), QStringLiteral("12!"));  // the rewritten text is kept
        QCOMPARE(m_Edit->selectedText(), QStringLiteral("12!"));
        QCOMPARE(m_Refuse.Calls, 1);
        QCOMPARE(second.Calls, 0);
        QVERIFY(!m_Other->InfoWindow()->isVisible());
        CInfoWnd* info = m_Edit->InfoWindow();
        QVERIFY(info->isVisible());
        QCOMPARE(info->MessageText(), QStringLiteral(" No. "));
        info->ShowMessageAt(m_Edit, "Other");  // shown again while visible: left as it is
        QCOMPARE(info->MessageText(), QStringLiteral(" No. "));
    }

    void focusToCancelSkipsValidation()
    {
        Build(true);
        m_Buttons->button(QDialogButtonBox::Cancel)->setFocus(Qt::MouseFocusReason);
        QVERIFY(m_Buttons->button(QDialogButtonBox::Cancel)->hasFocus());
        QCOMPARE(m_Refuse.Calls, 0);
        QVERIFY(!m_Edit->InfoWindow()->isVisible());
    }

    void otherApplicationWithoutCancelSkipsValidation()
    {
        Build(false);
        QApplication::setActiveWindow(nullptr);
        QCOMPARE(m_Refuse.Calls, 0);
        QVERIFY(!m_Edit->InfoWindow()->isVisible());
    }

    void pastedTextIsNotFiltered()
    {
        Build(true);
        m_Edit->SetValidator(nullptr);
        m_Edit->SetAllowedChars("0123456789");
        QApplication::clipboard()->setText("ab.c");
        QTest::keyClick(m_Edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(m_Edit->text(), QStringLiteral("ab.c"));
        QVERIFY(m_Edit->hasFocus());
    }
};

QTEST_MAIN(CoordAutoEditTest)
#include "coord_auto_edit_test.moc"
