// Windows-style file masks as a table.

#include "platform/file_mask.h"

#include <gtest/gtest.h>

namespace {

struct MaskCase {
    const char* name;
    const char* fileName;
    const char* mask;
    bool matches;
};

class FileMaskTest : public ::testing::TestWithParam<MaskCase> {};

TEST_P(FileMaskTest, Matches)
{
    EXPECT_EQ(matchesFileMask(GetParam().fileName, GetParam().mask), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(
    Masks, FileMaskTest,
    ::testing::Values(MaskCase{"star_dot_star_matches_without_dot", "README", "*.*", true},
                      MaskCase{"star_dot_star_matches_dotted", "a.b.c", "*.*", true},
                      MaskCase{"extension_without_case", "List.TXT", "*.txt", true},
                      MaskCase{"other_extension", "list.csv", "*.txt", false},
                      MaskCase{"extension_is_whole", "list.txt.bak", "*.txt", false},
                      MaskCase{"question_is_one_char", "ab.lan", "a?.lan", true},
                      MaskCase{"question_needs_a_char", "a.lan", "a?.lan", false},
                      MaskCase{"star_backtracks", "mailmail.lst", "*mail.lst", true},
                      MaskCase{"several_masks", "data.dbf", "*.txt; *.dbf", true},
                      MaskCase{"several_masks_none", "data.mdx", "*.txt;*.dbf", false},
                      MaskCase{"empty_mask_matches_nothing", "x", "", false},
                      MaskCase{"exact_name", "setupkrn.ini", "SetupKrn.ini", true},
                      MaskCase{"non_ascii_without_case", "ÄRGER.txt", "ärger.*", true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
