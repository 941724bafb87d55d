// tessaro-linktest --metrics run until stopped against the simulator, with
// loss, silent loss and a line drop, and read by the monitoring system's own
// programs: promtool, node exporter's textfile collector and a Prometheus
// server scraping it, all started here on 127.0.0.1 and stopped by pid.
//
// TESSARO_METRICS_RUN_SECONDS sets the length of the link test (default 20);
// bench/metrics/run.sh runs it for 60 s and keeps the figures printed.

#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/E2eSupport.h"
#include "metrics/Loopback.h"
#include "support/ToolProcess.h"

namespace tessaro::testing {
namespace {

namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

// Series by name and labels, the labels unescaped and sorted, so that the
// file and node exporter's rendering of it compare equal.
using Series = std::map<std::string, double>;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// One sample line; false when it is not well formed.
bool ParseLine(const std::string& line, std::string& key, double& value) {
  std::size_t i = line.find_first_of("{ ");
  if (i == std::string::npos) return false;
  const std::string name = line.substr(0, i);
  std::vector<std::string> labels;
  if (line[i] == '{') {
    ++i;
    while (i < line.size() && line[i] != '}') {
      const std::size_t eq = line.find("=\"", i);
      if (eq == std::string::npos) return false;
      std::string label = line.substr(i, eq - i) + "=";
      for (i = eq + 2; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
          ++i;
          label += line[i] == 'n' ? '\n' : line[i];
        } else {
          label += line[i];
        }
      }
      if (i >= line.size()) return false;
      labels.push_back(label);
      ++i;  // the closing quote
      if (i < line.size() && line[i] == ',') ++i;
    }
    if (i >= line.size()) return false;
    ++i;  // '}'
  }
  if (i >= line.size() || line[i] != ' ') return false;
  std::sort(labels.begin(), labels.end());
  key = name + "{";
  for (const std::string& l : labels) key += l + ";";
  key += "}";
  char* end = nullptr;
  const std::string number = line.substr(i + 1);
  value = std::strtod(number.c_str(), &end);
  return end != number.c_str() && *end == '\0';
}

// The tessaro_ series of an exposition; false when a line of ours is not
// well formed.
bool Parse(const std::string& text, Series& out) {
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#' || line.rfind("tessaro_", 0) != 0) continue;
    std::string key;
    double value = 0;
    if (!ParseLine(line, key, value)) return false;
    out[key] = value;
  }
  return true;
}

std::string Key(const std::string& name, const std::string& site, const std::string& port, int base,
                int terminal) {
  return name + "{base=" + std::to_string(base) + ";port=" + port + ";site=" + site +
         ";terminal=" + std::to_string(terminal) + ";}";
}

std::string LinkKey(const std::string& name, const std::string& site, const std::string& port) {
  return name + "{port=" + port + ";site=" + site + ";}";
}

std::string UrlEncoded(const std::string& text) {
  std::string out;
  for (const unsigned char c : text) {
    if (std::isalnum(c) != 0 || c == '_' || c == '.') {
      out += static_cast<char>(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    }
  }
  return out;
}

long ResidentKb(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

// What the simulator did with the test packets of one terminal.
struct SimCounts {
  std::int64_t sent = 0;
  std::int64_t good = 0;
  std::int64_t lost = 0;        // reported (or refused) and not echoed intact
  std::int64_t unanswered = 0;  // neither reported nor echoed
};

void Tally(const std::vector<sim::EchoRecord>& records, std::map<int, SimCounts>& into) {
  for (const sim::EchoRecord& r : records) {
    SimCounts& c = into[r.terminal];
    ++c.sent;
    switch (r.fate) {
      case sim::EchoFate::kEchoed:
      case sim::EchoFate::kDuplicated:
        ++c.good;
        break;
      case sim::EchoFate::kSilent:
        ++c.unanswered;
        break;
      case sim::EchoFate::kDropped:  // never arrived: still open at the PC
        break;
      default:
        ++c.lost;
        break;
    }
  }
}

class MetricsToolTest : public ::testing::Test {
 protected:
  MetricsToolTest() {
    char pattern[] = "/tmp/tessaro-metrics-XXXXXX";
    dir_ = mkdtemp(pattern);
    fs::create_directory(Path("textfiles"));
  }
  ~MetricsToolTest() override {
    exporter_.Kill();
    prometheus_.Kill();
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  // Starts a server on a free loopback port and waits until `target` answers.
  bool StartServer(ToolProcess& server, const std::string& name,
                   const std::vector<std::string>& args, int& port) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      port = FreeLoopbackPort();
      std::vector<std::string> a = args;
      a.push_back("--web.listen-address=127.0.0.1:" + std::to_string(port));
      if (!server.Start(a, Path(name + ".out"), Path(name + ".err"))) return false;
      int status = 0;
      std::string body;
      const bool up = e2e::WaitFor(
          [&] { return server.Ended(&status) || HttpGet(port, "/metrics", body); }, seconds(30));
      if (up && !server.Ended(&status)) return true;
      server.Kill();  // the port was taken meanwhile: another one
    }
    ADD_FAILURE() << name << " did not start: " << ReadFile(Path(name + ".err"));
    return false;
  }

  std::string dir_;
  ToolProcess exporter_;
  ToolProcess prometheus_;
};

TEST_F(MetricsToolTest, SeriesFollowTheSimulatorThroughALineDropIntoPrometheus) {
  const std::string promtool = OnPath("promtool");
  const std::string exporter = OnPath("prometheus-node-exporter");
  const std::string prometheus = OnPath("prometheus");
  if (promtool.empty() || exporter.empty() || prometheus.empty()) {
    GTEST_SKIP() << "promtool, prometheus-node-exporter or prometheus is not installed "
                    "(scripts/install-deps.sh installs them)";
  }
  const char* length = std::getenv("TESSARO_METRICS_RUN_SECONDS");
  const int runSeconds = length != nullptr ? std::max(8, std::atoi(length)) : 20;

  sim::Scenario scenario = sim::Scenario::Default();
  scenario.faults.echoLoss = 0.03;
  scenario.faults.ngRate = 0.01;
  scenario.faults.silentLoss = 0.002;
  scenario.recordCapacity = 1u << 18;
  sim::Simulator simulator(scenario);
  const sim::Endpoint where{"", Path("line")};
  std::string error;
  ASSERT_TRUE(simulator.Start(where, &error)) << error;

  // A site name that needs every escape of the format.
  const std::string site = "lab \"north\"\\east";
  const std::string file = Path("textfiles/tessaro.prom");
  ToolProcess tool;
  ASSERT_TRUE(tool.Start(
      {TESSARO_LINKTEST_TOOL, "--port", Path("line"), "--reconnect", "--seconds", "0", "--interval",
       "0", "--metrics", file, "--metrics-interval", "1", "--site", site, "--json", Path("r.json")},
      Path("out"), Path("err")));

  // Poll the file through the run as a collector would: every read is whole,
  // and no counter ever goes down, across the line drop too.
  std::map<int, SimCounts> expected;
  const auto start = Steady::now();
  const auto dropAt = start + milliseconds(runSeconds * 400);
  const auto backAt = dropAt + seconds(2);
  const auto stopAt = start + seconds(runSeconds);
  int step = 0;
  int reads = 0;
  long rssEarly = -1;
  long rssLate = -1;
  Series last;
  int status = -1;
  const bool ended = e2e::WaitFor(
      [&] {
        const auto now = Steady::now();
        if (step == 0 && now >= dropAt) {
          simulator.Stop();
          Tally(simulator.Echoes(), expected);
          step = 1;
        } else if (step == 1 && now >= backAt) {
          EXPECT_TRUE(simulator.Start(where, &error)) << error;
          step = 2;
        } else if (step == 2 && now >= stopAt) {
          rssLate = ResidentKb(tool.Pid());
          kill(tool.Pid(), SIGTERM);
          step = 3;
        }
        const std::string text = ReadFile(file);
        if (!text.empty()) {
          ++reads;
          if (rssEarly < 0 && now >= start + milliseconds(runSeconds * 250)) {
            rssEarly = ResidentKb(tool.Pid());
          }
          Series read;
          EXPECT_TRUE(Parse(text, read) && text.back() == '\n' &&
                      text.find("# TYPE tessaro_linktest_last_reply_time_seconds gauge") !=
                          std::string::npos)
              << "a partial file:\n"
              << text;
          for (const auto& [key, value] : read) {
            const bool counter = key.find("_total{") != std::string::npos ||
                                 key.find("_bucket{") != std::string::npos ||
                                 key.find("_count{") != std::string::npos;
            const auto before = last.find(key);
            if (counter && before != last.end()) {
              EXPECT_GE(value, before->second) << key << " went down";
            }
          }
          last = std::move(read);
        }
        return step == 3 && tool.Ended(&status);
      },
      seconds(runSeconds + 60));
  ASSERT_TRUE(ended) << "the tool did not end on SIGTERM";
  // The last poll may have come just before the final write: the file as the
  // tool left it.
  {
    Series read;
    ASSERT_TRUE(Parse(ReadFile(file), read));
    last = std::move(read);
  }
  // The silent loss leaves packets unanswered: the link is no clean pass.
  const nlohmann::json results = nlohmann::json::parse(ReadFile(Path("r.json")), nullptr, false);
  ASSERT_FALSE(results.is_discarded());
  ASSERT_EQ(status, results["totals"]["unanswered"].get<long>() > 0 ? 7 : 0)
      << ReadFile(Path("err"));
  ASSERT_EQ(step, 3);
  // The simulator may still be reading the last packets.
  const std::uint64_t sentAfter = [&] {
    std::uint64_t n = 0;
    for (const auto& [key, value] : last) {
      if (key.rfind("tessaro_linktest_packets_sent_total{", 0) == 0) n += std::uint64_t(value);
    }
    return n;
  }();
  std::uint64_t sentBefore = 0;
  for (const auto& [t, c] : expected) sentBefore += std::uint64_t(c.sent);
  simulator.WaitUntil([&] { return simulator.Stats().testPackets + sentBefore >= sentAfter; },
                      seconds(10));
  Tally(simulator.Echoes(), expected);

  const std::string text = ReadFile(file);
  Series end;
  ASSERT_TRUE(Parse(text, end)) << text;
  const std::string port = Path("line");
  EXPECT_EQ(end[LinkKey("tessaro_linktest_running", site, port)], 0);
  EXPECT_EQ(end[LinkKey("tessaro_linktest_link_up", site, port)], 1);
  EXPECT_EQ(end[LinkKey("tessaro_linktest_link_lost_total", site, port)], 1);
  EXPECT_EQ(end[LinkKey("tessaro_linktest_reconnects_total", site, port)], 1);
  EXPECT_EQ(end[LinkKey("tessaro_linktest_terminals_present", site, port)], 9);

  // Against the simulator, terminal by terminal: each packet it saw is
  // counted as it fared, except those still open at the PC, which are at
  // most one per terminal at the drop and one at the end.
  const std::pair<int, int> listed[] = {{1, 1}, {1, 2},  {1, 3},  {1, 4}, {2, 7},
                                        {2, 8}, {5, 11}, {5, 12}, {5, 15}};
  std::printf("terminal  sent (sim)  good (sim)  lost (sim)  unanswered (sim)  open\n");
  for (const auto& [base, terminal] : listed) {
    const int b = base;
    const int t = terminal;
    auto value = [&](const char* name) {
      return static_cast<std::int64_t>(end[Key(name, site, port, b, t)]);
    };
    const SimCounts& s = expected[t];
    const std::int64_t sent = value("tessaro_linktest_packets_sent_total");
    const std::int64_t good = value("tessaro_linktest_good_echoes_total");
    const std::int64_t lost = value("tessaro_linktest_packets_lost_total");
    const std::int64_t unanswered = value("tessaro_linktest_packets_unanswered_total");
    const std::int64_t open = sent - good - lost - unanswered;
    std::printf("%8d  %5lld %5lld %5lld %5lld %5lld %5lld  %7lld %7lld  %4lld\n", t,
                static_cast<long long>(sent), static_cast<long long>(s.sent),
                static_cast<long long>(good), static_cast<long long>(s.good),
                static_cast<long long>(lost), static_cast<long long>(s.lost),
                static_cast<long long>(unanswered), static_cast<long long>(s.unanswered),
                static_cast<long long>(open));
    EXPECT_EQ(sent, s.sent) << "terminal " << t;
    EXPECT_GT(good, 0) << "terminal " << t;
    EXPECT_LE(good, s.good) << "terminal " << t;
    EXPECT_LE(lost, s.lost) << "terminal " << t;
    EXPECT_LE(unanswered, s.unanswered) << "terminal " << t;
    EXPECT_EQ((s.good - good) + (s.lost - lost) + (s.unanswered - unanswered), open)
        << "terminal " << t;
    EXPECT_LE(open, 2) << "terminal " << t;
    EXPECT_EQ(end[Key("tessaro_linktest_reply_time_seconds_count", site, port, b, t)],
              static_cast<double>(good));
  }
  std::printf(
      "metrics file read %d times during the run; resident memory %ld kB at %d s, "
      "%ld kB at %d s\n",
      reads, rssEarly, runSeconds / 4, rssLate, runSeconds);

  // promtool: the exposition is valid and follows the naming conventions.
  const std::string check =
      promtool + " check metrics < " + file + " > " + Path("promtool.out") + " 2>&1";
  EXPECT_EQ(std::system(check.c_str()), 0) << ReadFile(Path("promtool.out"));

  // node exporter's textfile collector serves the same series.
  int exporterPort = 0;
  ASSERT_TRUE(StartServer(exporter_, "exporter",
                          {exporter, "--collector.disable-defaults", "--collector.textfile",
                           "--collector.textfile.directory=" + Path("textfiles")},
                          exporterPort));
  std::string scraped;
  ASSERT_TRUE(HttpGet(exporterPort, "/metrics", scraped));
  Series served;
  ASSERT_TRUE(Parse(scraped, served));
  EXPECT_EQ(served, end);
  EXPECT_NE(scraped.find("\nnode_textfile_scrape_error 0\n"), std::string::npos) << scraped;

  // A Prometheus server scraping it answers the sent total.
  {
    std::ofstream config(Path("prometheus.yml"));
    config << "global:\n  scrape_interval: 1s\n  scrape_timeout: 1s\n"
              "scrape_configs:\n  - job_name: tessaro\n    static_configs:\n"
              "      - targets: ['127.0.0.1:"
           << exporterPort << "']\n";
  }
  int prometheusPort = 0;
  ASSERT_TRUE(StartServer(prometheus_, "prometheus",
                          {prometheus, "--config.file=" + Path("prometheus.yml"),
                           "--storage.tsdb.path=" + Path("data")},
                          prometheusPort));
  const std::string query =
      "/api/v1/query?query=" + UrlEncoded(
                                   "sum(tessaro_linktest_packets_sent_total{site=\"lab "
                                   "\\\"north\\\"\\\\east\"})");
  std::string answer;
  double queried = -1;
  e2e::WaitFor(
      [&] {
        if (!HttpGet(prometheusPort, query, answer)) return false;
        const nlohmann::json j = nlohmann::json::parse(answer, nullptr, false);
        if (j.is_discarded() || j["data"]["result"].empty()) return false;
        queried = std::stod(j["data"]["result"][0]["value"][1].get<std::string>());
        return true;
      },
      seconds(60));
  EXPECT_EQ(queried, static_cast<double>(sentAfter)) << answer;
  std::printf("sent in total: %llu in the file, node exporter and Prometheus's answer %.0f\n",
              static_cast<unsigned long long>(sentAfter), queried);

  // The result files are written at the end of a run stopped by a signal.
  const nlohmann::json j = nlohmann::json::parse(ReadFile(Path("r.json")), nullptr, false);
  ASSERT_FALSE(j.is_discarded());
  EXPECT_EQ(j["totals"]["sent"].get<std::uint64_t>(), sentAfter);
}

}  // namespace
}  // namespace tessaro::testing
