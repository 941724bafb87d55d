#include "download/SRecordParser.h"

namespace tessaro {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

void SRecordParser::Reset(EndAt endAt) {
  *this = SRecordParser();
  endAt_ = endAt;
  line_ = 1;
}

ParseStatus SRecordParser::Feed(const char* bytes, std::size_t count, RecordSink& sink) {
  for (std::size_t i = 0; i < count; ++i) {
    const ParseStatus status = Step(bytes[i], sink);
    if (status != ParseStatus::kMore) return status;
  }
  return ParseStatus::kMore;
}

ParseStatus SRecordParser::Finish(RecordSink& sink) {
  switch (state_) {
    case State::kDone:
      return ParseStatus::kEnd;
    case State::kAfterEnd:
      state_ = State::kDone;
      return ParseStatus::kEnd;
    case State::kFailed:
      return ParseStatus::kFault;
    case State::kLineStart:
      return ParseStatus::kMore;
    case State::kBlankReturn:
      ++line_;
      state_ = State::kLineStart;
      return ParseStatus::kMore;
    case State::kType:
      return Refuse(ImageFault::kNoCount);
    case State::kLow:
      return Refuse(ImageFault::kOddDigits);
    case State::kHigh:
    case State::kTrailing:
    case State::kReturn:
      break;
  }
  const ParseStatus status = EndLine(sink);
  if (state_ != State::kAfterEnd) return status;
  state_ = State::kDone;
  return ParseStatus::kEnd;
}

bool SRecordParser::TypeOf(char digit, Kind& kind, int& addressSize) {
  struct Type {
    Kind kind;
    int addressSize;  // 0: no such record type
  };
  // S0 header, S1..S3 data, S4 unused, S5/S6 record counts, S7..S9 end.
  static constexpr Type kTypes[10] = {
      {Kind::kSkip, 2},  {Kind::kData, 2},  {Kind::kData, 3}, {Kind::kData, 4}, {Kind::kSkip, 0},
      {Kind::kCount, 2}, {Kind::kCount, 3}, {Kind::kEnd, 4},  {Kind::kEnd, 3},  {Kind::kEnd, 2}};
  if (digit < '0' || digit > '9' || kTypes[digit - '0'].addressSize == 0) return false;
  kind = kTypes[digit - '0'].kind;
  addressSize = kTypes[digit - '0'].addressSize;
  return true;
}

std::uint32_t SRecordParser::LinesRead() const {
  if (endLine_ != 0) return endLine_;
  return state_ == State::kLineStart ? line_ - 1 : line_;
}

ParseStatus SRecordParser::Step(char c, RecordSink& sink) {
  ++column_;
  switch (state_) {
    case State::kLineStart:
      return AtLineStart(c);
    case State::kBlankReturn:
      return AfterBlankLineReturn(c);
    case State::kType:
      return AtTypeDigit(c, sink);
    case State::kHigh:
      return AtHighDigit(c, sink);
    case State::kLow:
      return AtLowDigit(c, sink);
    case State::kTrailing:
      return InTrailingBlanks(c, sink);
    case State::kReturn:
      return AfterReturn(c, sink);
    case State::kAfterEnd:
      return AfterEndRecord(c);
    case State::kDone:
      return ParseStatus::kEnd;
    case State::kFailed:
      return ParseStatus::kFault;
  }
  return ParseStatus::kFault;
}

ParseStatus SRecordParser::AtLineStart(char c) {
  if (c == '\n') {
    ++line_;
    column_ = 0;
  } else if (c == '\r') {
    state_ = State::kBlankReturn;
  } else if (c == 'S' || c == 's') {
    state_ = State::kType;
  } else {
    return Refuse(ImageFault::kNoRecordStart, static_cast<unsigned char>(c));
  }
  return ParseStatus::kMore;
}

ParseStatus SRecordParser::AfterBlankLineReturn(char c) {
  if (c != '\n') {
    --column_;
    return Refuse(ImageFault::kStrayReturn, '\r');
  }
  ++line_;
  column_ = 0;
  state_ = State::kLineStart;
  return ParseStatus::kMore;
}

ParseStatus SRecordParser::AtTypeDigit(char c, RecordSink& sink) {
  if (!TypeOf(c, kind_, addressSize_)) {
    return Refuse(ImageFault::kBadType, static_cast<unsigned char>(c));
  }
  bytes_ = 0;
  count_ = 0;
  sum_ = 0;
  address_ = 0;
  dataCount_ = 0;
  state_ = State::kHigh;
  if (kind_ == Kind::kEnd && endAt_ == EndAt::kTypeDigit) {
    endLine_ = line_;
    state_ = State::kDone;
    sink.OnEndRecord();
    return ParseStatus::kEnd;
  }
  return ParseStatus::kMore;
}

ParseStatus SRecordParser::AtHighDigit(char c, RecordSink& sink) {
  const int value = HexValue(c);
  if (value >= 0) {
    high_ = static_cast<std::uint8_t>(value);
    state_ = State::kLow;
    return ParseStatus::kMore;
  }
  if (c == '\n') return EndLine(sink);
  if (c == '\r') {
    state_ = State::kReturn;
  } else if (IsBlank(c)) {
    state_ = State::kTrailing;
    blankColumn_ = column_;
    blank_ = static_cast<unsigned char>(c);
  } else {
    return Refuse(ImageFault::kNotHex, static_cast<unsigned char>(c));
  }
  return ParseStatus::kMore;
}

ParseStatus SRecordParser::AtLowDigit(char c, RecordSink& sink) {
  const int value = HexValue(c);
  if (value >= 0) {
    state_ = State::kHigh;
    return TakeByte(static_cast<std::uint8_t>(high_ * 16 + value), sink);
  }
  if (c == '\n' || c == '\r' || IsBlank(c)) return Refuse(ImageFault::kOddDigits);
  return Refuse(ImageFault::kNotHex, static_cast<unsigned char>(c));
}

ParseStatus SRecordParser::InTrailingBlanks(char c, RecordSink& sink) {
  if (IsBlank(c)) return ParseStatus::kMore;
  if (c == '\n') return EndLine(sink);
  if (c == '\r') {
    state_ = State::kReturn;
    return ParseStatus::kMore;
  }
  // Blanks inside a record: the first one is the character at fault.
  column_ = blankColumn_;
  return Refuse(ImageFault::kNotHex, blank_);
}

ParseStatus SRecordParser::AfterReturn(char c, RecordSink& sink) {
  if (c == '\n') return EndLine(sink);
  --column_;
  return Refuse(ImageFault::kStrayReturn, '\r');
}

ParseStatus SRecordParser::AfterEndRecord(char c) {
  if (c == '\n') {
    ++line_;
    column_ = 0;
    return ParseStatus::kMore;
  }
  // DOS-era tools end a text file with Ctrl-Z.
  if (c == '\r' || c == '\x1A' || IsBlank(c)) return ParseStatus::kMore;
  return Refuse(ImageFault::kDataAfterEnd, static_cast<unsigned char>(c), 0,
                static_cast<int>(endLine_));
}

ParseStatus SRecordParser::TakeByte(std::uint8_t value, RecordSink& sink) {
  const int index = bytes_++;
  sum_ += value;
  last_ = value;
  if (index == 0) {
    count_ = value;
    if (count_ < addressSize_ + 1) return Refuse(ImageFault::kCountTooSmall, 0, count_);
    dataCount_ = count_ - addressSize_ - 1;
    return ParseStatus::kMore;
  }
  if (index <= addressSize_) {
    address_ = (address_ << 8) | value;
    if (index == addressSize_ && kind_ == Kind::kData) {
      const std::uint64_t limit = std::uint64_t{1} << (8 * addressSize_);
      if (std::uint64_t{address_} + static_cast<std::uint64_t>(dataCount_) > limit) {
        return Refuse(ImageFault::kAddressOverflow);
      }
      if (!sink.OnDataAddress(address_, dataCount_)) return Stop();
    }
    return ParseStatus::kMore;
  }
  // Bytes past the count are only counted: the line end refuses them.
  if (kind_ == Kind::kData && index <= addressSize_ + dataCount_) {
    if (!sink.OnDataByte(value)) return Stop();
  }
  return ParseStatus::kMore;
}

ParseStatus SRecordParser::EndLine(RecordSink& sink) {
  if (bytes_ == 0) return Refuse(ImageFault::kNoCount);
  if (bytes_ != count_ + 1) return Refuse(ImageFault::kCountMismatch, 0, count_, bytes_ - 1);
  if ((sum_ & 0xFFu) != 0xFFu) {
    const int needed = static_cast<int>(~(sum_ - last_) & 0xFFu);
    return Refuse(ImageFault::kBadChecksum, 0, last_, needed);
  }
  if (kind_ == Kind::kCount && address_ != dataRecords_) {
    return Refuse(ImageFault::kRecordCountMismatch, 0, static_cast<int>(address_),
                  static_cast<int>(dataRecords_));
  }
  ++line_;
  column_ = 0;
  state_ = State::kLineStart;
  if (kind_ == Kind::kData) {
    ++dataRecords_;
    if (!sink.OnDataRecordEnd()) return Stop();
  } else if (kind_ == Kind::kEnd) {
    endLine_ = line_ - 1;
    sink.OnEndRecord();
    // The end record's own line end may be missing; Finish() ends it.
    state_ = State::kAfterEnd;
    return ParseStatus::kMore;
  }
  return ParseStatus::kMore;
}

ParseStatus SRecordParser::Refuse(ImageFault fault, unsigned char character, int stated,
                                  int actual) {
  fault_ = FaultDetail{fault, line_, column_, character, stated, actual};
  state_ = State::kFailed;
  return ParseStatus::kFault;
}

ParseStatus SRecordParser::Stop() {
  state_ = State::kFailed;
  return ParseStatus::kStopped;
}

}  // namespace tessaro
