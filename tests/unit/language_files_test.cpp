#include <gtest/gtest.h>

#include <string>

#include "ui/language_library.h"
#include "ui/string_table.h"

namespace {

void ExpectCompleteTranslation(const char* name)
{
    const std::string path = std::string(VARNEL_SOURCE_DIR) + "/resources/languages/" + name + ".lng";
    const auto lib = CLanguageLibrary::LoadFile(path);
    ASSERT_NE(lib, nullptr) << path;
    EXPECT_EQ(lib->MalformedLines(), 0) << path;
    for (int id = StringIds::First; id <= StringIds::Last; ++id)
        EXPECT_FALSE(lib->Text(id).empty()) << path << " lacks id " << id;
    EXPECT_EQ(lib->Size(), static_cast<std::size_t>(StringIds::Last - StringIds::First + 1)) << path << " has unknown ids";
    // The product name stays as it is.
    EXPECT_EQ(lib->Text(StringIds::ProductTitle), BuiltInStringText(StringIds::ProductTitle));
}

}  // namespace

TEST(LanguageFiles, ShippedTranslationsCoverEveryId)
{
    ExpectCompleteTranslation("spanish");
    ExpectCompleteTranslation("german");
}

TEST(LanguageFiles, ShippedTranslationsAreTranslated)
{
    const auto es = CLanguageLibrary::LoadFile(std::string(VARNEL_SOURCE_DIR) + "/resources/languages/spanish.lng");
    const auto de = CLanguageLibrary::LoadFile(std::string(VARNEL_SOURCE_DIR) + "/resources/languages/german.lng");
    ASSERT_TRUE(es && de);
    EXPECT_EQ(es->Text(StringIds::Cancel), "Cancelar");
    EXPECT_EQ(de->Text(StringIds::Cancel), "Abbrechen");
    EXPECT_EQ(de->Text(StringIds::Back), "Zur\xC3\xBC" "ck");  // UTF-8 umlaut
}
