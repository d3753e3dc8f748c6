#include "term_sort_key.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

enum class Order { Before, Same, After };

struct OrderCase {
    const char* name;
    const char* a;
    const char* b;
    Order order;
    friend std::ostream& operator<<(std::ostream& os, const OrderCase& c) { return os << c.name; }
};

class TermOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(TermOrder, ComparesLikeAGermanDictionary)
{
    const OrderCase& c = GetParam();
    const std::string ka = termSortKey(c.a);
    const std::string kb = termSortKey(c.b);
    switch (c.order) {
    case Order::Before:
        EXPECT_LT(ka, kb);
        break;
    case Order::Same:
        EXPECT_EQ(ka, kb);
        break;
    case Order::After:
        EXPECT_GT(ka, kb);
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TermOrder,
    ::testing::Values(OrderCase{"alphabet", "Apfel", "Birne", Order::Before},
                      OrderCase{"case_is_ignored", "bank", "Bank", Order::Same},
                      OrderCase{"case_ignored_inside", "McDonald", "Mcdonald", Order::Same},
                      OrderCase{"umlaut_beside_base_letter", "\xC4hre", "Ahrf", Order::Before},
                      OrderCase{"umlaut_after_plain_letter", "Ahre", "\xC4hre", Order::Before},
                      OrderCase{"umlaut_before_next_letter", "\xC4hre", "Apfel", Order::Before},
                      OrderCase{"sharp_s_is_ss",
                                "Stra\xDF"
                                "e",
                                "Strasse", Order::After},
                      OrderCase{"sharp_s_before_st",
                                "Stra\xDF"
                                "e",
                                "Strat", Order::Before},
                      OrderCase{"prefix_first", "Haus", "Hausaufgabe", Order::Before},
                      OrderCase{"blank_before_letters", "Haus tier", "Hausarzt", Order::Before},
                      OrderCase{"digits_before_letters", "2 Tage", "Abend", Order::Before},
                      OrderCase{"digits_in_order", "1", "9", Order::Before},
                      OrderCase{"punctuation_before_digits", "!", "0", Order::Before},
                      OrderCase{"accent_order_in_french",
                                "\xE9"
                                "t\xE9",
                                "ete", Order::After},
                      OrderCase{"ligature_ae", "\xC6sop", "Aesop", Order::After},
                      OrderCase{"ligature_ae_before_af", "\xC6sop", "Af", Order::Before},
                      OrderCase{"caron_s",
                                "\x8A"
                                "koda",
                                "Skoda", Order::After},
                      OrderCase{"empty_first", "", "a", Order::Before},
                      // Keys of plain letters end after the first level.
                      OrderCase{"plain_pair_before_ligature", "ss", "\xDF", Order::Before},
                      OrderCase{"first_level_before_accent", "ete", "\xE9t", Order::After},
                      OrderCase{"later_accent_decides", "\xE9t\xE9", "\xE9te", Order::After},
                      OrderCase{"case_beside_symbols", "A!b", "a!B", Order::Same},
                      // Hyphen and apostrophe weigh nothing until everything else is equal.
                      OrderCase{"hyphen_skipped", "Ecke", "E-Mail", Order::Before},
                      OrderCase{"apostrophe_skipped", "Rockmusik", "Rock'n'Roll", Order::Before},
                      OrderCase{"hyphenated_after_plain", "coop", "co-op", Order::Before},
                      OrderCase{"apostrophe_after_plain", "Ottos", "Otto's", Order::Before},
                      OrderCase{"fewer_hyphens_first", "co-op", "co--op", Order::Before},
                      OrderCase{"later_hyphen_first", "coo-p", "co-op", Order::Before},
                      OrderCase{"accent_before_hyphen", "c\xF6op", "c\xF6-op", Order::Before},
                      OrderCase{"accent_outweighs_hyphen", "co-op", "c\xF6op", Order::Before},
                      OrderCase{"case_ignored_with_hyphen", "E-mail", "e-Mail", Order::Same},
                      OrderCase{"other_symbols_keep_weight", "Haus/Tier", "Hausarzt",
                                Order::Before}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TermSortKey, HoldsNoZeroByteButTheLevelSeparator)
{
    std::string all;
    for (int c = 1; c < 256; ++c)
        all.push_back(static_cast<char>(c));
    const std::string key = termSortKey(all);
    EXPECT_EQ(std::count(key.begin(), key.end(), '\0'), 1);
}

} // namespace
