#include "link/LineTrace.h"

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>

#include "link/PortNames.h"

namespace tessaro {

namespace {

std::string LineText(const LineSettings& line) {
  static const char kParity[] = {'N', 'O', 'E', 'M', 'S'};
  static const char* const kStop[] = {"1", "1.5", "2"};
  char text[160];
  std::snprintf(text, sizeof text, "%u %u%c%s dtr=%u rts=%u cts=%s xon=%s", line.baudRate,
                line.byteSize, line.parity < sizeof kParity ? kParity[line.parity] : '?',
                line.stopBits < 3 ? kStop[line.stopBits] : "?", line.DtrControl(),
                line.RtsControl(), line.OutxCtsFlow() ? "on" : "off",
                line.OutX() || line.InX() ? "on" : "off");
  return text;
}

}  // namespace

std::string EscapeLineBytes(const char* bytes, std::size_t count) {
  std::string s;
  s.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c == '\r') {
      s += "\\r";
    } else if (c == '\n') {
      s += "\\n";
    } else if (c == '\\') {
      s += "\\\\";
    } else if (c < 0x20 || c >= 0x7f) {
      static const char kHex[] = "0123456789ABCDEF";
      s += "\\x";
      s += kHex[c >> 4];
      s += kHex[c & 15];
    } else {
      s += static_cast<char>(c);
    }
  }
  return s;
}

bool UnescapeLineBytes(const std::string& text, std::string& bytes) {
  bytes.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      bytes += text[i];
      continue;
    }
    if (++i >= text.size()) return false;
    switch (text[i]) {
      case 'r':
        bytes += '\r';
        break;
      case 'n':
        bytes += '\n';
        break;
      case '\\':
        bytes += '\\';
        break;
      case 'x': {
        if (i + 2 >= text.size()) return false;
        const char* digits = text.data() + i + 1;
        unsigned value = 0;
        const auto [stop, ec] = std::from_chars(digits, digits + 2, value, 16);
        if (ec != std::errc() || stop != digits + 2) return false;
        bytes += static_cast<char>(value);
        i += 2;
        break;
      }
      default:
        return false;
    }
  }
  return true;
}

TracingPort::TracingPort(SerialPort& port, std::FILE* file)
    : port_(port), file_(file), start_(std::chrono::steady_clock::now()) {}

TracingPort::~TracingPort() {
  std::fclose(file_);
}

std::FILE* TracingPort::OpenTraceFile(const char* path, int argc, const char* const* argv) {
  std::FILE* file = std::fopen(path, "w");
  if (file == nullptr) return nullptr;
  std::fputs("# tessaro line trace 1\n# program:", file);
  for (int i = 0; i < argc; ++i) std::fprintf(file, " %s", argv[i]);
  // The UTC date from the system clock alone: no C time call that is
  // thread-safe on one platform only.
  using namespace std::chrono;
  const auto now = floor<seconds>(system_clock::now());
  const auto day = floor<days>(now);
  const year_month_day date{day};
  const hh_mm_ss<seconds> time{now - day};
  std::fprintf(file, "\n# started: %04d-%02u-%02uT%02ld:%02ld:%02lldZ\n",
               static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
               static_cast<unsigned>(date.day()), static_cast<long>(time.hours().count()),
               static_cast<long>(time.minutes().count()),
               static_cast<long long>(time.seconds().count()));
  // A file that takes nothing (a full disk, /dev/full) is refused now,
  // before the run it should record.
  if (std::fflush(file) != 0) {
    const int error = errno;
    std::fclose(file);
    errno = error;
    return nullptr;
  }
  return file;
}

void TracingPort::Record(const char* event, const std::string& rest) {
  std::scoped_lock guard(lock_);
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
  std::fprintf(file_, "%.3f %s%s%s\n", ms, event, rest.empty() ? "" : " ", rest.c_str());
}

bool TracingPort::Open(const char* name) {
  const bool ok = port_.Open(name);
  hungUp_.store(false);
  noted_ = false;
  Record("open", std::string(name) + (ok ? " ok" : " failed"));
  // Which device a COM name stood for depends on the environment of the run.
  char device[320];
  DescribePortName(name, device, sizeof device);
  if (device[0] != '\0') {
    std::scoped_lock guard(lock_);
    std::fprintf(file_, "# %s\n", device);
  }
  return ok;
}

bool TracingPort::ApplyLineSettings(const LineSettings& line) {
  const bool ok = port_.ApplyLineSettings(line);
  Record("line", LineText(line) + (ok ? " ok" : " refused"));
  // What a network port could not set, once: a raw TCP port says it at
  // every setting.
  const char* note = port_.LineNote();
  if (note[0] != '\0' && !noted_) {
    noted_ = true;
    Record("note", note);
  }
  return ok;
}

void TracingPort::SetQueuesAndTimeouts(const PortTimeouts& t) {
  port_.SetQueuesAndTimeouts(t);
  char text[96];
  std::snprintf(text, sizeof text, "in=%d out=%d write=%dms/byte+%dms", t.inputQueue, t.outputQueue,
                t.writeMsPerByte, t.writeConstantMs);
  Record("queues", text);
}

WaitResult TracingPort::WaitReadable(int timeoutMs) {
  const WaitResult result = port_.WaitReadable(timeoutMs);
  if (result == WaitResult::HungUp && !hungUp_.exchange(true)) {
    Record("hangup", "");
    std::scoped_lock guard(lock_);
    std::fflush(file_);
  }
  return result;
}

long TracingPort::Read(char* buffer, std::size_t size) {
  const long got = port_.Read(buffer, size);
  if (got > 0) Record("<", EscapeLineBytes(buffer, static_cast<std::size_t>(got)));
  if (got < 0) Record("read-failed", "");
  return got;
}

long TracingPort::Write(const char* bytes, std::size_t count) {
  const long put = port_.Write(bytes, count);
  if (put > 0) Record(">", EscapeLineBytes(bytes, static_cast<std::size_t>(put)));
  if (put < 0 || static_cast<std::size_t>(put) < count) {
    Record("write-short", std::to_string(put < 0 ? 0 : put) + " of " + std::to_string(count));
  }
  return put;
}

void TracingPort::PurgeInput() {
  port_.PurgeInput();
  Record("purge", "");
}

void TracingPort::Close() {
  const bool wasOpen = port_.IsOpen();
  port_.Close();
  if (wasOpen) Record("close", "");
  std::scoped_lock guard(lock_);
  std::fflush(file_);
}

bool TracingPort::WrittenInFull() {
  std::scoped_lock guard(lock_);
  const bool flushed = std::fflush(file_) == 0;
  return flushed && std::ferror(file_) == 0;
}

bool ReadTrace(std::FILE* file, std::vector<TraceEvent>& events, std::string& error) {
  std::string line;
  int number = 0;
  int c = 0;
  while (true) {
    line.clear();
    while ((c = std::fgetc(file)) != EOF && c != '\n') line += static_cast<char>(c);
    if (c == EOF && line.empty()) break;
    ++number;
    if (line.empty() || line[0] == '#') continue;
    TraceEvent e;
    e.lineNumber = number;
    char* end = nullptr;
    e.ms = std::strtod(line.c_str(), &end);
    std::size_t at = static_cast<std::size_t>(end - line.c_str());
    if (at == 0 || at >= line.size() || line[at] != ' ') {
      error = "line " + std::to_string(number) + ": no time at its start";
      return false;
    }
    const std::size_t space = line.find(' ', at + 1);
    e.kind = line.substr(at + 1, space == std::string::npos ? std::string::npos : space - at - 1);
    if (space != std::string::npos) e.text = line.substr(space + 1);
    if ((e.kind == "<" || e.kind == ">") && !UnescapeLineBytes(e.text, e.bytes)) {
      error = "line " + std::to_string(number) + ": a broken escape";
      return false;
    }
    events.push_back(std::move(e));
  }
  if (std::ferror(file)) {
    error = "the trace cannot be read";
    return false;
  }
  return true;
}

}  // namespace tessaro
