#include "sim/ScenarioFile.h"

#include <algorithm>
#include <fstream>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <sstream>

#include "link/PortSettings.h"

namespace tessaro::sim {

namespace {

using Json = nlohmann::json;

// Reads the members of one JSON object, remembering where it is for messages.
class Reader {
 public:
  Reader(const Json& object, std::string where, std::string* error)
      : object_(object), where_(std::move(where)), error_(error) {}

  bool Ok() const { return ok_; }

  // Every key must be one of these.
  bool OnlyKeys(std::initializer_list<const char*> keys) {
    if (!ok_) return false;
    if (!object_.is_object())
      return Fail(where_.empty() ? "the scenario" : where_, "must be an object");
    for (const auto& item : object_.items()) {
      bool known = false;
      for (const char* k : keys) known = known || item.key() == k;
      if (!known) return Fail(Path(item.key()), "is not a known key");
    }
    return true;
  }

  const Json* Find(const char* key) const {
    const auto it = object_.find(key);
    return it == object_.end() ? nullptr : &*it;
  }

  void Integer(const char* key, int& value, int low, int high) {
    const Json* v = Find(key);
    if (!ok_ || !v) return;
    if (!v->is_number_integer() || v->get<long long>() < low || v->get<long long>() > high) {
      Fail(Path(key),
           "must be a whole number " + std::to_string(low) + ".." + std::to_string(high));
      return;
    }
    value = static_cast<int>(v->get<long long>());
  }

  void Unsigned(const char* key, std::uint64_t& value) {
    const Json* v = Find(key);
    if (!ok_ || !v) return;
    if (!v->is_number_unsigned()) {
      Fail(Path(key), "must be a whole number 0 or more");
      return;
    }
    value = v->get<std::uint64_t>();
  }

  void Number(const char* key, double& value, double low, double high) {
    const Json* v = Find(key);
    if (!ok_ || !v) return;
    if (!v->is_number() || !(v->get<double>() >= low && v->get<double>() <= high)) {
      std::ostringstream range;
      range << low << ".." << high;
      Fail(Path(key), "must be a number " + range.str());
      return;
    }
    value = v->get<double>();
  }

  void Flag(const char* key, bool& value) {
    const Json* v = Find(key);
    if (!ok_ || !v) return;
    if (!v->is_boolean()) {
      Fail(Path(key), "must be true or false");
      return;
    }
    value = v->get<bool>();
  }

  void Text(const char* key, std::string& value, std::size_t longest) {
    const Json* v = Find(key);
    if (!ok_ || !v) return;
    if (!v->is_string() || v->get_ref<const std::string&>().size() > longest) {
      Fail(Path(key), "must be a text of at most " + std::to_string(longest) + " characters");
      return;
    }
    value = v->get<std::string>();
  }

  // A property value 1..high, given as a number or a one-digit text.
  void Digit(const char* key, char& value, int high) {
    const Json* v = Find(key);
    if (!ok_ || !v) return;
    int n = 0;
    if (v->is_number_integer()) {
      n = static_cast<int>(std::clamp<long long>(v->get<long long>(), -1, 99));
    } else if (v->is_string() && v->get_ref<const std::string&>().size() == 1) {
      n = v->get_ref<const std::string&>()[0] - '0';
    }
    if (n < 1 || n > high) {
      Fail(Path(key), "must be 1.." + std::to_string(high));
      return;
    }
    value = static_cast<char>('0' + n);
  }

  bool Fail(const std::string& where, const std::string& what) {
    if (ok_ && error_) *error_ = where + ": " + what;
    ok_ = false;
    return false;
  }

  std::string Path(const std::string& key) const {
    return where_.empty() ? key : where_ + "." + key;
  }

  void Absorb(const Reader& inner) { ok_ = ok_ && inner.ok_; }
  void SetFailed() { ok_ = false; }  // the reason is already told

 private:
  const Json& object_;
  std::string where_;
  std::string* error_;
  bool ok_ = true;
};

void ReadMode(Reader& r, const char* key, char& mode) {
  const Json* v = r.Find(key);
  if (!r.Ok() || !v) return;
  if (v->is_string()) {
    const std::string& s = v->get_ref<const std::string&>();
    if (s == "stand alone" || s == "standalone") {
      mode = '1';
      return;
    }
    if (s == "slave") {
      mode = '2';
      return;
    }
    if (s == "master") {
      mode = '3';
      return;
    }
  }
  r.Digit(key, mode, 3);
  if (!r.Ok()) return;
}

void ReadBaud(Reader& r, const char* key, int& baudIndex) {
  const Json* v = r.Find(key);
  if (!r.Ok() || !v) return;
  if (v->is_number_integer()) {
    for (int row = 0; row < kBaudCount; ++row) {
      if (BaudTable[row].rate == v->get<long long>()) {
        baudIndex = row;
        return;
      }
    }
  }
  r.Fail(r.Path(key), "must be one of 115200, 57600, 38400, 19200, 9600, 4800, 2400, 1200");
}

bool ReadBase(const Json& json, const std::string& where, bool sixChannel, BaseSetup& base,
              std::string* error) {
  Reader r(json, where, error);
  r.OnlyKeys({"number", "channel", "group", "power", "mode", "timeout", "baud", "terminals"});
  if (!r.Ok()) return false;
  if (!r.Find("number")) return r.Fail(where, "needs a \"number\"");
  r.Integer("number", base.number, 1, 16);
  r.Digit("channel", base.channel, sixChannel ? 6 : 4);
  r.Digit("group", base.group, 3);
  r.Digit("power", base.power, 5);
  ReadMode(r, "mode", base.mode);
  r.Integer("timeout", base.timeoutSeconds, 1, 99);
  ReadBaud(r, "baud", base.baudIndex);
  if (const Json* t = r.Find("terminals"); r.Ok() && t) {
    if (!t->is_array()) return r.Fail(r.Path("terminals"), "must be a list of numbers 1..99");
    base.terminals.clear();
    for (const Json& n : *t) {
      if (!n.is_number_integer() || n.get<long long>() < 1 || n.get<long long>() > 99)
        return r.Fail(r.Path("terminals"), "must be a list of numbers 1..99");
      base.terminals.push_back(static_cast<int>(n.get<long long>()));
    }
  }
  return r.Ok();
}

void ReadDelay(Reader& r, EchoDelay& delay) {
  const Json* v = r.Find("delay_ms");
  if (!r.Ok() || !v) return;
  const auto whole = [](const Json& j) {
    return j.is_number_integer() && j.get<long long>() >= 0 && j.get<long long>() <= 600000;
  };
  if (whole(*v)) {
    delay.minMs = delay.maxMs = static_cast<int>(v->get<long long>());
    return;
  }
  if (v->is_array() && v->size() == 2 && whole((*v)[0]) && whole((*v)[1]) &&
      (*v)[0].get<long long>() <= (*v)[1].get<long long>()) {
    delay.minMs = static_cast<int>((*v)[0].get<long long>());
    delay.maxMs = static_cast<int>((*v)[1].get<long long>());
    return;
  }
  r.Fail(r.Path("delay_ms"), "must be milliseconds 0..600000 or a range [min, max]");
}

// The "line" object: pacing, noise, six-channel mode.
void ReadLineSection(Reader& top, Scenario& s, std::string* error) {
  if (const Json* line = top.Find("line"); top.Ok() && line) {
    Reader r(*line, "line", error);
    r.OnlyKeys({"pace", "noise", "six_channel"});
    r.Flag("pace", s.line.pace);
    r.Number("noise", s.line.noisePerSecond, 0.0, 1000.0);
    r.Flag("six_channel", s.line.sixChannel);
    top.Absorb(r);
  }
}

// The "bases" list, each base checked on its own.
void ReadBasesSection(Reader& top, Scenario& s, std::string* error) {
  if (const Json* bases = top.Find("bases"); top.Ok() && bases) {
    if (!bases->is_array() || bases->empty()) {
      top.Fail("bases", "must be a list of at least one base");
    } else {
      s.bases.clear();
      for (std::size_t i = 0; i < bases->size() && top.Ok(); ++i) {
        BaseSetup base;
        const std::string where = "bases[" + std::to_string(i) + "]";
        if (!ReadBase((*bases)[i], where, s.line.sixChannel, base, error)) {
          top.SetFailed();
          break;
        }
        s.bases.push_back(base);
      }
    }
  }
}

// The "echo" object: delay, jitter, bursts and the faults of the radio link.
void ReadEchoSection(Reader& top, Scenario& s, std::string* error) {
  if (const Json* echo = top.Find("echo"); top.Ok() && echo) {
    Reader r(*echo, "echo", error);
    r.OnlyKeys({"delay_ms", "jitter_ms", "loss", "corruption", "duplicate", "ng_rate", "wt_rate",
                "silent_loss", "burst"});
    ReadDelay(r, s.delay);
    r.Integer("jitter_ms", s.delay.jitterMs, 0, 600000);
    if (const Json* burst = r.Find("burst"); r.Ok() && burst) {
      Reader b(*burst, "echo.burst", error);
      b.OnlyKeys({"enter_bad", "leave_bad", "loss_good", "loss_bad"});
      b.Number("enter_bad", s.burst.enterBad, 0.0, 1.0);
      b.Number("leave_bad", s.burst.leaveBad, 0.0, 1.0);
      b.Number("loss_good", s.burst.lossGood, 0.0, 1.0);
      b.Number("loss_bad", s.burst.lossBad, 0.0, 1.0);
      r.Absorb(b);
    }
    r.Number("loss", s.faults.echoLoss, 0.0, 1.0);
    r.Number("corruption", s.faults.echoCorruption, 0.0, 1.0);
    r.Number("duplicate", s.faults.echoDuplicate, 0.0, 1.0);
    r.Number("ng_rate", s.faults.ngRate, 0.0, 1.0);
    r.Number("wt_rate", s.faults.wtRate, 0.0, 1.0);
    r.Number("silent_loss", s.faults.silentLoss, 0.0, 1.0);
    top.Absorb(r);
  }
}

// The "passive" object: unsolicited traffic.
void ReadPassiveSection(Reader& top, Scenario& s, std::string* error) {
  if (const Json* passive = top.Find("passive"); top.Ok() && passive) {
    Reader r(*passive, "passive", error);
    r.OnlyKeys({"rate", "data_length"});
    r.Number("rate", s.passive.ratePerTerminal, 0.0, 1000.0);
    r.Integer("data_length", s.passive.dataLength, 0, 240);
    top.Absorb(r);
  }
}

// The "loader" object: the replies and faults of the download loader.
void ReadLoaderSection(Reader& top, Scenario& s, std::string* error) {
  if (const Json* loader = top.Find("loader"); top.Ok() && loader) {
    Reader r(*loader, "loader", error);
    r.OnlyKeys({"wake_reply", "maker_reply", "download_reply", "end_reply", "bad_checksum",
                "silent", "silent_at_packet", "fn_burst_at_packet", "fn_burst_length",
                "fault_at_packet", "split_replies", "split_gap_ms", "trailing_at_packet",
                "trailing_bytes", "idle_exit_ms"});
    LoaderConfig& l = s.loader;
    r.Text("wake_reply", l.wakeReply, 32);
    r.Text("maker_reply", l.makerReply, 32);
    r.Text("download_reply", l.downloadReply, 32);
    r.Text("end_reply", l.endReply, 32);
    std::string refusal = l.badChecksum == LoaderConfig::Refusal::kFf ? "FF" : "FN";
    r.Text("bad_checksum", refusal, 2);
    if (r.Ok() && refusal != "FF" && refusal != "FN")
      r.Fail("loader.bad_checksum", "must be \"FN\" or \"FF\"");
    l.badChecksum = refusal == "FF" ? LoaderConfig::Refusal::kFf : LoaderConfig::Refusal::kFn;
    r.Flag("silent", l.silent);
    r.Integer("silent_at_packet", l.silentAtPacket, 0, 1000000);
    r.Integer("fn_burst_at_packet", l.fnBurstAtPacket, 0, 1000000);
    r.Integer("fn_burst_length", l.fnBurstLength, 0, 1000000);
    r.Integer("fault_at_packet", l.faultAtPacket, 0, 1000000);
    r.Flag("split_replies", l.splitReplies);
    r.Integer("split_gap_ms", l.splitGapMs, 0, 10000);
    r.Integer("trailing_at_packet", l.trailingAtPacket, 0, 1000000);
    r.Text("trailing_bytes", l.trailingBytes, 32);
    r.Integer("idle_exit_ms", l.idleExitMs, 0, 86400000);
    top.Absorb(r);
  }
}

}  // namespace

bool ParseScenario(const std::string& text, Scenario& scenario, std::string* error) {
  Json json = Json::parse(text, nullptr, /*allow_exceptions=*/false, /*ignore_comments=*/true);
  if (json.is_discarded()) {
    if (error) *error = "not valid JSON";
    return false;
  }
  Scenario s = Scenario::Default();
  Reader top(json, "", error);
  top.OnlyKeys(
      {"seed", "attached", "bases", "echo", "passive", "line", "loader", "record_capacity"});
  top.Unsigned("seed", s.seed);
  top.Integer("attached", s.attachedBase, 1, 16);
  ReadLineSection(top, s, error);
  ReadBasesSection(top, s, error);
  ReadEchoSection(top, s, error);
  ReadPassiveSection(top, s, error);
  ReadLoaderSection(top, s, error);
  if (const Json* capacity = top.Find("record_capacity"); top.Ok() && capacity) {
    int value = 0;
    top.Integer("record_capacity", value, 16, 10000000);
    s.recordCapacity = static_cast<std::size_t>(value);
  }
  if (!top.Ok()) return false;
  if (!s.Validate(error)) return false;
  scenario = s;
  return true;
}

bool LoadScenarioFile(const std::string& path, Scenario& scenario, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    if (error) *error = path + ": cannot be read";
    return false;
  }
  std::ostringstream text;
  text << file.rdbuf();
  std::string reason;
  if (!ParseScenario(text.str(), scenario, &reason)) {
    if (error) *error = path + ": " + reason;
    return false;
  }
  return true;
}

}  // namespace tessaro::sim
