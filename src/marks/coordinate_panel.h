#pragma once

#include "marks/coordinate_validators.h"

#include <QPushButton>
#include <QString>
#include <QWidget>

#include <memory>

class CAutoEdit;
class CLanguageModule;

namespace Ui {
class CoordinatePanel;
}

// The mark entry of the base configuration dialog: a new mark typed in degrees/minutes/seconds or in
// decimal degrees, the two forms kept in step, each field validated when the focus leaves it, and
// two "Add" buttons that hand over the decimal form.
class CCoordinatePanel : public QWidget
{
    Q_OBJECT
public:
    // The ten edits; the values are their control ids in the base configuration dialog.
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
    };
    static constexpr int AddDmsId = 1011;
    static constexpr int AddDecimalId = 1012;

    // language may be null: the built-in English texts are used then.
    explicit CCoordinatePanel(QWidget* parent = nullptr, const CLanguageModule* language = nullptr);
    ~CCoordinatePanel() override;

    // Reloads the captions and accessible names.
    void SetLanguageModule(const CLanguageModule* language);
    // Empties every edit and disables both "Add" buttons, as when the dialog opens.
    void Clear();

    CAutoEdit* Edit(EField field) const;
    QPushButton* AddDmsButton() const;
    QPushButton* AddDecimalButton() const;

    // 0 while a degrees/minutes/seconds edit had the focus last, 1 while a decimal one had.
    int FocusSide() const { return m_FocusSide; }

signals:
    // Either "Add": the decimal latitude, longitude and altitude texts exactly as they stand. The
    // mark list ignores a mark it already holds, so pressing twice adds once.
    void AddRequested(const QString& latitude, const QString& longitude, const QString& altitude);

private:
    void ConfigureEdits();
    void ApplyTexts();
    void OnDmsChanged(bool latitude);
    void OnDecimalChanged(bool latitude);
    void UpdateAddButtons();
    void OnAdd();

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

    unsigned char m_FocusSide = 0;
    bool m_Clearing = false;
};
