#pragma once

#include <cstddef>
#include <cstdint>

#include "download/ImageFault.h"

namespace tessaro {

// Receives what the parser finds in an image, as it finds it.  A false
// return stops the parse (the download has failed).
class RecordSink {
 public:
  virtual ~RecordSink() = default;
  // The address of a data record (S1, S2 or S3) is complete; dataCount data
  // bytes follow.
  virtual bool OnDataAddress(std::uint32_t address, int dataCount) = 0;
  virtual bool OnDataByte(std::uint8_t value) = 0;
  // The data record's line has ended and its count and checksum are right.
  virtual bool OnDataRecordEnd() = 0;
  // An end record (S7, S8 or S9); see SRecordParser::EndAt for when.
  virtual void OnEndRecord() = 0;
};

enum class ParseStatus {
  kMore,     // everything fed was taken; feed on
  kEnd,      // the end record was reached; the rest of the file is not read
  kFault,    // the file breaks the S-record rules; Fault() says where
  kStopped,  // the sink stopped the parse
};

// Reads Motorola S-record text fed in chunks of any size.  Lines end in CR LF
// or LF; hexadecimal digits may be upper or lower case; blank lines and
// spaces or tabs before a line end are allowed.  S0 headers are checked and
// skipped; an S5/S6 count record must hold the number of data records before
// it; S1, S2 and S3 carry data with 16, 24 and 32-bit addresses; S7, S8 and S9
// end the image.  Every record's count and checksum are verified before its
// line end is reported.
class SRecordParser {
 public:
  enum class EndAt {
    kTypeDigit,  // report the end record as soon as its type digit is read;
                 // nothing after it is looked at
    kLineEnd,    // check the end record's line first, and refuse anything but
                 // blank lines after it (the whole-file check: two files run
                 // together must not pass as the first)
  };

  void Reset(EndAt endAt);
  ParseStatus Feed(const char* bytes, std::size_t count, RecordSink& sink);
  // The end of the file: an unfinished last line counts as ended.  kMore
  // means the file had no end record.
  ParseStatus Finish(RecordSink& sink);

  const FaultDetail& Fault() const { return fault_; }
  // Lines read so far; an unfinished line counts.  After the end record:
  // the lines up to and including it.
  std::uint32_t LinesRead() const;

 private:
  enum class State {
    kLineStart,
    kBlankReturn,
    kType,
    kHigh,
    kLow,
    kTrailing,
    kReturn,
    kAfterEnd,  // blank lines only, up to the end of the file
    kDone,
    kFailed
  };
  enum class Kind { kData, kEnd, kCount, kSkip };

  static bool TypeOf(char digit, Kind& kind, int& addressSize);
  // One character, handled by the step of the state the parser is in.
  ParseStatus Step(char c, RecordSink& sink);
  ParseStatus AtLineStart(char c);
  ParseStatus AfterBlankLineReturn(char c);  // "\r" alone on a line so far
  ParseStatus AtTypeDigit(char c, RecordSink& sink);
  ParseStatus AtHighDigit(char c, RecordSink& sink);  // or a line end, or trailing blanks
  ParseStatus AtLowDigit(char c, RecordSink& sink);
  ParseStatus InTrailingBlanks(char c, RecordSink& sink);
  ParseStatus AfterReturn(char c, RecordSink& sink);  // "\r" ending a record
  ParseStatus AfterEndRecord(char c);
  ParseStatus TakeByte(std::uint8_t value, RecordSink& sink);
  ParseStatus EndLine(RecordSink& sink);
  ParseStatus Refuse(ImageFault fault, unsigned char character = 0, int stated = 0, int actual = 0);
  ParseStatus Stop();

  EndAt endAt_ = EndAt::kTypeDigit;
  State state_ = State::kLineStart;
  std::uint32_t line_ = 0;
  std::uint32_t endLine_ = 0;      // the end record's line; 0: not reached
  std::uint32_t dataRecords_ = 0;  // S1, S2 and S3 records so far, for S5/S6
  std::uint32_t column_ = 0;
  Kind kind_ = Kind::kData;
  int addressSize_ = 0;
  int bytes_ = 0;  // bytes of the record decoded so far, count byte included
  int count_ = 0;
  unsigned sum_ = 0;
  std::uint32_t address_ = 0;
  int dataCount_ = 0;
  std::uint8_t high_ = 0;
  std::uint8_t last_ = 0;
  std::uint32_t blankColumn_ = 0;
  unsigned char blank_ = 0;
  FaultDetail fault_;
};

}  // namespace tessaro
