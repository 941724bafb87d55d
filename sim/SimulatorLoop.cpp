// The event loop: one thread, one poll() over the line and a wake-up pipe,
// and the timer queue for everything the network does later.

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "link/PortSettings.h"
#include "sim/SimulatorImpl.h"

namespace tessaro::sim {

namespace {

// While nobody holds the slave, look again this often.
constexpr std::int64_t kHoldCheckUs = 50'000;
// Output that piles up because the PC does not read is dropped past this.
constexpr std::size_t kOutputLimit = 1u << 20;
constexpr std::size_t kReadChunk = 16384;
constexpr int kReadsPerTurn = 8;
// Pacing writes about this much line time at once, and catches up on at most
// this much lateness of the loop's wake-ups.
constexpr std::int64_t kPaceChunkNs = 4'000'000;
constexpr std::int64_t kPaceCatchUpNs = 5'000'000;
// The idle loop still turns this often, so waiters see a fresh line speed.
constexpr int kLongestWaitMs = 200;

}  // namespace

Simulator::Impl::Impl(const Scenario& scenario) : config(scenario) {
  net.Load(scenario);
  rng.Seed(scenario.seed);
  loader.Configure(scenario.loader);
}

Simulator::Impl::~Impl() {
  Stop();
}

std::int64_t Simulator::Impl::NowUs() const {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return std::chrono::duration_cast<std::chrono::microseconds>(now).count() - epochUs;
}

bool Simulator::Impl::Start(const Endpoint& where, std::string* error) {
  if (running) {
    if (error) *error = "the simulator is already running";
    return false;
  }
  Scenario whole = config;
  net.Store(whole);
  if (!whole.Validate(error)) return false;
  const int baud = ExpectedSpeed();
  const bool opened = where.devicePath.empty() ? line.OpenPty(where.linkPath, baud, error)
                                               : line.OpenDevice(where.devicePath, baud, error);
  if (!opened) return false;
  int fds[2];
  if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) {
    if (error) *error = "cannot make the wake-up pipe";
    line.Close();
    return false;
  }
  wakeRead = fds[0];
  wakeWrite = fds[1];
  epochUs = 0;
  epochUs = NowUs();
  const std::int64_t now = NowUs();
  held = !line.IsPty();  // a device is always "held": its far end cannot be seen
  if (held && recorder) recorder->Opened(line.Path());
  ReadLineSpeed();
  nextHoldCheckUs = now;
  waitWritable = false;
  out.clear();
  out.reserve(1u << 16);
  outHead = 0;
  lineFreeAtNs = now * 1000;
  frameLength = 0;
  received.Reset(config.recordCapacity);
  echoes.Reset(config.recordCapacity);
  passive.Reset(config.recordCapacity);
  passiveEchoes.Reset(std::min<std::size_t>(config.recordCapacity, 4096));
  timers.Reserve(4096);
  ArmPassive(now);
  ArmNoise(now);
  stopping.store(false);
  running = true;
  thread = std::thread([this] { Run(); });
  return true;
}

void Simulator::Impl::Stop() {
  {
    std::scoped_lock lock(mu);
    if (!running) return;
    stopping.store(true);
  }
  Wake();
  if (thread.joinable()) thread.join();
  std::scoped_lock lock(mu);
  running = false;
  if (recorder) recorder->Closed();
  line.Close();
  close(wakeRead);
  close(wakeWrite);
  wakeRead = wakeWrite = -1;
  held = false;
  while (!timers.Empty()) timers.ReleaseSlot(timers.Pop().slot);
  ++version;
  changed.notify_all();
}

void Simulator::Impl::Wake() {
  if (wakeWrite < 0) return;
  const char byte = 1;
  // A full pipe already holds a wake-up; nothing is lost.
  [[maybe_unused]] const ssize_t n = write(wakeWrite, &byte, 1);
}

void Simulator::Impl::Touch() {
  ++version;
  changed.notify_all();
}

int Simulator::Impl::ExpectedSpeed() const {
  if (loader.Active()) return 115200;  // the loader always listens at this speed
  const int index = net.Base(net.Attached()).baudIndex;
  return BaudTable[std::clamp(index, 0, kBaudCount - 1)].rate;
}

bool Simulator::Impl::Garbled() const {
  // A serial device's speed is ours to set; only a pty tells what the PC chose.
  return line.IsPty() && lineSpeed != 0 && lineSpeed != ExpectedSpeed();
}

void Simulator::Impl::Enqueue(const char* bytes, std::size_t count) {
  if (!held || line.Fd() < 0) {
    counters.bytesDropped += count;  // nobody listens: a real line loses it too
    return;
  }
  if (out.size() - outHead + count > kOutputLimit) {
    counters.bytesDropped += count;
    return;
  }
  if (Garbled()) {
    // Bytes at the wrong speed arrive as framing garbage: never "@" or "\r".
    for (std::size_t i = 0; i < count; ++i)
      out.push_back(static_cast<char>(0x80 | (rng.Next() & 0x7F)));
    counters.garbledBytes += count;
    return;
  }
  out.insert(out.end(), bytes, bytes + count);
}

void Simulator::Impl::Flush(std::int64_t nowUs) {
  const std::int64_t nowNs = nowUs * 1000;
  while (held && !waitWritable && outHead < out.size()) {
    std::size_t want = out.size() - outHead;
    std::int64_t byteNs = 0;
    if (config.line.pace) {
      const int speed = lineSpeed != 0 ? lineSpeed : ExpectedSpeed();
      byteNs = 10'000'000'000LL / speed;  // start, 8 data and stop bit
      if (lineFreeAtNs > nowNs) break;
      want = std::min<std::size_t>(
          want, static_cast<std::size_t>(std::max<std::int64_t>(1, kPaceChunkNs / byteNs)));
    }
    const ssize_t n = write(line.Fd(), out.data() + outHead, want);
    if (n > 0) {
      if (recorder) recorder->Wrote(out.data() + outHead, static_cast<std::size_t>(n));
      outHead += static_cast<std::size_t>(n);
      counters.bytesOut += static_cast<std::uint64_t>(n);
      if (config.line.pace)
        lineFreeAtNs = std::max(lineFreeAtNs, nowNs - kPaceCatchUpNs) + n * byteNs;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    const bool full = n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    if (!full && line.IsPty()) {
      OnHungUp(nowUs);
    } else {
      waitWritable = true;  // full, or a device that refuses now may take it later
    }
    break;
  }
  if (outHead == out.size()) {
    out.clear();
    outHead = 0;
    if (pendingDeviceBaud != 0) {
      line.SetSpeed(pendingDeviceBaud);
      pendingDeviceBaud = 0;
    }
  } else if (outHead > (1u << 16)) {
    out.erase(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(outHead));
    outHead = 0;
  }
}

void Simulator::Impl::OnOpened(std::int64_t nowUs) {
  held = true;
  ++counters.opens;
  if (recorder) recorder->Opened(line.Path());
  ReadLineSpeed();
  lineFreeAtNs = nowUs * 1000;
  frameLength = 0;
  waitWritable = false;
}

void Simulator::Impl::ReadLineSpeed() {
  lineSpeed = line.ReadSpeed();
  if (held && recorder) recorder->Speed(lineSpeed);
}

void Simulator::Impl::OnHungUp(std::int64_t nowUs) {
  held = false;
  if (recorder) recorder->HungUp();
  // What the PC did not read would greet the next opener: a real line forgets it.
  line.Discard();
  counters.bytesDropped += out.size() - outHead;
  out.clear();
  outHead = 0;
  frameLength = 0;
  waitWritable = false;
  nextHoldCheckUs = nowUs + kHoldCheckUs;
}

void Simulator::Impl::ReadInput(std::int64_t nowUs) {
  char buffer[kReadChunk];
  for (int turn = 0; turn < kReadsPerTurn && held; ++turn) {
    const ssize_t n = read(line.Fd(), buffer, sizeof buffer);
    if (n > 0) {
      if (recorder) recorder->Read(buffer, static_cast<std::size_t>(n));
      counters.bytesIn += static_cast<std::uint64_t>(n);
      ProcessInput(buffer, static_cast<std::size_t>(n), nowUs);
      if (static_cast<std::size_t>(n) < sizeof buffer) return;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
    if (line.IsPty()) OnHungUp(nowUs);  // EIO: the last holder closed the slave
    return;
  }
}

void Simulator::Impl::ProcessInput(const char* bytes, std::size_t count, std::int64_t nowUs) {
  if (Garbled()) {
    // Nothing the PC sends at the wrong speed makes sense to the base, and
    // what it answers makes no sense to the PC.
    frameLength = 0;
    Enqueue(bytes, count);
    return;
  }
  std::size_t i = 0;
  while (i < count) {
    if (loader.Active()) {
      i += loader.Feed(bytes + i, count - i, nowUs / 1000, *this);
      if (!loader.Active()) LeftLoader();
      continue;
    }
    const char c = bytes[i++];
    if (c == '@') {
      frame[0] = '@';
      frameLength = 1;
      frameOverflow = false;
      continue;
    }
    if (frameLength == 0) continue;  // stray bytes between messages mean nothing
    if (frameLength < kLongestInbound) {
      frame[frameLength++] = c;
    } else {
      frameOverflow = true;
    }
    if (c == '\r') {
      if (frameOverflow) {
        AnswerError(frame, frameLength);
      } else {
        HandleMessage(frame, frameLength, nowUs);
      }
      frameLength = 0;
    }
  }
}

void Simulator::Impl::LeftLoader() {
  // A serial device goes back to the base's own speed once the loader's
  // last answer has left; a pty's speed is the PC's to set.
  if (!line.IsPty()) pendingDeviceBaud = ExpectedSpeed();
}

void Simulator::Impl::LoaderReply(const char* bytes, std::size_t count) {
  if (config.loader.splitReplies && count > 1) {
    Enqueue(bytes, 1);
    Schedule(EventKind::kLoaderTail, NowUs() + config.loader.splitGapMs * 1000LL, bytes + 1,
             static_cast<int>(count - 1));
    return;
  }
  Enqueue(bytes, count);
}

void Simulator::Impl::RunDueEvents(std::int64_t nowUs) {
  // Only what is due now: events scheduled while handling these wait their turn.
  std::size_t budget = timers.Size();
  while (budget-- > 0 && !timers.Empty() && timers.NextDueUs() <= nowUs) {
    const TimerEvent event = timers.Pop();
    HandleEvent(event);
    timers.ReleaseSlot(event.slot);
  }
  if (loader.IdleExpired(nowUs / 1000)) {
    loader.Leave();
    LeftLoader();
  }
}

int Simulator::Impl::PollTimeoutMs(std::int64_t nowUs) const {
  std::int64_t next = nowUs + kLongestWaitMs * 1000LL;
  if (!timers.Empty()) next = std::min(next, timers.NextDueUs());
  if (!held) next = std::min(next, nextHoldCheckUs);
  if (held && config.line.pace && outHead < out.size() && !waitWritable)
    next = std::min(next, lineFreeAtNs / 1000);
  if (loader.Active() && config.loader.idleExitMs > 0)
    next = std::min(next, loader.IdleDeadline() * 1000);
  if (next <= nowUs) return 0;
  return static_cast<int>((next - nowUs + 999) / 1000);
}

void Simulator::Impl::Run() {
  std::unique_lock lock(mu);
  while (!stopping.load()) {
    std::int64_t now = NowUs();
    RunDueEvents(now);
    Flush(now);
    Touch();
    pollfd fds[2] = {};
    fds[0].fd = wakeRead;
    fds[0].events = POLLIN;
    fds[1].fd = held ? line.Fd() : -1;  // a hung-up master would report POLLHUP at once
    fds[1].events = static_cast<short>(POLLIN | (waitWritable ? POLLOUT : 0));
    const int timeout = PollTimeoutMs(now);
    lock.unlock();
    const int ready = poll(fds, 2, timeout);
    lock.lock();
    if (stopping.load()) break;
    now = NowUs();
    if (ready > 0 && (fds[0].revents & POLLIN)) {
      char drain[64];
      while (read(wakeRead, drain, sizeof drain) > 0) {
      }
    }
    if (held) {
      ReadLineSpeed();
      if (fds[1].revents & POLLOUT) waitWritable = false;
      if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) ReadInput(now);
      // A hang-up seen together with input may be stale: the PC closed and
      // opened again, and what it sent since has just been answered.  Only a
      // line that is still without an opener is hung up.
      if (held && line.IsPty() && (fds[1].revents & (POLLHUP | POLLERR))) {
        pollfd probe = {line.Fd(), POLLIN, 0};
        if (poll(&probe, 1, 0) < 0 || (probe.revents & (POLLHUP | POLLERR | POLLNVAL))) {
          OnHungUp(now);
        }
      }
    } else if (now >= nextHoldCheckUs) {
      pollfd probe = {line.Fd(), POLLIN, 0};
      if (poll(&probe, 1, 0) >= 0 && !(probe.revents & (POLLHUP | POLLERR | POLLNVAL))) {
        OnOpened(now);
        if (probe.revents & POLLIN) ReadInput(now);
      } else {
        nextHoldCheckUs = now + kHoldCheckUs;
      }
    }
  }
  Touch();
}

}  // namespace tessaro::sim
