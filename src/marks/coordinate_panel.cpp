#include "marks/coordinate_panel.h"

#include "marks/coordinate_conversion.h"
#include "ui/auto_edit.h"
#include "ui/language_module.h"
#include "ui/string_table.h"
#include "ui/display_text.h"

#include "ui_coordinate_panel.h"

namespace {

struct SEditSettings {
    const char* Allowed;
    int MaxChars;
    bool Sign;  // SingleSign and SignFirst together
    int NextFieldChar;
    // One decimal point, which a comma typed after a digit also gives ("52,2051" where the comma is
    // the decimal separator); a full field then refuses rather than moving on.
    bool Fraction;
    bool AdvanceWhenFull;
    int AcceptsTextId;
};

constexpr SEditSettings kDegrees{"0123456789-", 3, true, '.', false, true, StringIds::AcceptsDigitsSign};
constexpr SEditSettings kLonDegrees{"0123456789-", 4, true, '.', false, true, StringIds::AcceptsDigitsSign};
constexpr SEditSettings kMinutes{"0123456789", 2, false, '.', false, true, StringIds::AcceptsDigits};
constexpr SEditSettings kSeconds{"0123456789.", 5, false, ',', true, false, StringIds::AcceptsDigitsPoint};
constexpr SEditSettings kAltitude{"-0123456789.", 6, true, ',', true, true, StringIds::AcceptsDigitsSignPoint};
constexpr SEditSettings kDecimal{"-0123456789.", 16, true, ',', true, true, StringIds::AcceptsDigitsSignPoint};

void Configure(CAutoEdit* edit, const SEditSettings& s, CEditValidate* validator, int id)
{
    edit->SetAllowedChars(s.Allowed);
    edit->SetMaxChars(s.MaxChars);
    edit->SetSingleSign(s.Sign);
    edit->SetSignFirst(s.Sign);
    edit->SetNextFieldChar(s.NextFieldChar);
    edit->SetSinglePoint(s.Fraction);
    edit->SetCommaAsPoint(s.Fraction);
    edit->SetAdvanceWhenFull(s.AdvanceWhenFull);
    edit->setProperty("acceptsTextId", s.AcceptsTextId);
    edit->SetDefaultText(QString());
    edit->SetValidator(validator);
    edit->setProperty("controlId", id);
}

std::string Text(const CAutoEdit* edit) { return edit->text().toStdString(); }

}  // namespace

CCoordinatePanel::CCoordinatePanel(QWidget* parent, const CLanguageModule* language)
    : QWidget(parent), m_Ui(std::make_unique<Ui::CoordinatePanel>()), m_Language(language)
{
    m_Ui->setupUi(this);
    ConfigureEdits();
    ApplyTexts();

    for (EField f : {EField::LatDegrees, EField::LatMinutes, EField::LatSeconds}) {
        connect(Edit(f), &QLineEdit::textChanged, this, [this] { OnDmsChanged(true); });
    }
    for (EField f : {EField::LonDegrees, EField::LonMinutes, EField::LonSeconds}) {
        connect(Edit(f), &QLineEdit::textChanged, this, [this] { OnDmsChanged(false); });
    }
    connect(m_Ui->latDecimalEdit, &QLineEdit::textChanged, this, [this] { OnDecimalChanged(true); });
    connect(m_Ui->lonDecimalEdit, &QLineEdit::textChanged, this, [this] { OnDecimalChanged(false); });
    connect(m_Ui->altDmsEdit, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (m_FocusSide == 0 && !m_Clearing)
            m_Ui->altDecimalEdit->setText(t);
    });
    connect(m_Ui->altDecimalEdit, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (m_FocusSide == 1 && !m_Clearing)
            m_Ui->altDmsEdit->setText(t);
    });

    // The side that last took the focus drives the conversions; the other side only follows.
    for (EField f : {EField::LatDegrees, EField::LatMinutes, EField::LatSeconds, EField::LonDegrees,
                     EField::LonMinutes, EField::LonSeconds, EField::AltDms, EField::AltDecimal,
                     EField::LatDecimal, EField::LonDecimal}) {
        CAutoEdit* edit = Edit(f);
        const bool decimal = f == EField::AltDecimal || f == EField::LatDecimal || f == EField::LonDecimal;
        connect(edit, &CAutoEdit::FocusEntered, this, [this, decimal] { m_FocusSide = decimal ? 1 : 0; });
        connect(edit, &CAutoEdit::FocusLeft, this, &CCoordinatePanel::UpdateAddButtons);
        // Valid values enable "Add" as they are typed, so Tab reaches it from the last field.
        connect(edit, &QLineEdit::textChanged, this, &CCoordinatePanel::UpdateAddButtons);
    }

    connect(m_Ui->addDmsButton, &QPushButton::clicked, this, &CCoordinatePanel::OnAdd);
    connect(m_Ui->addDecimalButton, &QPushButton::clicked, this, &CCoordinatePanel::OnAdd);

    Clear();
}

CCoordinatePanel::~CCoordinatePanel() = default;

CAutoEdit* CCoordinatePanel::Edit(EField field) const
{
    switch (field) {
    case EField::LatDegrees: return m_Ui->latDegreesEdit;
    case EField::LatMinutes: return m_Ui->latMinutesEdit;
    case EField::LatSeconds: return m_Ui->latSecondsEdit;
    case EField::LonDegrees: return m_Ui->lonDegreesEdit;
    case EField::LonMinutes: return m_Ui->lonMinutesEdit;
    case EField::LonSeconds: return m_Ui->lonSecondsEdit;
    case EField::AltDms: return m_Ui->altDmsEdit;
    case EField::AltDecimal: return m_Ui->altDecimalEdit;
    case EField::LatDecimal: return m_Ui->latDecimalEdit;
    case EField::LonDecimal: return m_Ui->lonDecimalEdit;
    }
    return nullptr;
}

QPushButton* CCoordinatePanel::AddDmsButton() const { return m_Ui->addDmsButton; }
QPushButton* CCoordinatePanel::AddDecimalButton() const { return m_Ui->addDecimalButton; }

void CCoordinatePanel::ConfigureEdits()
{
    Configure(m_Ui->latDegreesEdit, kDegrees, &m_LatDegreesValidate, int(EField::LatDegrees));
    Configure(m_Ui->latMinutesEdit, kMinutes, &m_LatMinutesValidate, int(EField::LatMinutes));
    Configure(m_Ui->latSecondsEdit, kSeconds, &m_LatSecondsValidate, int(EField::LatSeconds));
    Configure(m_Ui->lonDegreesEdit, kLonDegrees, &m_LonDegreesValidate, int(EField::LonDegrees));
    Configure(m_Ui->lonMinutesEdit, kMinutes, &m_LonMinutesValidate, int(EField::LonMinutes));
    Configure(m_Ui->lonSecondsEdit, kSeconds, &m_LonSecondsValidate, int(EField::LonSeconds));
    Configure(m_Ui->altDmsEdit, kAltitude, &m_AltValidate, int(EField::AltDms));
    Configure(m_Ui->altDecimalEdit, kAltitude, &m_AltValidate, int(EField::AltDecimal));
    Configure(m_Ui->latDecimalEdit, kDecimal, &m_LatDecimalValidate, int(EField::LatDecimal));
    Configure(m_Ui->lonDecimalEdit, kDecimal, &m_LonDecimalValidate, int(EField::LonDecimal));
    m_Ui->addDmsButton->setProperty("controlId", AddDmsId);
    m_Ui->addDecimalButton->setProperty("controlId", AddDecimalId);
}

void CCoordinatePanel::SetLanguageModule(const CLanguageModule* language)
{
    m_Language = language;
    ApplyTexts();
}

void CCoordinatePanel::ApplyTexts()
{
    auto text = [this](int id) { return UiText(m_Language, id); };
    const QString lat = text(StringIds::Latitude);
    const QString lon = text(StringIds::Longitude);
    const QString alt = text(StringIds::Altitude);
    const QString deg = text(StringIds::Degrees);
    const QString min = text(StringIds::Minutes);
    const QString sec = text(StringIds::Seconds);
    const QString dmsTitle = text(StringIds::AddCoordinateDms);
    const QString decTitle = text(StringIds::AddCoordinateDecimal);
    const QString add = text(StringIds::Add);

    m_Ui->dmsGroup->setTitle(dmsTitle);
    m_Ui->decimalGroup->setTitle(decTitle);
    m_Ui->degreesLabel->setText(deg);
    m_Ui->minutesLabel->setText(min);
    m_Ui->secondsLabel->setText(sec);
    for (QLabel* l : {m_Ui->latitudeDmsLabel, m_Ui->latitudeDecimalLabel})
        l->setText(lat);
    for (QLabel* l : {m_Ui->longitudeDmsLabel, m_Ui->longitudeDecimalLabel})
        l->setText(lon);
    for (QLabel* l : {m_Ui->altitudeDmsLabel, m_Ui->altitudeDecimalLabel})
        l->setText(alt);
    m_Ui->addDmsButton->setText(add);
    m_Ui->addDecimalButton->setText(add);

    // One row label serves three edits, so each edit gets its own full name; the group title tells
    // the two forms apart.
    const QString space = QStringLiteral(" ");
    m_Ui->latDegreesEdit->setAccessibleName(lat + space + deg);
    m_Ui->latMinutesEdit->setAccessibleName(lat + space + min);
    m_Ui->latSecondsEdit->setAccessibleName(lat + space + sec);
    m_Ui->lonDegreesEdit->setAccessibleName(lon + space + deg);
    m_Ui->lonMinutesEdit->setAccessibleName(lon + space + min);
    m_Ui->lonSecondsEdit->setAccessibleName(lon + space + sec);
    m_Ui->altDmsEdit->setAccessibleName(alt);
    m_Ui->latDecimalEdit->setAccessibleName(lat);
    m_Ui->lonDecimalEdit->setAccessibleName(lon);
    m_Ui->altDecimalEdit->setAccessibleName(alt);
    for (CAutoEdit* e : {m_Ui->latDegreesEdit, m_Ui->latMinutesEdit, m_Ui->latSecondsEdit, m_Ui->lonDegreesEdit,
                         m_Ui->lonMinutesEdit, m_Ui->lonSecondsEdit, m_Ui->altDmsEdit})
        e->setAccessibleDescription(dmsTitle);
    for (CAutoEdit* e : {m_Ui->latDecimalEdit, m_Ui->lonDecimalEdit, m_Ui->altDecimalEdit})
        e->setAccessibleDescription(decTitle);
    m_Ui->addDmsButton->setAccessibleName(add);
    m_Ui->addDmsButton->setAccessibleDescription(dmsTitle);
    m_Ui->addDecimalButton->setAccessibleName(add);
    m_Ui->addDecimalButton->setAccessibleDescription(decTitle);

    for (CAutoEdit* e : findChildren<CAutoEdit*>()) {
        const QString full = text(StringIds::FieldFull).arg(e->GetMaxChars());
        e->SetRefusalTexts(text(e->property("acceptsTextId").toInt()), full);
        e->SetLanguageModule(m_Language);
    }
}

void CCoordinatePanel::Clear()
{
    m_Clearing = true;
    for (EField f : {EField::LatDegrees, EField::LatMinutes, EField::LatSeconds, EField::LonDegrees,
                     EField::LonMinutes, EField::LonSeconds, EField::AltDms, EField::AltDecimal,
                     EField::LatDecimal, EField::LonDecimal}) {
        Edit(f)->ShowText();
        if (CInfoWnd* info = Edit(f)->InfoWindow())
            info->HideMessage();
    }
    m_Clearing = false;
    UpdateAddButtons();
}

void CCoordinatePanel::OnDmsChanged(bool latitude)
{
    if (m_FocusSide != 0 || m_Clearing)
        return;
    CAutoEdit* d = latitude ? m_Ui->latDegreesEdit : m_Ui->lonDegreesEdit;
    CAutoEdit* m = latitude ? m_Ui->latMinutesEdit : m_Ui->lonMinutesEdit;
    CAutoEdit* s = latitude ? m_Ui->latSecondsEdit : m_Ui->lonSecondsEdit;
    CAutoEdit* target = latitude ? m_Ui->latDecimalEdit : m_Ui->lonDecimalEdit;
    // Nothing typed on one side leaves nothing on the other, rather than a made-up 0.000000.
    if (d->text().isEmpty() && m->text().isEmpty() && s->text().isEmpty())
        target->clear();
    else
        target->setText(QString::fromStdString(DmsToDecimal(Text(d), Text(m), Text(s), !latitude)));
}

void CCoordinatePanel::OnDecimalChanged(bool latitude)
{
    if (m_FocusSide != 1 || m_Clearing)
        return;
    CAutoEdit* source = latitude ? m_Ui->latDecimalEdit : m_Ui->lonDecimalEdit;
    CAutoEdit* d = latitude ? m_Ui->latDegreesEdit : m_Ui->lonDegreesEdit;
    CAutoEdit* m = latitude ? m_Ui->latMinutesEdit : m_Ui->lonMinutesEdit;
    CAutoEdit* s = latitude ? m_Ui->latSecondsEdit : m_Ui->lonSecondsEdit;
    if (source->text().isEmpty()) {
        d->clear();
        m->clear();
        s->clear();
        return;
    }
    const SDmsTexts dms = DecimalToDms(Text(source));
    d->setText(QString::fromStdString(dms.Degrees));
    m->setText(QString::fromStdString(dms.Minutes));
    s->setText(QString::fromStdString(dms.Seconds));
}

void CCoordinatePanel::UpdateAddButtons()
{
    const bool ok = CanAddMark(Text(m_Ui->latDecimalEdit), Text(m_Ui->lonDecimalEdit), Text(m_Ui->altDecimalEdit));
    m_Ui->addDmsButton->setEnabled(ok);
    m_Ui->addDecimalButton->setEnabled(ok);
}

void CCoordinatePanel::OnAdd()
{
    const QString lat = m_Ui->latDecimalEdit->text();
    const QString lon = m_Ui->lonDecimalEdit->text();
    const QString alt = m_Ui->altDecimalEdit->text();
    // What an edit still holds may be refused when it is left; check again what is stored.
    if (!CanAddMark(lat.toStdString(), lon.toStdString(), alt.toStdString()))
        return;
    emit AddRequested(lat, lon, alt);
}
