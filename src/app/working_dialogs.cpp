#include "app/working_dialogs.h"

#include <vector>

#include "connection/model.h"
#include "marks/dialog_base_marks.h"
#include "radio/dialog_maxstream_base.h"
#include "radio/dialog_maxstream_rover.h"
#include "radio/dialog_microhard_base.h"
#include "radio/dialog_microhard_rover.h"
#include "radio/dialog_satel_base.h"
#include "radio/dialog_satel_rover.h"

namespace {

// The one table from mode code to working dialog.
std::vector<SWorkingDialog>& Table()
{
    static std::vector<SWorkingDialog> table = {
        {ModeCodes::BaseConfiguration, "CDialogBaseMarks", &CreateChildDialog<CDialogBaseMarks>},
        {ModeCodes::SatelBase, "CDialogSatelBase", &CreateTopLevelDialog<CDialogSatelBase>},
        {ModeCodes::SatelRover, "CDialogSatelRover", &CreateTopLevelDialog<CDialogSatelRover>},
        {ModeCodes::MicrohardRover, "CDialogMicrohardRover", &CreateTopLevelDialog<CDialogMicrohardRover>},
        {ModeCodes::MicrohardBase, "CDialogMicrohardBase", &CreateTopLevelDialog<CDialogMicrohardBase>},
        {ModeCodes::MaxstreamRover, "CDialogMaxstreamRover", &CreateTopLevelDialog<CDialogMaxstreamRover>},
        {ModeCodes::MaxstreamBase, "CDialogMaxstreamBase", &CreateTopLevelDialog<CDialogMaxstreamBase>},
    };
    return table;
}

}  // namespace

WorkingDialogFactory FindWorkingDialog(int modeCode)
{
    for (const auto& entry : Table())
        if (entry.ModeCode == modeCode)
            return entry.Create;
    return {};
}

void SetWorkingDialog(int modeCode, WorkingDialogFactory factory)
{
    for (auto& entry : Table()) {
        if (entry.ModeCode == modeCode) {
            entry.Create = std::move(factory);
            return;
        }
    }
    Table().push_back({modeCode, "", std::move(factory)});
}
