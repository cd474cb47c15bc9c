#include <gtest/gtest.h>

#include <string>

#include "ui/language_library.h"
#include "ui/string_table.h"

TEST(LanguageFiles, ShippedTranslationsCoverEveryIdAndAreTranslated)
{
    struct Case { const char* name; const char* cancel; } cases[] = {{"spanish", "Cancelar"}, {"german", "Abbrechen"}};
    for (const auto& c : cases) {
        const std::string path = std::string(VARNEL_SOURCE_DIR) + "/resources/languages/" + c.name + ".lng";
        SCOPED_TRACE(path);
        const auto lib = CLanguageLibrary::LoadFile(path);
        ASSERT_NE(lib, nullptr);
        EXPECT_EQ(lib->MalformedLines(), 0);
        const auto ids = BuiltInStringIds();
        for (int id : ids)
            EXPECT_FALSE(lib->Text(id).empty()) << "lacks id " << id;
        EXPECT_EQ(lib->Size(), ids.size()) << "unknown ids";
        EXPECT_EQ(StringIds::Last - StringIds::First + 1, 65);
        // The product name stays as it is.
        EXPECT_EQ(lib->Text(StringIds::ProductTitle), BuiltInStringText(StringIds::ProductTitle));
        EXPECT_EQ(lib->Text(StringIds::Cancel), c.cancel);
    }
    EXPECT_EQ(CLanguageLibrary::LoadFile(std::string(VARNEL_SOURCE_DIR) + "/resources/languages/german.lng")
                  ->Text(StringIds::Back),
              "Zur\xC3\xBC" "ck");  // UTF-8 umlaut
}
