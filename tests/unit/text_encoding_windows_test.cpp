// Where code page 936 and GBK part ways: the Windows build must give the same
// bytes as the others, which take GB18030 from iconv.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/text_encoding.h"

namespace {

TEST(WindowsTextEncoding, EuroSignTakesItsTwoByteCodeNotCodePage936sSingleByte) {
  if (!IsValidCodePage(54936)) GTEST_SKIP() << "this system has no GB18030 code page (wine)";
  EXPECT_EQ(base::utf8_to_gbk("\xe2\x82\xac"), "\xa2\xe3");
  EXPECT_EQ(base::gbk_to_utf8("\xa2\xe3"), "\xe2\x82\xac");
}

TEST(WindowsTextEncoding, CharactersOfTheBasicPlaneOutsideGbkTakeFourBytes) {
  if (!IsValidCodePage(54936)) GTEST_SKIP() << "this system has no GB18030 code page (wine)";
  // A Hangul syllable and a capital A with grave accent.
  const std::string text = "\xea\xb0\x80\xc3\x80";
  const std::string gb18030 = "\x82\x37\xcf\x35\x81\x30\x86\x38";
  EXPECT_EQ(base::utf8_to_gbk(text), gb18030);
  EXPECT_EQ(base::gbk_to_utf8(gb18030), text);
}

}  // namespace
