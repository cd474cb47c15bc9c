#include "radio/maxstream_ui.h"

#include <QComboBox>

#include "radio/maxstream_dialect.h"
#include "radio/radio_timing.h"

namespace MaxstreamUi {

void FillRadioIds(QComboBox* combo, int selected)
{
    for (int id = 0; id <= Maxstream::MaxRadioId; ++id)
        combo->addItem(QString::number(id), id);
    combo->setCurrentIndex(selected >= 0 && selected <= Maxstream::MaxRadioId ? selected : -1);
}

std::optional<SQueryResult> ReadRadioId(QComboBox* combo, CRadioLink& link)
{
    const SQueryResult result = RunQuery(link, Maxstream::QueryRadioId, Maxstream::ValueRule());
    const std::optional<int> id = result.Ok ? Maxstream::RadioIdFromValue(result.Value) : std::nullopt;
    combo->setCurrentIndex(id ? *id : -1);
    if (id)
        return std::nullopt;
    SQueryResult failure = result;
    if (result.Ok)  // an answer, but no ID of 0..9: report what the radio said
        failure.Reply = PlainRadioText(result.Value, RadioTiming::ShownReplyLength);
    return failure;
}

}  // namespace MaxstreamUi
