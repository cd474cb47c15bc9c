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
        m_Edit = new CAutoEdit(m_Dialog);
        m_Other = new CAutoEdit(m_Dialog);
        layout->addWidget(m_Edit);
        layout->addWidget(m_Other);
        if (withCancel) {
            m_Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, m_Dialog);
            layout->addWidget(m_Buttons);
        }
        m_Edit->SetValidator(&m_Refuse);
        m_Dialog->move(100, 200);
        m_Dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_Dialog));
        m_Dialog->activateWindow();
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

    void placementAboveTheControl()
    {
        // Control at (10, 100); a text 50 wide in a font 13 high with descent 3.
        const QRect r = CInfoWnd::Placement(10, 100, 50, 13, 3);
        QCOMPARE(r.top(), 100 - 2 - 18 - 1);
        QCOMPARE(r.left(), 7);
        QCOMPARE(r.width(), 55);
        QCOMPARE(r.height(), 18);
    }

    void refusalShowsMessageOnce()
    {
        Build(true);
        m_Edit->setText("12");
        m_Other->setFocus(Qt::TabFocusReason);
        QVERIFY(m_Edit->hasFocus());
        QCOMPARE(m_Edit->text(), QStringLiteral("12!"));  // the rewritten text is kept
        QCOMPARE(m_Edit->selectedText(), QStringLiteral("12!"));
        CInfoWnd* info = m_Edit->InfoWindow();
        QVERIFY(info->isVisible());
        QCOMPARE(info->MessageText(), QStringLiteral(" No. "));
        QCOMPARE(m_Refuse.Calls, 1);
        // Shown again while visible: left as it is.
        info->ShowMessageAt(m_Edit, "Other");
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

    void twoRefusingEditsDoNotFightForTheFocus()
    {
        Build(true);
        CRefuse second;
        m_Other->SetValidator(&second);
        m_Other->setFocus(Qt::TabFocusReason);
        QVERIFY(m_Edit->hasFocus());
        QCOMPARE(m_Refuse.Calls, 1);
        QCOMPARE(second.Calls, 0);
        QVERIFY(!m_Other->InfoWindow()->isVisible());
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
