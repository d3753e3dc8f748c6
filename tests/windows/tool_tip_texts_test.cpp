#include "tool_tip_texts.h"

#include <set>

#include <gtest/gtest.h>

namespace {

TEST(ToolTipTexts, OneTextPerControlAndNoneForStatusLineAndListBoxes)
{
    std::set<int> ids;
    for (const ToolTipRow& row : kToolTipTable) {
        EXPECT_TRUE(ids.insert(row.controlId).second) << "id " << row.controlId << " twice";
        EXPECT_FALSE(row.text.empty()) << "id " << row.controlId;
    }
    for (const int bare : {113, 114, 115})
        EXPECT_TRUE(toolTipText(bare).empty()) << "id " << bare;
}

TEST(ToolTipTexts, PercentSignIsLiteral)
{
    EXPECT_EQ(toolTipText(120), u"Ab diesem %-Satz Note 1");
    EXPECT_EQ(toolTipText(116), u"Ab diesem %-Satz Note 5");
}

} // namespace
