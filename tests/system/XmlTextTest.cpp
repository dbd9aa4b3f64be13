#include "system/XmlText.h"

#include <gtest/gtest.h>

using namespace System;

TEST(XmlText, EscapesAndUnescapesTheFiveEntities) {
    struct Case {
        const char* plain;
        const char* escaped;
    };
    const Case cases[] = {
        {"a<b & 'c'", "a&lt;b &amp; &apos;c&apos;"},
        {"\"x\" > y", "&quot;x&quot; &gt; y"},
        {"", ""},
        {"plain", "plain"},
        // Entity text in a value must come back as the same text, not as a character.
        {"&lt;", "&amp;lt;"},
        {"&amp;", "&amp;amp;"},
        {"&&;;", "&amp;&amp;;;"},
    };
    for (const Case& c : cases) {
        std::string text = c.plain;
        EscapeXmlText(text);
        EXPECT_EQ(text, c.escaped);
        UnescapeXmlText(text);
        EXPECT_EQ(text, c.plain);
    }
}

TEST(XmlText, UnescapeLeavesOtherAmpersandsAlone) {
    std::string text = "&#65; &nbsp; & &amp";
    UnescapeXmlText(text);
    EXPECT_EQ(text, "&#65; &nbsp; & &amp");
}
