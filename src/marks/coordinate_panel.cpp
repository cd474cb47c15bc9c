#include "marks/coordinate_panel.h"

#include "marks/coordinate_conversion.h"
#include "ui/auto_edit.h"
#include "ui/language_module.h"
#include "ui/string_table.h"
#include "ui/display_text.h"
#include "ui/elided_label.h"
#include "marks/text_number.h"

#include "ui_coordinate_panel.h"

#include <QComboBox>
#include <QSpinBox>

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
constexpr SEditSettings kGrid{"-0123456789.", 13, true, ',', false, true, StringIds::AcceptsDigitsSignPoint};

// Typed grid marks keep eight decimals of a degree (about a millimetre).
constexpr int kGridMarkDecimals = 8;
constexpr int kRecentMax = 8;

// The choice and the recent choices last for the run, across openings of the dialog.
QString& CurrentChoice()
{
    static QString choice = QString::fromLatin1(CCoordinatePanel::UtmChoice);
    return choice;
}
std::vector<SGridSystem>& RecentSystems()
{
    static std::vector<SGridSystem> recent;
    return recent;
}

QString UnitSymbol(const std::string& unit)
{
    return QString::fromStdString(GridUnitSymbol(unit));
}

QString SystemTitle(const SGridSystem& s)
{
    return QStringLiteral("%1 (EPSG:%2)").arg(QString::fromStdString(s.Name), QString::fromStdString(s.Code));
}

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
        if (m_FocusSide == 0 && !m_Clearing) {
            m_Ui->altDecimalEdit->setText(t);
            m_Ui->altGridEdit->setText(t);
        }
    });
    connect(m_Ui->altDecimalEdit, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (m_FocusSide == 1 && !m_Clearing) {
            m_Ui->altDmsEdit->setText(t);
            m_Ui->altGridEdit->setText(t);
        }
    });
    connect(m_Ui->altGridEdit, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (m_FocusSide == 2 && !m_Clearing) {
            m_Ui->altDmsEdit->setText(t);
            m_Ui->altDecimalEdit->setText(t);
        }
    });
    connect(m_Ui->eastingEdit, &QLineEdit::textChanged, this, &CCoordinatePanel::OnGridChanged);
    connect(m_Ui->northingEdit, &QLineEdit::textChanged, this, &CCoordinatePanel::OnGridChanged);

    // The side that last took the focus drives the conversions; the other side only follows.
    for (EField f : {EField::LatDegrees, EField::LatMinutes, EField::LatSeconds, EField::LonDegrees,
                     EField::LonMinutes, EField::LonSeconds, EField::AltDms, EField::AltDecimal,
                     EField::LatDecimal, EField::LonDecimal, EField::Easting, EField::Northing,
                     EField::AltGrid}) {
        CAutoEdit* edit = Edit(f);
        const bool decimal = f == EField::AltDecimal || f == EField::LatDecimal || f == EField::LonDecimal;
        const bool grid = f == EField::Easting || f == EField::Northing || f == EField::AltGrid;
        const unsigned char side = grid ? 2 : decimal ? 1 : 0;
        connect(edit, &CAutoEdit::FocusEntered, this, [this, side] { m_FocusSide = side; });
        connect(edit, &CAutoEdit::FocusLeft, this, &CCoordinatePanel::UpdateAddButtons);
        // Valid values enable "Add" as they are typed, so Tab reaches it from the last field.
        connect(edit, &QLineEdit::textChanged, this, &CCoordinatePanel::UpdateAddButtons);
    }

    connect(m_Ui->addDmsButton, &QPushButton::clicked, this, &CCoordinatePanel::OnAdd);
    connect(m_Ui->addDecimalButton, &QPushButton::clicked, this, &CCoordinatePanel::OnAdd);
    connect(m_Ui->addGridButton, &QPushButton::clicked, this, &CCoordinatePanel::OnGridAdd);
    ConfigureGrid();

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
    case EField::Easting: return m_Ui->eastingEdit;
    case EField::Northing: return m_Ui->northingEdit;
    case EField::AltGrid: return m_Ui->altGridEdit;
    }
    return nullptr;
}

QPushButton* CCoordinatePanel::AddDmsButton() const { return m_Ui->addDmsButton; }
QPushButton* CCoordinatePanel::AddDecimalButton() const { return m_Ui->addDecimalButton; }
QPushButton* CCoordinatePanel::AddGridButton() const { return m_Ui->addGridButton; }
QComboBox* CCoordinatePanel::SystemChooser() const { return m_Ui->systemCombo; }

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
    Configure(m_Ui->eastingEdit, kGrid, &m_GridValidate, int(EField::Easting));
    Configure(m_Ui->northingEdit, kGrid, &m_GridValidate, int(EField::Northing));
    Configure(m_Ui->altGridEdit, kAltitude, &m_AltValidate, int(EField::AltGrid));
    m_Ui->addDmsButton->setProperty("controlId", AddDmsId);
    m_Ui->addDecimalButton->setProperty("controlId", AddDecimalId);
    m_Ui->addGridButton->setProperty("controlId", AddGridId);
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
    const QString gridTitle = text(StringIds::AddCoordinateGrid);
    m_Ui->gridGroup->setTitle(gridTitle);
    m_Ui->systemLabel->setText(text(StringIds::CoordinateSystem));
    m_Ui->systemCombo->setAccessibleName(text(StringIds::CoordinateSystem));
    m_Ui->searchLabel->setText(text(StringIds::SearchSystems));
    m_Ui->systemSearchEdit->setAccessibleName(text(StringIds::SearchSystems));
    m_Ui->zoneLabel->setText(text(StringIds::UtmZone));
    m_Ui->zoneSpin->setAccessibleName(text(StringIds::UtmZone));
    m_Ui->hemisphereCombo->setAccessibleName(text(StringIds::Hemisphere));
    if (m_Ui->hemisphereCombo->count() == 2) {
        m_Ui->hemisphereCombo->setItemText(0, text(StringIds::North));
        m_Ui->hemisphereCombo->setItemText(1, text(StringIds::South));
    }
    if (m_Ui->systemCombo->count() > 0)
        m_Ui->systemCombo->setItemText(0, text(StringIds::UtmFromLongitude));
    m_Ui->altitudeGridLabel->setText(alt);
    m_Ui->altGridEdit->setAccessibleName(alt);
    for (CAutoEdit* e : {m_Ui->eastingEdit, m_Ui->northingEdit, m_Ui->altGridEdit})
        e->setAccessibleDescription(gridTitle);
    m_Ui->addGridButton->setText(add);
    m_Ui->addGridButton->setAccessibleName(add);
    m_Ui->addGridButton->setAccessibleDescription(gridTitle);
    if (m_Grid)
        ShowSystem(nullptr);
}

void CCoordinatePanel::Clear()
{
    m_Clearing = true;
    for (EField f : {EField::LatDegrees, EField::LatMinutes, EField::LatSeconds, EField::LonDegrees,
                     EField::LonMinutes, EField::LonSeconds, EField::AltDms, EField::AltDecimal,
                     EField::LatDecimal, EField::LonDecimal, EField::Easting, EField::Northing,
                     EField::AltGrid}) {
        Edit(f)->ShowText();
        if (CInfoWnd* info = Edit(f)->InfoWindow())
            info->HideMessage();
    }
    m_Clearing = false;
    UpdateAddButtons();
    m_Ui->addGridButton->setEnabled(false);
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
    ShowGridOfDecimal();
}

void CCoordinatePanel::OnDecimalChanged(bool latitude)
{
    if (m_FocusSide != 1 || m_Clearing)
        return;
    ShowDmsOf(latitude);
    ShowGridOfDecimal();
}

void CCoordinatePanel::ShowDmsOf(bool latitude)
{
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
    const SGridResult r = GridToGeographic();
    m_Ui->addGridButton->setEnabled(r.Ok() && CanAddMark(FixedText(r.Y, kGridMarkDecimals),
                                                         FixedText(r.X, kGridMarkDecimals), Text(m_Ui->altGridEdit)));
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

// ---- Grid group -------------------------------------------------------------------------------

void CCoordinatePanel::ConfigureGrid()
{
    m_Grid = std::make_unique<CGridCoordinates>();
    m_GridValidate.Check = [this](std::string& text) { return CheckGridEdit(text); };
    m_Ui->hemisphereCombo->addItem(UiText(m_Language, StringIds::North));
    m_Ui->hemisphereCombo->addItem(UiText(m_Language, StringIds::South));
    FillChooser({});

    if (m_Grid->State() != EGridError::None) {
        for (QWidget* w : std::initializer_list<QWidget*>{m_Ui->systemCombo, m_Ui->systemSearchEdit, m_Ui->zoneSpin,
                                                         m_Ui->hemisphereCombo, m_Ui->eastingEdit,
                                                         m_Ui->northingEdit, m_Ui->altGridEdit})
            w->setEnabled(false);
        ShowSystem(nullptr);
        return;
    }
    connect(m_Ui->systemCombo, &QComboBox::currentIndexChanged, this, &CCoordinatePanel::OnChooserChanged);
    connect(m_Ui->systemSearchEdit, &QLineEdit::returnPressed, this, &CCoordinatePanel::OnSearch);
    connect(m_Ui->zoneSpin, &QSpinBox::valueChanged, this, &CCoordinatePanel::OnChooserChanged);
    connect(m_Ui->hemisphereCombo, &QComboBox::currentIndexChanged, this, &CCoordinatePanel::OnChooserChanged);
    if (!ChooseSystem(CurrentChoice()))
        ChooseSystem(QString::fromLatin1(UtmChoice));
}

void CCoordinatePanel::FillChooser(const std::vector<SGridSystem>& found)
{
    const bool was = m_Choosing;
    m_Choosing = true;
    QComboBox* c = m_Ui->systemCombo;
    c->clear();
    c->addItem(UiText(m_Language, StringIds::UtmFromLongitude), QString::fromLatin1(UtmChoice));
    for (const std::vector<SGridSystem>* list : {&std::as_const(RecentSystems()), &found})
        for (const SGridSystem& s : *list)
            if (c->findData(QString::fromStdString(s.Code)) < 0)
                c->addItem(SystemTitle(s), QString::fromStdString(s.Code));
    m_Choosing = was;
}

bool CCoordinatePanel::ChooseSystem(const QString& codeOrName)
{
    if (codeOrName == QLatin1String(UtmChoice))
        return ApplySystem(UtmChoice);
    // A name becomes its code first, so the chooser and the recent list hold codes.
    CGridCoordinates probe;
    const EGridError e = probe.Select(codeOrName.toStdString());
    if (e != EGridError::None) {
        ShowLabelText(m_Ui->systemInfoLabel, QString::fromStdString(GridMessage(e)));
        return false;
    }
    return ApplySystem(probe.System().Code);
}

bool CCoordinatePanel::ApplySystem(const std::string& code)
{
    const bool utm = code == UtmChoice;
    const EGridError e = utm ? m_Grid->SelectUtmAuto(m_Ui->zoneSpin->value(), m_Ui->hemisphereCombo->currentIndex() == 1)
                             : m_Grid->Select(code);
    if (e != EGridError::None) {
        ShowLabelText(m_Ui->systemInfoLabel, QString::fromStdString(GridMessage(e)));
        return false;
    }
    CurrentChoice() = QString::fromStdString(code);
    if (!utm) {
        auto& recent = RecentSystems();
        std::erase_if(recent, [&](const SGridSystem& s) { return s.Code == code; });
        recent.insert(recent.begin(), m_Grid->System());
        if (recent.size() > std::size_t(kRecentMax))
            recent.resize(kRecentMax);
    }
    const bool was = m_Choosing;
    m_Choosing = true;
    int index = m_Ui->systemCombo->findData(QString::fromStdString(code));
    if (index < 0) {
        FillChooser({m_Grid->System()});
        index = m_Ui->systemCombo->findData(QString::fromStdString(code));
    }
    m_Ui->systemCombo->setCurrentIndex(index);
    m_Choosing = was;
    m_Ui->zoneLabel->setVisible(utm);
    m_Ui->zoneSpin->setVisible(utm);
    m_Ui->hemisphereCombo->setVisible(utm);
    ShowSystem(nullptr);
    emit SystemChanged();
    // The side typed last stays as typed; the others follow in the new system.
    if (m_FocusSide == 2)
        OnGridChanged();
    else
        ShowGridOfDecimal();
    UpdateAddButtons();
    return true;
}

void CCoordinatePanel::OnChooserChanged()
{
    if (m_Choosing)
        return;
    ApplySystem(m_Ui->systemCombo->currentData().toString().toStdString());
}

void CCoordinatePanel::OnSearch()
{
    const QString wanted = m_Ui->systemSearchEdit->text().trimmed();
    if (wanted.isEmpty())
        return;
    const std::vector<SGridSystem> found = m_Grid->Search(wanted.toStdString());
    if (found.empty()) {
        ShowLabelText(m_Ui->systemInfoLabel, UiText(m_Language, StringIds::GridNoMatch).arg(wanted));
        return;
    }
    FillChooser(found);
    ApplySystem(found.front().Code);
}

void CCoordinatePanel::ShowSystem(const SGridTransformation* used)
{
    auto text = [this](int id) { return UiText(m_Language, id); };
    if (m_Grid->State() != EGridError::None || !m_Grid->HasSystem()) {
        ShowLabelText(m_Ui->systemInfoLabel, QString::fromStdString(GridMessage(
                                                 m_Grid->State() != EGridError::None ? m_Grid->State()
                                                                                     : EGridError::NoSystem)));
        return;
    }
    const SGridSystem& s = m_Grid->System();
    const QString unit = UnitSymbol(s.Unit);
    m_Ui->eastingLabel->setText(QStringLiteral("%1 (%2)").arg(text(StringIds::Easting), unit));
    m_Ui->northingLabel->setText(QStringLiteral("%1 (%2)").arg(text(StringIds::Northing), unit));
    m_Ui->eastingEdit->setAccessibleName(m_Ui->eastingLabel->text());
    m_Ui->northingEdit->setAccessibleName(m_Ui->northingLabel->text());

    QStringList lines{SystemTitle(s)};
    if (!s.UtmAuto && !s.AreaName.empty())
        lines << text(StringIds::AreaOfUse).arg(QString::fromStdString(s.AreaName));
    lines << text(StringIds::GridUnit).arg(QString::fromStdString(s.Unit));
    const SGridTransformation t = used ? *used : m_Grid->Transformation();
    if (!t.Name.empty()) {
        const std::string accuracy = AccuracyText(t.AccuracyMetres);
        lines << (accuracy.empty() ? text(StringIds::ConversionAccuracyUnknown).arg(QString::fromStdString(t.Name))
                                   : text(StringIds::ConversionWithAccuracy)
                                         .arg(QString::fromStdString(t.Name), QString::fromStdString(accuracy)));
    }
    if (t.Ballpark)
        lines << text(StringIds::BallparkWarning);
    ShowLabelText(m_Ui->systemInfoLabel, lines.join(QLatin1Char('\n')));
}

SGridResult CCoordinatePanel::GridToGeographic() const
{
    const std::string e = Text(m_Ui->eastingEdit);
    const std::string n = Text(m_Ui->northingEdit);
    if (!IsDecimalNumber(e) || !IsDecimalNumber(n))
        return SGridResult::Failure(EGridError::InvalidValue);
    return m_Grid->ToGeographic(TextToDouble(e), TextToDouble(n));
}

void CCoordinatePanel::OnGridChanged()
{
    if (m_FocusSide != 2 || m_Clearing)
        return;
    const SGridResult r = GridToGeographic();
    if (r.Ok()) {
        m_Ui->latDecimalEdit->setText(QString::fromStdString(FixedText(r.Y, kGridMarkDecimals)));
        m_Ui->lonDecimalEdit->setText(QString::fromStdString(FixedText(r.X, kGridMarkDecimals)));
        ShowSystem(&r.Transformation);
    } else {
        // Nothing half-converted is left standing in the other groups.
        m_Ui->latDecimalEdit->clear();
        m_Ui->lonDecimalEdit->clear();
    }
    ShowDmsOf(true);
    ShowDmsOf(false);
}

void CCoordinatePanel::ShowGridOfDecimal()
{
    if (m_Clearing || !m_Grid->HasSystem())
        return;
    const std::string lat = Text(m_Ui->latDecimalEdit);
    const std::string lon = Text(m_Ui->lonDecimalEdit);
    SGridResult r = SGridResult::Failure(EGridError::InvalidValue);
    if (IsDecimalNumber(lat) && IsDecimalNumber(lon)) {
        const double la = TextToDouble(lat), lo = TextToDouble(lon);
        if (m_Grid->System().UtmAuto) {
            // The zone follows the longitude typed; the grid group then shows that zone.
            const int zone = UtmZoneFor(la, lo);
            const bool south = la < 0;
            if (zone && (zone != m_Ui->zoneSpin->value() || south != (m_Ui->hemisphereCombo->currentIndex() == 1))) {
                const bool was = m_Choosing;
                m_Choosing = true;
                m_Ui->zoneSpin->setValue(zone);
                m_Ui->hemisphereCombo->setCurrentIndex(south ? 1 : 0);
                m_Choosing = was;
                m_Grid->SelectUtmAuto(zone, south);
            }
        }
        r = m_Grid->ToGrid(la, lo);
    }
    if (r.Ok()) {
        m_Ui->eastingEdit->setText(QString::fromStdString(FixedText(r.X, 3)));
        m_Ui->northingEdit->setText(QString::fromStdString(FixedText(r.Y, 3)));
        ShowSystem(&r.Transformation);
    } else {
        m_Ui->eastingEdit->clear();
        m_Ui->northingEdit->clear();
    }
}

std::string CCoordinatePanel::GridMessage(EGridError error) const
{
    auto text = [this](int id) { return UiText(m_Language, id); };
    QString m;
    switch (error) {
    case EGridError::None: return {};
    case EGridError::NotAvailable: m = text(StringIds::GridNotAvailable); break;
    case EGridError::NoDatabase: m = text(StringIds::GridNoDatabase); break;
    case EGridError::UnknownSystem: m = text(StringIds::GridUnknownSystem); break;
    case EGridError::NotProjected: m = text(StringIds::GridNotProjected); break;
    case EGridError::NoSystem: m = text(StringIds::GridNoSystem); break;
    case EGridError::OutsideArea:
        m = text(StringIds::GridOutsideArea).arg(SystemTitle(m_Grid->System()));
        break;
    case EGridError::InvalidValue: m = text(StringIds::GridInvalidValue); break;
    case EGridError::ConversionFailed: m = text(StringIds::GridConversionFailed); break;
    }
    return m.toStdString();
}

std::string CCoordinatePanel::CheckGridEdit(std::string& text)
{
    if (text.empty())
        return {};
    if (!IsDecimalNumber(text))
        return GridMessage(EGridError::InvalidValue);
    // The pair is checked once both are there: the other one may not be typed yet.
    if (Text(m_Ui->eastingEdit).empty() || Text(m_Ui->northingEdit).empty())
        return {};
    return GridMessage(GridToGeographic().Error);
}

void CCoordinatePanel::OnGridAdd()
{
    const SGridResult r = GridToGeographic();
    if (!r.Ok())
        return;
    const std::string lat = FixedText(r.Y, kGridMarkDecimals);
    const std::string lon = FixedText(r.X, kGridMarkDecimals);
    const QString alt = m_Ui->altGridEdit->text();
    if (!CanAddMark(lat, lon, alt.toStdString()))
        return;
    emit AddRequested(QString::fromStdString(lat), QString::fromStdString(lon), alt);
}
