#pragma once

#include "marks/coordinate_validators.h"
#include "marks/grid_coordinates.h"

#include <QPushButton>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class CAutoEdit;
class CLanguageModule;
class QComboBox;

// Checks a grid edit with a rule the panel supplies (the pair of easting and northing, the system).
class CGridEditValidate : public CEditValidate
{
public:
    std::function<std::string(std::string&)> Check;
    std::string Validate(std::string& text) override { return Check ? Check(text) : std::string(); }
};

namespace Ui {
class CoordinatePanel;
}

// The mark entry of the base configuration dialog: a new mark typed in degrees/minutes/seconds, in
// decimal degrees or as grid coordinates (UTM or a national grid, converted by CGridCoordinates), the
// three forms kept in step, each field validated when the focus leaves it, and an "Add" button in
// each group that hands over the decimal form.
class CCoordinatePanel : public QWidget
{
    Q_OBJECT
public:
    // The thirteen edits; the values are their control ids in the base configuration dialog.
    enum class EField {
        LatDegrees = 1029,
        LatMinutes = 1030,
        LatSeconds = 1031,
        LonDegrees = 1040,
        LonMinutes = 1041,
        LonSeconds = 1042,
        AltDms = 1039,
        AltDecimal = 1038,
        LatDecimal = 1036,
        LonDecimal = 1037,
        Easting = 1060,
        Northing = 1061,
        AltGrid = 1062,
    };
    static constexpr int AddDmsId = 1011;
    static constexpr int AddDecimalId = 1012;
    static constexpr int AddGridId = 1013;
    // The chooser's item data for UTM with the zone from the longitude; other items hold EPSG codes.
    static constexpr const char* UtmChoice = "UTM";

    // language may be null: the built-in English texts are used then.
    explicit CCoordinatePanel(QWidget* parent = nullptr, const CLanguageModule* language = nullptr);
    ~CCoordinatePanel() override;

    // Reloads the captions and accessible names.
    void SetLanguageModule(const CLanguageModule* language);
    // Empties every edit and disables the "Add" buttons, as when the dialog opens. The coordinate
    // system stays as chosen (for the whole run).
    void Clear();

    CAutoEdit* Edit(EField field) const;
    QPushButton* AddDmsButton() const;
    QPushButton* AddDecimalButton() const;
    QPushButton* AddGridButton() const;
    QComboBox* SystemChooser() const;
    // The grid system in use (for the list's grid columns too).
    const CGridCoordinates& Grid() const { return *m_Grid; }
    // Chooses a system by EPSG code, name, or UtmChoice; false (and the reason shown) when it fails.
    bool ChooseSystem(const QString& codeOrName);

    // 0 while a degrees/minutes/seconds edit had the focus last, 1 while a decimal one had, 2 a grid one.
    int FocusSide() const { return m_FocusSide; }

signals:
    // Either "Add": the decimal latitude, longitude and altitude texts exactly as they stand. The
    // mark list ignores a mark it already holds, so pressing twice adds once.
    void AddRequested(const QString& latitude, const QString& longitude, const QString& altitude);
    // Another coordinate system was chosen (Grid() now converts in it).
    void SystemChanged();

private:
    void ConfigureEdits();
    void ApplyTexts();
    void OnDmsChanged(bool latitude);
    void OnDecimalChanged(bool latitude);
    void ShowDmsOf(bool latitude);
    void UpdateAddButtons();
    void OnAdd();
    // Grid group.
    void ConfigureGrid();
    void FillChooser(const std::vector<SGridSystem>& found);
    void OnChooserChanged();
    void OnSearch();
    bool ApplySystem(const std::string& code);
    void ShowSystem(const SGridTransformation* used);
    void OnGridChanged();
    void ShowGridOfDecimal();
    SGridResult GridToGeographic() const;
    std::string GridMessage(EGridError error) const;
    std::string CheckGridEdit(std::string& text);
    void OnGridAdd();

    std::unique_ptr<Ui::CoordinatePanel> m_Ui;
    const CLanguageModule* m_Language = nullptr;

    CStdCoordLatValidate m_LatDegreesValidate;
    CStdCoordLat2Validate m_LatMinutesValidate;
    CStdCoordLat3Validate m_LatSecondsValidate;
    CStdCoordLonValidate m_LonDegreesValidate;
    CStdCoordLon2Validate m_LonMinutesValidate;
    CStdCoordLon3Validate m_LonSecondsValidate;
    CDecimalAltValidate m_AltValidate;  // shared by both altitude edits
    CDecimalLatValidate m_LatDecimalValidate;
    CDecimalLonValidate m_LonDecimalValidate;
    CGridEditValidate m_GridValidate;  // shared by easting and northing

    std::unique_ptr<CGridCoordinates> m_Grid;
    bool m_Choosing = false;

    unsigned char m_FocusSide = 0;
    bool m_Clearing = false;
};
