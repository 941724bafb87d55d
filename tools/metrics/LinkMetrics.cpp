#include "tools/metrics/LinkMetrics.h"

#include <charconv>

namespace tessaro::metrics {

namespace {

// The `le` labels of the reply-time buckets, in seconds, as kReplyTimeBoundsMs.
constexpr std::string_view kBucketBounds[] = {"0.005", "0.01", "0.025", "0.05", "0.075", "0.1",
                                              "0.25",  "0.5",  "1",     "2.5",  "5",     "10"};
static_assert(std::size(kBucketBounds) == kReplyTimeBounds);

// Appends to one string without building temporaries.
class Writer {
 public:
  explicit Writer(std::string& out) : out_(out) {}

  Writer& operator<<(char c) {
    out_.push_back(c);
    return *this;
  }
  Writer& operator<<(std::string_view text) {
    out_.append(text);
    return *this;
  }
  Writer& operator<<(std::int64_t value) {
    char digits[24];
    char* const end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out_.append(digits, end);
    return *this;
  }
  // Milliseconds as seconds, exactly: "1.250", never a rounded binary fraction.
  void Seconds(std::int64_t ms) {
    *this << ms / 1000;
    const auto rest = static_cast<int>(ms % 1000);
    const char fraction[] = {'.', static_cast<char>('0' + rest / 100),
                             static_cast<char>('0' + rest / 10 % 10),
                             static_cast<char>('0' + rest % 10)};
    out_.append(fraction, sizeof fraction);
  }

  void Family(std::string_view name, std::string_view type, std::string_view help) {
    *this << "# HELP " << name << ' ' << help << "\n# TYPE " << name << ' ' << type << '\n';
  }

 private:
  std::string& out_;
};

struct Context {
  const LinkSample& sample;
  std::string_view link;  // site="..",port=".."
  Writer w;
};

void TerminalLabels(Writer& w, std::string_view link, int base, int terminal) {
  w << '{' << link << ",base=\"" << std::int64_t{base} << "\",terminal=\"" << std::int64_t{terminal}
    << '"';
}

// One line per exported terminal: name{labels} value.
template <typename Value>
void PerTerminal(Context& c, std::string_view name, std::string_view type, std::string_view help,
                 Value value) {
  c.w.Family(name, type, help);
  for (int t = 1; t <= kMaxTerminal; ++t) {
    const TerminalSample& s = c.sample.terminal[t];
    if (s.base == 0) continue;
    c.w << name;
    TerminalLabels(c.w, c.link, s.base, t);
    c.w << "} ";
    value(c.w, s);
    c.w << '\n';
  }
}

void Counter(Context& c, std::string_view name, std::string_view help,
             std::int64_t TerminalSample::*field) {
  PerTerminal(c, name, "counter", help,
              [field](Writer& w, const TerminalSample& s) { w << s.*field; });
}

void PerLink(Context& c, std::string_view name, std::string_view type, std::string_view help,
             std::int64_t value) {
  c.w.Family(name, type, help);
  c.w << name << '{' << c.link << "} " << value << '\n';
}

void ReplyTimeHistogram(Context& c) {
  constexpr std::string_view name = "tessaro_linktest_reply_time_seconds";
  c.w.Family(name, "histogram",
             "Time from a test packet to its good echo (PASSIVE: from the echo to the base's "
             "report).");
  for (int t = 1; t <= kMaxTerminal; ++t) {
    const TerminalSample& s = c.sample.terminal[t];
    if (s.base == 0) continue;
    std::int64_t cumulative = 0;
    for (int b = 0; b <= kReplyTimeBounds; ++b) {
      cumulative += s.replyTimeBuckets[b];
      c.w << name << "_bucket";
      TerminalLabels(c.w, c.link, s.base, t);
      c.w << ",le=\"" << (b < kReplyTimeBounds ? kBucketBounds[b] : "+Inf") << "\"} " << cumulative
          << '\n';
    }
    c.w << name << "_sum";
    TerminalLabels(c.w, c.link, s.base, t);
    c.w << "} ";
    c.w.Seconds(s.replyTimeSumMs);
    c.w << '\n' << name << "_count";
    TerminalLabels(c.w, c.link, s.base, t);
    c.w << "} " << cumulative << '\n';
  }
}

}  // namespace

void TakeSample(const StationRegistry& registry, const TestState& test, LinkSample& sample) {
  int listedAt[kMaxTerminal + 1] = {};
  for (int b = kMaxBase; b >= 1; --b) {
    if (!registry.rows[b].present) continue;
    for (int t = 1; t <= kMaxTerminal; ++t) {
      if (registry.rows[b].terminal[t]) listedAt[t] = b;
    }
  }
  sample.terminalsPresent = 0;
  for (int t = 1; t <= kMaxTerminal; ++t) {
    const TerminalStatistics& f = test.statistics.terminal[t];
    TerminalSample& s = sample.terminal[t];
    if (listedAt[t] != 0) {
      s.base = listedAt[t];
      ++sample.terminalsPresent;
    }
    // A terminal counted before any base listed it (its data arrived first)
    // is reported under the attached base's number until one does.
    if (s.base == 0 && TookPart(f)) s.base = registry.FirstPresentBase();
    s.sent = f.sent;
    s.good = f.good;
    s.lost = f.lost;
    // A late echo of a packet counted unanswered makes it good, and the
    // statistics take it back from `unanswered`; a counter never goes down,
    // so this one keeps its highest value: packets that were unanswered
    // past their time-out, late echoes or not.
    if (f.unanswered > s.unanswered) s.unanswered = f.unanswered;
    s.duplicates = f.duplicates;
    s.replyTimeSumMs = f.replyTimeSum;
    for (int b = 0; b <= kReplyTimeBounds; ++b) s.replyTimeBuckets[b] = f.replyTimeBuckets[b];
    s.lastReplyMs = f.replyTimeLast;
  }
}

std::string EscapeLabelValue(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (const char c : value) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '"') {
      out += "\\\"";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

ExpositionRenderer::ExpositionRenderer(const SeriesLabels& labels)
    : link_("site=\"" + EscapeLabelValue(labels.site) + "\",port=\"" +
            EscapeLabelValue(labels.port) + '"'),
      version_(EscapeLabelValue(labels.version)) {}

void ExpositionRenderer::Render(const LinkSample& sample, std::string& out) const {
  out.clear();
  Context c{sample, link_, Writer(out)};

  c.w.Family("tessaro_build_info", "gauge", "The version of the program writing these series.");
  c.w << "tessaro_build_info{" << link_ << ",version=\"" << version_ << "\"} 1\n";
  PerLink(c, "tessaro_linktest_running", "gauge", "1 while the link test runs, else 0.",
          sample.running ? 1 : 0);
  PerLink(c, "tessaro_linktest_link_up", "gauge",
          "1 while the serial device is open and usable, 0 while it is gone.", sample.up ? 1 : 0);
  PerLink(c, "tessaro_linktest_link_lost_total", "counter",
          "Times the serial device went away during the run.", sample.linkLost);
  PerLink(c, "tessaro_linktest_reconnects_total", "counter",
          "Times the serial device came back and the test went on.", sample.reconnects);
  PerLink(c, "tessaro_linktest_terminals_present", "gauge", "Terminals the bases list at present.",
          sample.terminalsPresent);

  Counter(c, "tessaro_linktest_packets_sent_total",
          "Test packets sent (PASSIVE: terminal messages received and echoed).",
          &TerminalSample::sent);
  Counter(c, "tessaro_linktest_good_echoes_total",
          "Good echoes (PASSIVE: echoes the base reported received).", &TerminalSample::good);
  Counter(c, "tessaro_linktest_packets_lost_total",
          "Packets lost: timed out after the base's report (PASSIVE: echoes the base refused).",
          &TerminalSample::lost);
  Counter(c, "tessaro_linktest_packets_unanswered_total",
          "Packets that drew neither report nor echo within the time-out.",
          &TerminalSample::unanswered);
  Counter(c, "tessaro_linktest_duplicate_echoes_total",
          "Echoes that came more than once, each counted once here.", &TerminalSample::duplicates);
  ReplyTimeHistogram(c);
  PerTerminal(c, "tessaro_linktest_last_reply_time_seconds", "gauge",
              "The latest measured reply time.",
              [](Writer& wr, const TerminalSample& s) { wr.Seconds(s.lastReplyMs); });
}

}  // namespace tessaro::metrics
