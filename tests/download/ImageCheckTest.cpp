#include "download/ImageCheck.h"

#include <gtest/gtest.h>

#include <string>

#include "DownloadFakes.h"
#include "SRecordText.h"
#include "download/SRecordParser.h"

namespace tessaro {
namespace {

using testing::Record;
using testing::RecordOptions;
using testing::Sequence;

class ImageCheckTest : public ::testing::Test {
 protected:
  FaultDetail Check(const std::string& text) {
    const std::string path = dir.Write("image.abo", text);
    ImageFile image;
    EXPECT_TRUE(image.Open(path.c_str()));
    return CheckImage(image);
  }

  std::string Message(const std::string& text) {
    char out[512];
    FormatImageFault(Check(text), true, out, sizeof out);
    return out;
  }

  testing::TempDir dir;
  const std::string good = Record('3', 0x100, Sequence(16));
  const std::string next = Record('3', 0x110, Sequence(16));  // runs on from `good`
  const std::string end = Record('7', 0, {});
};

TEST_F(ImageCheckTest, AcceptsWhatRealToolsWrite) {
  RecordOptions lf;
  lf.lineEnd = "\n";
  lf.lower = true;
  const std::string text = Record('0', 0, {'h', 'd', 'r'}, lf) +
                           Record('1', 0x10, Sequence(4), lf) +
                           Record('2', 0x10000, Sequence(4), lf) + Record('5', 2, {}, lf) +
                           Record('6', 2, {}, lf) + Record('8', 0, {}, lf);
  EXPECT_EQ(Check(text).fault, ImageFault::kNone);
  EXPECT_EQ(Check(good + "\r\n\n" + end).fault, ImageFault::kNone);
  EXPECT_EQ(Check(good + Record('9', 0, {}) + "\r\n  \r\n\x1A").fault, ImageFault::kNone);
  // The last line need not end.
  EXPECT_EQ(Check(good + "S70500000000FA").fault, ImageFault::kNone);
}

TEST_F(ImageCheckTest, RefusesDigitsThatAreNotHex) {
  std::string bad = good;
  bad[9] = 'G';
  const FaultDetail f = Check(good + bad + end);
  EXPECT_EQ(f.fault, ImageFault::kNotHex);
  EXPECT_EQ(f.line, 2u);
  EXPECT_EQ(f.column, 10u);
  EXPECT_EQ(Message(good + bad + end),
            "Error on downloading!\nLine 2, column 10: 'G' is not a hexadecimal digit.\n"
            "No program data was sent to the base; it may be waiting in update mode.");
}

TEST_F(ImageCheckTest, RefusesBlanksAndControlBytesInsideARecord) {
  std::string spaced = good;
  spaced.insert(8, " ");
  EXPECT_EQ(Message(spaced + end),
            "Error on downloading!\nLine 1, column 9: a space is not a hexadecimal digit.\n"
            "No program data was sent to the base; it may be waiting in update mode.");
  std::string nul = good;
  nul[4] = '\0';
  EXPECT_NE(Message(nul + end).find("the byte 0x00 is not a hexadecimal digit"), std::string::npos);
}

TEST_F(ImageCheckTest, RefusesOddLineLengths) {
  std::string odd = good;
  odd.erase(odd.size() - 3, 1);  // one digit of the checksum gone
  odd.replace(9, 3, "110");
  const FaultDetail f = Check(good + odd + end);
  EXPECT_EQ(f.fault, ImageFault::kOddDigits);
  EXPECT_EQ(f.line, 2u);
}

TEST_F(ImageCheckTest, RefusesACountThatDisagreesWithTheLine) {
  RecordOptions more;
  more.countDelta = 1;
  FaultDetail f = Check(good + Record('3', 0x200, Sequence(8), more) + end);
  EXPECT_EQ(f.fault, ImageFault::kCountMismatch);
  EXPECT_EQ(f.line, 2u);
  EXPECT_EQ(f.stated, 14);
  EXPECT_EQ(f.actual, 13);
  RecordOptions fewer;
  fewer.countDelta = -1;
  f = Check(Record('3', 0x200, Sequence(8), fewer) + end);
  EXPECT_EQ(f.fault, ImageFault::kCountMismatch);
  EXPECT_EQ(Message(Record('3', 0x200, Sequence(8), fewer) + end),
            "Error on downloading!\nLine 1: the count byte says 12 bytes follow, but the line "
            "holds 13.\nNo program data was sent to the base; it may be waiting in update mode.");
}

TEST_F(ImageCheckTest, RefusesACountTooSmallForTheAddress) {
  const FaultDetail f = Check("S30300FC\r\n" + end);
  EXPECT_EQ(f.fault, ImageFault::kCountTooSmall);
  EXPECT_EQ(Check("S3\r\n" + end).fault, ImageFault::kNoCount);
}

TEST_F(ImageCheckTest, RefusesAWrongChecksumAndSaysWhatItShouldBe) {
  RecordOptions bad;
  bad.checksumDelta = 1;
  const std::string text = good + next + Record('3', 0x300, Sequence(4), bad) + end;
  const FaultDetail f = Check(text);
  EXPECT_EQ(f.fault, ImageFault::kBadChecksum);
  EXPECT_EQ(f.line, 3u);
  EXPECT_EQ(f.stated, (f.actual + 1) & 0xFF);
  // The end record's checksum counts too.
  EXPECT_EQ(Check(good + Record('7', 0, {}, bad)).fault, ImageFault::kBadChecksum);
}

TEST_F(ImageCheckTest, RefusesAFileWithoutEndRecord) {
  FaultDetail f = Check(good + next + Record('3', 0x120, Sequence(16)));
  EXPECT_EQ(f.fault, ImageFault::kNoEndRecord);
  EXPECT_EQ(f.line, 3u);
  EXPECT_EQ(Message(good + next),
            "Error on downloading!\nThe file ends after line 2 without an end record (S7, S8 or "
            "S9).\nNo program data was sent to the base; it may be waiting in update mode.");
  EXPECT_EQ(Check("").fault, ImageFault::kEmpty);
  EXPECT_EQ(Check("\r\n\r\n").fault, ImageFault::kNoEndRecord);
}

TEST_F(ImageCheckTest, RefusesLinesThatAreNotRecords) {
  FaultDetail f = Check(good + "; a comment\r\n" + end);
  EXPECT_EQ(f.fault, ImageFault::kNoRecordStart);
  EXPECT_EQ(f.line, 2u);
  EXPECT_EQ(Check("S4030000FC\r\n" + end).fault, ImageFault::kBadType);
  EXPECT_EQ(Check("SX030000FC\r\n" + end).fault, ImageFault::kBadType);
  // A lone CR is not a line end: the record would be read as one long line.
  std::string crOnly = good;
  crOnly.pop_back();
  f = Check(crOnly + good + end);
  EXPECT_EQ(f.fault, ImageFault::kStrayReturn);
  EXPECT_EQ(f.line, 1u);
}

TEST_F(ImageCheckTest, RefusesDataThatRunPastTheTopOfTheAddressRange) {
  EXPECT_EQ(Check(Record('3', 0xFFFFFFF8u, Sequence(16)) + end).fault,
            ImageFault::kAddressOverflow);
  EXPECT_EQ(Check(Record('1', 0xFFF8, Sequence(16)) + end).fault, ImageFault::kAddressOverflow);
  // Up to the very last address is fine.
  EXPECT_EQ(Check(Record('3', 0xFFFFFFF0u, Sequence(16)) + end).fault, ImageFault::kNone);
}

TEST_F(ImageCheckTest, ReportsLinesPastABlockBoundary) {
  std::string text;
  // 46 characters each, over seven blocks
  for (int i = 0; i < 40; ++i) text += Record('3', 0x100 + 16 * i, Sequence(16));
  std::string bad = Record('3', 0x1000, Sequence(16));
  bad[20] = 'x';
  const FaultDetail f = Check(text + bad + end);
  EXPECT_EQ(f.fault, ImageFault::kNotHex);
  EXPECT_EQ(f.line, 41u);
  EXPECT_EQ(f.column, 21u);
}

// Files that parse record by record but do not make one program.
TEST_F(ImageCheckTest, RefusesWhatDoesNotMakeOneProgram) {
  const std::string second = Record('0', 0, {'b'}) + Record('3', 0x800, Sequence(4)) + end;
  const std::string count2 = Record('5', 2, {});
  const struct {
    const char* what;
    std::string text;
    ImageFault fault;
    std::uint32_t line;
    const char* says;
  } cases[] = {
      {"two files run together", good + end + second, ImageFault::kDataAfterEnd, 3,
       "Line 3: 'S' after the end record of line 2 (two files run together?)."},
      {"a record written twice", good + next + good + end, ImageFault::kOverlap, 3,
       "Line 3: the record writes address 0x00000100 again, which line 1 wrote already."},
      {"records that overlap", good + next + Record('3', 0x118, Sequence(16)) + end,
       ImageFault::kOverlap, 3,
       "Line 3: the record writes address 0x00000118 again, which line 1 wrote already."},
      {"a record reaching into a later one", next + Record('3', 0x108, Sequence(16)) + end,
       ImageFault::kOverlap, 2,
       "Line 2: the record writes address 0x00000110 again, which line 1 wrote already."},
      {"a wrong S5 count", good + count2 + end, ImageFault::kRecordCountMismatch, 2,
       "Line 2: the count record says 2 data records, but 1 come before it."},
  };
  for (const auto& c : cases) {
    const FaultDetail f = Check(c.text);
    EXPECT_EQ(f.fault, c.fault) << c.what;
    EXPECT_EQ(f.line, c.line) << c.what;
    EXPECT_NE(Message(c.text).find(c.says), std::string::npos) << c.what << ": " << Message(c.text);
  }
  // Runs that only touch are one program, and a right count passes.
  EXPECT_EQ(Check(good + next + count2 + end).fault, ImageFault::kNone);
}

TEST(SRecordParserTest, CountsTheLinesUpToTheEndRecord) {
  const std::string text =
      Record('3', 0, Sequence(4)) + Record('3', 4, Sequence(4)) + Record('7', 0, {}) + "\r\n";
  class Ignore final : public RecordSink {
    bool OnDataAddress(std::uint32_t, int) override { return true; }
    bool OnDataByte(std::uint8_t) override { return true; }
    bool OnDataRecordEnd() override { return true; }
    void OnEndRecord() override {}
  } sink;
  SRecordParser parser;
  parser.Reset(SRecordParser::EndAt::kLineEnd);
  (void)parser.Feed(text.data(), text.size(), sink);
  EXPECT_EQ(parser.Finish(sink), ParseStatus::kEnd);
  EXPECT_EQ(parser.LinesRead(), 3u);
}

TEST(ImageFileTest, OpensOnlyRegularFiles) {
  testing::TempDir dir;
  ImageFile image;
  EXPECT_FALSE(image.Open(dir.Path().c_str()));
  EXPECT_STREQ(image.Why(), "not a regular file");
  EXPECT_FALSE(image.Open((dir.Path() + "/missing.abo").c_str()));
  EXPECT_FALSE(image.Open(""));
  const std::string path = dir.Write("a.abo", "S9030000FC\r\n");
  EXPECT_TRUE(image.Open(path.c_str()));
  EXPECT_EQ(image.Size(), 12);
}

// The parser fed one character at a time finds what it finds in one piece.
TEST(SRecordParserTest, ChunkSizeDoesNotMatter) {
  class Log final : public RecordSink {
   public:
    bool OnDataAddress(std::uint32_t a, int n) override {
      text += "@" + std::to_string(a) + "/" + std::to_string(n);
      return true;
    }
    bool OnDataByte(std::uint8_t v) override {
      text += " " + std::to_string(v);
      return true;
    }
    bool OnDataRecordEnd() override {
      text += ";";
      return true;
    }
    void OnEndRecord() override { text += "end"; }
    std::string text;
  };
  const std::string file =
      Record('3', 0x100, Sequence(5)) + "\n" + Record('2', 0x20, Sequence(3)) + Record('7', 0, {});
  Log whole, single;
  SRecordParser a, b;
  a.Reset(SRecordParser::EndAt::kLineEnd);
  b.Reset(SRecordParser::EndAt::kLineEnd);
  EXPECT_EQ(a.Feed(file.data(), file.size(), whole), ParseStatus::kMore);
  EXPECT_EQ(a.Finish(whole), ParseStatus::kEnd);
  ParseStatus status = ParseStatus::kMore;
  for (std::size_t i = 0; i < file.size() && status == ParseStatus::kMore; ++i) {
    status = b.Feed(&file[i], 1, single);
  }
  EXPECT_EQ(status, ParseStatus::kMore);
  EXPECT_EQ(b.Finish(single), ParseStatus::kEnd);
  EXPECT_EQ(single.text, whole.text);
  EXPECT_EQ(whole.text, "@256/5 0 1 2 3 4;@32/3 0 1 2;end");
}

}  // namespace
}  // namespace tessaro
