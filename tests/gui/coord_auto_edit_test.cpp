#include "ui/auto_edit.h"
#include "ui/edit_validate.h"
#include "ui/info_wnd.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QInputMethodEvent>
#include <QVBoxLayout>
#include <QtTest>

#include <functional>

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

    // Text that does not come key by key meets the same filter and length limit as typing.
    void pastedDroppedAndComposedTextIsFiltered()
    {
        Build(true);
        m_Edit->SetValidator(nullptr);
        m_Edit->SetAllowedChars("0123456789");
        m_Edit->SetMaxChars(2);
        int beeps = 0;
        connect(m_Edit, &CAutoEdit::Beeped, this, [&beeps] { ++beeps; });
        const auto paste = [this](const QString& t) {
            QApplication::clipboard()->setText(t);
            QTest::keyClick(m_Edit, Qt::Key_V, Qt::ControlModifier);
        };
        const auto compose = [this](const QString& t) {
            QInputMethodEvent e;
            e.setCommitString(t);
            QApplication::sendEvent(m_Edit, &e);
        };
        const auto insert = [this](const QString& t) { m_Edit->insert(t); };  // context menu, drop
        const struct {
            std::function<void(const QString&)> enter;
            QString text;
            QString expected;
        } cases[] = {
            {paste, QStringLiteral("a\uFF11"), ""},  // a letter and a full-width digit
            {paste, "ab.c", ""},
            {paste, "a1b2c3", "12"},
            {compose, QStringLiteral("a\uFF11"), ""},
            {compose, "x7y8z9", "78"},
            {insert, "q5", "5"},
        };
        for (const auto& c : cases) {
            m_Edit->clear();
            beeps = 0;
            c.enter(c.text);
            QCOMPARE(m_Edit->text(), c.expected);
            QCOMPARE(beeps, 1);
        }
        QVERIFY(m_Edit->hasFocus());
    }
};

QTEST_MAIN(CoordAutoEditTest)
#include "coord_auto_edit_test.moc"
