#include "common/textfile.h"

#include <gtest/gtest.h>

#include "common/text.h"

using namespace common;

TEST(TextFile, EncodingIsDetectedAndWrittenBackByteForByte) {
    setLegacyCodePage(1251);
    const std::string text = "[Orvelin]\r\nForm1.Label1.Caption=Громкость\r\n";
    struct Case {
        std::string bytes;
        TTextEncoding encoding;
    };
    const Case cases[] = {
        {"\xEF\xBB\xBF" + text, TTextEncoding::Utf8},
        {"\xFF\xFE" + utf8ToUtf16le(text), TTextEncoding::Utf16LE},
        {"\xFE\xFF" + utf8ToUtf16be(text), TTextEncoding::Utf16BE},
        {utf8ToUtf16le(text), TTextEncoding::Utf16LENoBom},
        {utf8ToUtf16be(text), TTextEncoding::Utf16BENoBom},
        {text, TTextEncoding::Utf8NoBom},
        {utf8ToCodePage(text, 1251), TTextEncoding::Legacy},
    };
    for (const Case& c : cases) {
        TDecodedText d = DecodeText(c.bytes);
        EXPECT_EQ(d.encoding, c.encoding) << int(c.encoding);
        EXPECT_EQ(d.text, text) << int(c.encoding);
        EXPECT_EQ(EncodeText(d.text, d.encoding), c.bytes) << int(c.encoding);
    }
    // Plain ASCII without a mark stays in the legacy page, which holds it as it is.
    EXPECT_EQ(DecodeText("[Option]\r\n").encoding, TTextEncoding::Legacy);
    setLegacyCodePage(1252);
}
