#include "tools/replay/SessionReplay.h"

#include <deque>
#include <string>
#include <vector>

#include "app/Engine.h"
#include "app/TestMarks.h"
#include "core/NullDisplay.h"
#include "link/NullSerialPort.h"

namespace tessaro {

namespace {

// The time of the event being replayed: the engine's clock reads the trace.
class TraceClock final : public Clock {
 public:
  std::uint32_t NowMs() override { return now_; }
  void Set(double ms) { now_ = ms > 0 && ms < 4.0e9 ? static_cast<std::uint32_t>(ms) : 0; }

 private:
  std::uint32_t now_ = 0;
};

class Answers final : public PortWriter {
 public:
  std::vector<std::string> writes;
  void Write(const char* bytes, std::size_t count) override { writes.emplace_back(bytes, count); }
};

// One event of the window the replay looks ahead over.
struct Item {
  TraceEvent e;
  bool write = false;          // a recorded write: ">" or a "write-short 0 of M"
  std::size_t fullLength = 0;  // a write: the bytes the tool asked to write
  bool matched = false;        // a write: the replay made it too
  bool done = false;           // a test line already acted on
};

// How far the replay may look ahead at most, in events: a write is matched
// within the next inbound chunk or two, and a trace without inbound chunks
// must not be read whole.
constexpr std::size_t kWindow = 8192;
constexpr int kShownDifferences = 20;

std::string Shown(const std::string& bytes) {
  return EscapeLineBytes(bytes.data(), bytes.size());
}

// "line N (T ms): " of a difference.
std::string Where(const TraceEvent& e) {
  char text[64];
  std::snprintf(text, sizeof text, "line %d (%.3f ms): ", e.lineNumber, e.ms);
  return text;
}

class Session {
 public:
  Session(TraceStream& stream, const TraceReplayOptions& o, CarriedTest& carried, std::FILE* out)
      : stream_(stream),
        o_(o),
        carried_(carried),
        out_(out),
        engine_(display_, clock_, noPort_, &answers_) {}

  ReplayCounts Run(const TraceEvent& open);

 private:
  bool Fill();
  void Drive(std::size_t index);
  void Act(std::size_t index);
  // The writes the engine just made, against the recorded ones after the
  // window's item `cause` and before its item `bound`.
  void Match(std::size_t cause, std::size_t bound);
  void Leave(const Item& item);
  // The index of the `n`-th inbound chunk after `from` (the window's end
  // when there are fewer).
  std::size_t InboundAfter(std::size_t from, int n) const;
  bool Same(const Item& recorded, const std::string& written) const;
  void Show(const std::string& text);

  TraceStream& stream_;
  const TraceReplayOptions& o_;
  CarriedTest& carried_;
  std::FILE* out_;
  NullDisplay display_;
  TraceClock clock_;
  NullSerialPort noPort_;
  Answers answers_;
  Engine engine_;

  std::deque<Item> window_;
  int inbound_ = 0;  // inbound chunks in the window
  bool ended_ = false;
  bool lost_ = false;  // a hang-up read: the next open may be the reconnect
  bool started_ = false;
  int chunks_ = 0;
  int marks_ = 0;
  int shown_ = 0;
  ReplayCounts counts_;
};

ReplayCounts Session::Run(const TraceEvent& open) {
  TestMark criteria;
  criteria.kind = TestMarkKind::Criteria;
  criteria.criteria = carried_.criteria;
  engine_.ReplayMark(criteria);
  engine_.PresetLinkTest(carried_.mode, TestRun::Stopped);
  started_ = !o_.running;
  for (;;) {
    while (window_.empty() || inbound_ - (window_.front().e.kind == "<" ? 1 : 0) < 2) {
      if (window_.size() >= kWindow || !Fill()) break;
    }
    if (window_.empty()) break;
    Drive(0);
    Leave(window_.front());
    if (window_.front().e.kind == "<") --inbound_;
    window_.pop_front();
  }
  // The mode outlives the session; a test stops with it.
  carried_.mode = engine_.Read([](const EngineView& v) { return v.test.linkMode; });
  if (shown_ > kShownDifferences) {
    std::fprintf(out_, "... and %d more differences\n", shown_ - kShownDifferences);
  }
  std::fprintf(out_,
               "session from line %d: %d inbound chunks, %d test lines; %d writes recorded, %d "
               "compared, %d differ, %d made by the tool on its own (not compared)\n",
               open.lineNumber, chunks_, marks_, counts_.recorded, counts_.compared, counts_.differ,
               counts_.own);
  return counts_;
}

bool Session::Fill() {
  if (ended_) return false;
  const TraceEvent* next = stream_.Peek();
  if (next == nullptr) {
    ended_ = true;
    return false;
  }
  if (IsOpenOk(*next)) {
    // A reopen after a hang-up is the reconnect of this session, unless a
    // download takes the line.
    const TraceEvent* after = stream_.Peek(1);
    if (!lost_ || (after != nullptr && IsDownloadQueues(*after))) {
      ended_ = true;
      return false;
    }
    lost_ = false;
  }
  Item item;
  stream_.Take(item.e);
  const std::string& kind = item.e.kind;
  if (kind == "hangup") lost_ = true;
  if (kind == "<") ++inbound_;
  if (kind == ">") {
    item.write = true;
    item.fullLength = item.e.bytes.size();
  }
  std::size_t put = 0, asked = 0;
  if (kind == "write-short" && ParseShortWrite(item.e.text, put, asked)) {
    if (put == 0) {
      item.write = true;  // nothing went out: only its length is known
      item.fullLength = asked;
    } else {
      for (auto it = window_.rbegin(); it != window_.rend(); ++it) {
        if (it->e.kind == ">" && !it->matched && it->fullLength == put &&
            it->e.bytes.size() == put) {
          it->fullLength = asked;
          break;
        }
      }
    }
  }
  window_.push_back(std::move(item));
  return true;
}

std::size_t Session::InboundAfter(std::size_t from, int n) const {
  for (std::size_t i = from + 1; i < window_.size(); ++i) {
    if (window_[i].e.kind == "<" && --n == 0) return i;
  }
  return window_.size();
}

void Session::Drive(std::size_t index) {
  Item& item = window_[index];
  clock_.Set(item.e.ms);
  const std::string& kind = item.e.kind;
  if (kind == "<") {
    ++chunks_;
    // A test line noted before this chunk was dispatched, though written
    // after it was read, acts first ("in=" says).
    const std::size_t next = InboundAfter(index, 1);
    for (std::size_t i = index + 1; i < next; ++i) {
      TestMark mark;
      if (window_[i].e.kind == "test" && !window_[i].done &&
          ParseTestMark(window_[i].e.text, mark) && mark.fed <= engine_.FedBytes()) {
        Act(i);
      }
    }
    clock_.Set(item.e.ms);
    answers_.writes.clear();
    engine_.Feed(item.e.bytes.data(), item.e.bytes.size());
    Match(index, InboundAfter(index, 1));
  } else if (kind == "test") {
    if (!item.done) Act(index);
  } else if (kind == "hangup") {
    TestMark lost;
    lost.kind = TestMarkKind::LinkLost;
    engine_.ReplayMark(lost);
  } else if (kind == "line") {
    const unsigned long baud = std::strtoul(item.e.text.c_str(), nullptr, 10);
    for (int row = 0; row < kBaudCount; ++row) {
      if (static_cast<unsigned long>(BaudTable[row].rate) == baud) engine_.SelectBaud(row);
    }
  } else if (kind == ">" && !started_ && marks_ == 0 && IsTestPacket(item.e.bytes)) {
    // A trace without test lines: --running starts the test with the
    // tool's first test packet.
    engine_.PresetLinkTest(LinkMode::Active, TestRun::Running);
    started_ = true;
  }
}

void Session::Act(std::size_t index) {
  Item& item = window_[index];
  item.done = true;
  TestMark mark;
  if (!ParseTestMark(item.e.text, mark)) {
    std::fprintf(out_, "line %d: \"test %s\" is not a test line this replay knows; passed over\n",
                 item.e.lineNumber, item.e.text.c_str());
    return;
  }
  ++marks_;
  if (mark.kind == TestMarkKind::Criteria) carried_.criteria = mark.criteria;
  clock_.Set(item.e.ms);
  answers_.writes.clear();
  engine_.ReplayMark(mark);
  // The reader thread may note one chunk between this line and its writes.
  Match(index, InboundAfter(index, 2));
}

bool Session::Same(const Item& recorded, const std::string& written) const {
  const std::string& bytes = recorded.e.bytes;
  if (written.size() != recorded.fullLength) return false;
  return recorded.e.kind != ">" || written.compare(0, bytes.size(), bytes) == 0;
}

void Session::Match(std::size_t cause, std::size_t bound) {
  for (const std::string& written : answers_.writes) {
    ++counts_.compared;
    bool found = false;
    for (std::size_t j = cause + 1; j < bound && !found; ++j) {
      Item& r = window_[j];
      if (r.write && !r.matched && Same(r, written)) r.matched = found = true;
    }
    if (found) continue;
    ++counts_.differ;
    const TraceEvent& c = window_[cause].e;
    Show(Where(c) + "after " + c.kind + " " + c.text + " the tool sends > " + Shown(written) +
         "; not recorded\n");
  }
}

void Session::Leave(const Item& item) {
  if (!item.write) return;
  ++counts_.recorded;
  if (item.matched) return;
  if (item.e.kind != ">" || !IsTestPacket(item.e.bytes)) {
    ++counts_.own;
    return;
  }
  ++counts_.compared;
  ++counts_.differ;
  Show(Where(item.e) + "recorded > " + item.e.text + "; the tool does not send it\n");
}

void Session::Show(const std::string& text) {
  if (++shown_ <= kShownDifferences) std::fputs(text.c_str(), out_);
}

}  // namespace

ReplayCounts ReplaySession(TraceStream& stream, const TraceEvent& open,
                           const TraceReplayOptions& options, CarriedTest& carried,
                           std::FILE* out) {
  Session session(stream, options, carried, out);
  return session.Run(open);
}

}  // namespace tessaro
