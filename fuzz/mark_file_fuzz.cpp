// Mark-file bytes into the reader. What reads must write back to bytes that read the same, and a
// failed read must leave the list and settings untouched.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/base_settings.h"
#include "marks/mark_file.h"
#include "marks/mark_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    SMarkFileContents contents;
    std::string error;
    CMarkList list;
    list.AddMark("1", "2", "3");
    list.SetModified(false);
    CBaseSettings settings;
    settings.SetModified(false);

    if (!CMarkFile::Decode(bytes, contents, error, "fuzz.mrk")) {
        if (error.find("fuzz.mrk") == std::string::npos)
            __builtin_trap();
        return 0;
    }
    CMarkFile::Apply(contents, CMarkFile::ELoadMode::Append, list, settings);

    // Round trip: the list as loaded encodes to bytes that decode to the same marks and settings.
    const std::string again = CMarkFile::Encode(list, settings.GetBattery());
    SMarkFileContents reread;
    if (!CMarkFile::Decode(again, reread, error, "again.mrk"))
        __builtin_trap();
    if (reread.Marks.size() != list.Size())
        __builtin_trap();
    std::size_t i = 0;
    for (const CMark& m : list)
        if (!(reread.Marks[i++] == m))
            __builtin_trap();
    const SBatterySettings a = reread.Battery, b = settings.GetBattery();
    // Compared bit for bit: a NaN read from the file must survive too.
    if (std::string_view(reinterpret_cast<const char*>(&a), sizeof a) !=
        std::string_view(reinterpret_cast<const char*>(&b), sizeof b))
        __builtin_trap();
    return 0;
}
