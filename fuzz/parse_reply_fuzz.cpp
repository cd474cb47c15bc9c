// Received bytes, cut by the sentence splitter, into the base's reply parser: the path every byte
// from the serial line takes while the base configuration dialog is open.

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/base_settings.h"
#include "base/base_status.h"
#include "base/command_processor.h"
#include "connection/model.h"
#include "marks/mark.h"
#include "marks/mark_list.h"
#include "serial/callback.h"
#include "serial/sentence_splitter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CMarkList marks;
    CBaseSettings settings;
    CMark reference("0", "0", "0");
    CBaseStatus status(&settings, &marks, &reference);
    CModel model;
    CCommandProcessor processor(&status, &model);
    TCallback<CCommandProcessor> onSentence(&processor, &CCommandProcessor::ParseReply);
    CSentenceSplitter splitter(&onSentence);

    // The first byte sets the chunk size, as reads of the port return what has arrived so far.
    if (size == 0)
        return 0;
    const std::size_t chunk = static_cast<std::size_t>(data[0] % 64) + 1;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    std::size_t left = size - 1;
    while (left > 0) {
        const std::size_t n = left < chunk ? left : chunk;
        splitter.FeedChunk(bytes, static_cast<int>(n));
        bytes += n;
        left -= n;
    }

    // Whatever arrived, the list keeps its invariant: no two marks with identical texts.
    std::size_t count = 0;
    for (const CMark& m : marks) {
        if (!marks.Contains(m.GetLatitude(), m.GetLongitude(), m.GetAltitude()))
            __builtin_trap();
        ++count;
    }
    if (count != marks.Size())
        __builtin_trap();
    return 0;
}
