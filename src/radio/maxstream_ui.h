#pragma once

// The radio ID drop-down the two Maxstream dialogs share.

#include <optional>

#include "radio/radio_query.h"

class QComboBox;

namespace MaxstreamUi {
// Entries "0".."9" with their numbers as item data; `selected` outside 0..9 selects none.
void FillRadioIds(QComboBox* combo, int selected);
// Asks the radio for its ID ("ATDT?") and selects it. When the query failed or the radio reported
// no ID of 0..9, selects none and returns what to report.
std::optional<SQueryResult> ReadRadioId(QComboBox* combo, CRadioLink& link);
}  // namespace MaxstreamUi
