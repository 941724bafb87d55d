// The simulator's public operations: each takes the one lock, changes or
// copies what it needs, and wakes the loop when the line has work.

#include "sim/Simulator.h"

#include <algorithm>
#include <cstdio>

#include "link/PortSettings.h"
#include "sim/SimulatorImpl.h"

namespace tessaro::sim {

Simulator::Simulator() : Simulator(Scenario::Default()) {}

Simulator::Simulator(const Scenario& scenario) : impl_(std::make_unique<Impl>(scenario)) {}

Simulator::~Simulator() {
  Stop();
}

bool Simulator::Start(std::string* error) {
  return Start(Endpoint{}, error);
}

bool Simulator::Start(const Endpoint& where, std::string* error) {
  std::scoped_lock lock(impl_->mu);
  return impl_->Start(where, error);
}

void Simulator::Stop() {
  impl_->Stop();
}

bool Simulator::Running() const {
  std::scoped_lock lock(impl_->mu);
  return impl_->running;
}

std::string Simulator::SlavePath() const {
  std::scoped_lock lock(impl_->mu);
  return impl_->line.Path();
}

void Simulator::TraceLine(std::FILE* file) {
  std::scoped_lock lock(impl_->mu);
  if (file) {
    impl_->recorder.emplace(file);
  } else {
    impl_->recorder.reset();
  }
}

// ---- runtime operations ----

bool Simulator::AddTerminal(int base, int terminal) {
  std::scoped_lock lock(impl_->mu);
  Impl& s = *impl_;
  if (!s.net.Present(base) || terminal < 1 || terminal > 99) return false;
  if (s.net.Base(base).terminal[terminal]) return true;
  s.net.AddTerminal(base, terminal);
  s.Announce("@TM00\r");
  s.ArmPassive(s.NowUs());
  s.Touch();
  return true;
}

bool Simulator::RemoveTerminal(int terminal) {
  std::scoped_lock lock(impl_->mu);
  Impl& s = *impl_;
  if (!s.net.RemoveTerminal(terminal)) return false;
  s.Announce("@TM00\r");
  s.ArmPassive(s.NowUs());
  s.Touch();
  return true;
}

bool Simulator::MoveBase(int from, int to) {
  std::scoped_lock lock(impl_->mu);
  Impl& s = *impl_;
  if (!s.net.MoveBase(from, to)) return false;
  if (from != to) {
    // Told the way the base tells a renumbering the PC asked for.
    char text[9] = {'@', 'I', 'D', 0, 0, 0, 0, '\r', '\0'};
    text[3] = static_cast<char>('0' + from / 10);
    text[4] = static_cast<char>('0' + from % 10);
    text[5] = static_cast<char>('0' + to / 10);
    text[6] = static_cast<char>('0' + to % 10);
    s.Announce(text);
  }
  s.Touch();
  return true;
}

bool Simulator::AddBase(const BaseSetup& base) {
  std::scoped_lock lock(impl_->mu);
  Impl& s = *impl_;
  Scenario check = s.config;
  check.bases = {base};
  check.attachedBase = base.number;
  if (!check.Validate(nullptr) || !s.net.AddBase(base)) return false;
  s.ArmPassive(s.NowUs());
  s.Touch();
  return true;
}

bool Simulator::RemoveBase(int number) {
  std::scoped_lock lock(impl_->mu);
  Impl& s = *impl_;
  if (!s.net.RemoveBase(number)) return false;
  s.ArmPassive(s.NowUs());
  s.Touch();
  return true;
}

void Simulator::SetDelay(EchoDelay delay) {
  std::scoped_lock lock(impl_->mu);
  if (delay.minMs < 0 || delay.maxMs < delay.minMs || delay.jitterMs < 0) return;
  impl_->config.delay = delay;
  impl_->Touch();
}

void Simulator::SetFaults(const LinkFaults& faults) {
  std::scoped_lock lock(impl_->mu);
  impl_->ChangeChecked([&](Scenario& s) { s.faults = faults; });
}

void Simulator::SetBurst(const BurstLoss& burst) {
  std::scoped_lock lock(impl_->mu);
  impl_->ChangeChecked([&](Scenario& s) { s.burst = burst; });
}

void Simulator::SetEchoLoss(double probability) {
  std::scoped_lock lock(impl_->mu);
  if (!(probability >= 0.0 && probability <= 1.0)) return;
  impl_->config.faults.echoLoss = probability;
  impl_->Touch();
}

void Simulator::SetPassive(const PassiveTraffic& passive) {
  std::scoped_lock lock(impl_->mu);
  Impl& s = *impl_;
  if (!(passive.ratePerTerminal >= 0.0 && passive.ratePerTerminal <= 1000.0) ||
      passive.dataLength < 0 || passive.dataLength > 240)
    return;
  s.config.passive = passive;
  s.ArmPassive(s.NowUs());
  s.Wake();
  s.Touch();
}

void Simulator::SetPacing(bool on) {
  std::scoped_lock lock(impl_->mu);
  impl_->config.line.pace = on;
  impl_->lineFreeAtNs = impl_->NowUs() * 1000;
  impl_->Wake();
  impl_->Touch();
}

void Simulator::SetNoise(double burstsPerSecond) {
  std::scoped_lock lock(impl_->mu);
  Impl& s = *impl_;
  if (!(burstsPerSecond >= 0.0 && burstsPerSecond <= 1000.0)) return;
  s.config.line.noisePerSecond = burstsPerSecond;
  s.ArmNoise(s.NowUs());
  s.Wake();
  s.Touch();
}

void Simulator::SetSixChannel(bool on) {
  std::scoped_lock lock(impl_->mu);
  impl_->config.line.sixChannel = on;
  impl_->Touch();
}

void Simulator::SetLoader(const LoaderConfig& loader) {
  std::scoped_lock lock(impl_->mu);
  impl_->config.loader = loader;
  impl_->loader.Configure(loader);
  impl_->Touch();
}

void Simulator::InjectNoise(int bytes) {
  std::scoped_lock lock(impl_->mu);
  impl_->SendNoise(bytes);
  impl_->Wake();
}

void Simulator::InjectSixChannelOne() {
  std::scoped_lock lock(impl_->mu);
  impl_->Enqueue("1", 1);
  impl_->Wake();
}

void Simulator::InjectRaw(const std::string& bytes) {
  std::scoped_lock lock(impl_->mu);
  impl_->Enqueue(bytes.data(), bytes.size());
  impl_->Wake();
}

Scenario Simulator::Snapshot() const {
  std::scoped_lock lock(impl_->mu);
  Scenario s = impl_->config;
  impl_->net.Store(s);
  return s;
}

std::string Simulator::Describe() const {
  std::scoped_lock lock(impl_->mu);
  const Impl& s = *impl_;
  std::string text = s.net.Describe();
  char line[256];
  const LinkFaults& f = s.config.faults;
  std::snprintf(line, sizeof line,
                "echo delay %d-%d ms  loss %.3f  corruption %.3f  duplicates %.3f  NG %.3f  "
                "WT %.3f  silent loss %.3f\n",
                s.config.delay.minMs, s.config.delay.maxMs, f.echoLoss, f.echoCorruption,
                f.echoDuplicate, f.ngRate, f.wtRate, f.silentLoss);
  text += line;
  const BurstLoss& b = s.config.burst;
  std::snprintf(line, sizeof line,
                "jitter %d ms  bursts: enter %.3f  leave %.3f  loss good %.3f  loss bad %.3f\n",
                s.config.delay.jitterMs, b.enterBad, b.leaveBad, b.lossGood, b.lossBad);
  text += line;
  std::snprintf(line, sizeof line,
                "PASSIVE traffic %.3f/s per terminal (data length %d)  noise %.3f/s  "
                "six-channel %s  pacing %s\n",
                s.config.passive.ratePerTerminal, s.config.passive.dataLength,
                s.config.line.noisePerSecond, s.config.line.sixChannel ? "on" : "off",
                s.config.line.pace ? "on" : "off");
  text += line;
  std::snprintf(line, sizeof line, "line %s: %s, PC at %d bps, base at %d bps%s%s\n",
                s.line.Path().empty() ? "(not started)" : s.line.Path().c_str(),
                s.held ? "held by a PC" : "nobody holds it", s.lineSpeed, s.ExpectedSpeed(),
                s.Garbled() ? " (speeds differ: garbage both ways)" : "",
                s.loader.Active() ? ", loader active" : "");
  text += line;
  return text;
}

// ---- observation ----

std::vector<std::string> Simulator::Received(std::size_t from) const {
  std::scoped_lock lock(impl_->mu);
  const Impl& s = *impl_;
  std::vector<std::string> messages;
  for (std::size_t i = std::max(from, s.received.First()); i < s.received.Total(); ++i) {
    const MessageSlot* m = s.received.At(i);
    messages.emplace_back(m->text, static_cast<std::size_t>(m->length));
  }
  return messages;
}

std::size_t Simulator::ReceivedCount() const {
  std::scoped_lock lock(impl_->mu);
  return impl_->received.Total();
}

bool Simulator::WaitForMessage(const std::string& prefix, std::chrono::milliseconds timeout,
                               std::size_t from) const {
  return WaitUntil(
      [&] {
        for (const std::string& m : Received(from)) {
          if (m.compare(0, prefix.size(), prefix) == 0) return true;
        }
        return false;
      },
      timeout);
}

bool Simulator::WaitUntil(const std::function<bool()>& condition,
                          std::chrono::milliseconds timeout) const {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::unique_lock lock(impl_->mu);
  for (;;) {
    const std::uint64_t seen = impl_->version;
    lock.unlock();
    if (condition()) return true;
    lock.lock();
    const bool moved =
        impl_->changed.wait_until(lock, deadline, [&] { return impl_->version != seen; });
    if (!moved) {
      lock.unlock();
      return condition();
    }
  }
}

std::vector<EchoRecord> Simulator::Echoes() const {
  std::scoped_lock lock(impl_->mu);
  const Impl& s = *impl_;
  std::vector<EchoRecord> records;
  for (std::size_t i = s.echoes.First(); i < s.echoes.Total(); ++i)
    records.push_back(*s.echoes.At(i));
  return records;
}

std::vector<EchoRecord> Simulator::Echoes(int terminal) const {
  std::vector<EchoRecord> records = Echoes();
  std::erase_if(records, [terminal](const EchoRecord& r) { return r.terminal != terminal; });
  return records;
}

std::vector<PassiveRecord> Simulator::Passive() const {
  std::scoped_lock lock(impl_->mu);
  const Impl& s = *impl_;
  std::vector<PassiveRecord> records;
  for (std::size_t i = s.passive.First(); i < s.passive.Total(); ++i)
    records.push_back(*s.passive.At(i));
  return records;
}

std::vector<std::string> Simulator::PassiveEchoesReceived() const {
  std::scoped_lock lock(impl_->mu);
  const Impl& s = *impl_;
  std::vector<std::string> messages;
  for (std::size_t i = s.passiveEchoes.First(); i < s.passiveEchoes.Total(); ++i) {
    const MessageSlot* m = s.passiveEchoes.At(i);
    messages.emplace_back(m->text, static_cast<std::size_t>(m->length));
  }
  return messages;
}

Counters Simulator::Stats() const {
  std::scoped_lock lock(impl_->mu);
  return impl_->counters;
}

void Simulator::ClearRecords() {
  std::scoped_lock lock(impl_->mu);
  Impl& s = *impl_;
  s.received.Clear();
  s.echoes.Clear();
  s.passive.Clear();
  s.passiveEchoes.Clear();
}

int Simulator::LineSpeed() const {
  std::scoped_lock lock(impl_->mu);
  return impl_->line.ReadSpeed();
}

int Simulator::BaseSpeed() const {
  std::scoped_lock lock(impl_->mu);
  return impl_->ExpectedSpeed();
}

bool Simulator::LineHeld() const {
  std::scoped_lock lock(impl_->mu);
  return impl_->held;
}

// ---- the loader ----

LoaderStatus Simulator::Loader() const {
  std::scoped_lock lock(impl_->mu);
  const auto& l = impl_->loader;
  LoaderStatus status;
  status.active = l.Active();
  status.sessions = l.Sessions();
  status.completed = l.Completed();
  status.packetsAccepted = l.PacketsAccepted();
  status.packetsRefused = l.PacketsRefused();
  status.packetsReceived = l.PacketsReceived();
  status.lines = l.Lines();
  return status;
}

Image Simulator::LoaderImage() const {
  std::scoped_lock lock(impl_->mu);
  return impl_->loader.Received();
}

bool Simulator::WriteImageBinary(const std::string& path, std::string* error) const {
  return SaveImageBinary(LoaderImage(), path, error);
}

bool Simulator::WriteImageSRecord(const std::string& path, std::string* error) const {
  return SaveImageSRecord(LoaderImage(), path, error);
}

}  // namespace tessaro::sim
