#include "link/TelnetCodec.h"

#include <initializer_list>

namespace tessaro {

void TelnetCodec::Reset() {
  parse_ = Parse::Data;
  verb_ = 0;
  for (int i = 0; i < kSlots; ++i) us_[i] = him_[i] = State::No;
  comPortAsked_ = false;
  subSize_ = 0;
  subOverflow_ = false;
  pendingSize_ = 0;
  answers_ = Answers{};
}

int TelnetCodec::Slot(std::uint8_t option) {
  switch (option) {
    case kBinary:
      return 0;
    case kSga:
      return 1;
    case kComPort:
      return 2;
    default:
      return -1;
  }
}

// The com-port option is a client's to offer (WILL); the server never
// performs it for us.
bool TelnetCodec::Wanted(std::uint8_t option, bool ours) {
  if (option == kComPort) return ours;
  return option == kBinary || option == kSga;
}

TelnetCodec::State TelnetCodec::Us(std::uint8_t option) const {
  const int slot = Slot(option);
  return slot < 0 ? State::No : us_[slot];
}

TelnetCodec::State TelnetCodec::Him(std::uint8_t option) const {
  const int slot = Slot(option);
  return slot < 0 ? State::No : him_[slot];
}

void TelnetCodec::Put(std::uint8_t byte) {
  if (pendingSize_ < kPendingSize) pending_[pendingSize_++] = byte;
}

void TelnetCodec::Ask(std::uint8_t verb, std::uint8_t option) {
  Put(kIac);
  Put(verb);
  Put(option);
}

void TelnetCodec::Start() {
  for (const std::uint8_t option : {kBinary, kSga}) {
    const int slot = Slot(option);
    us_[slot] = State::WantYes;
    Ask(kWill, option);
    him_[slot] = State::WantYes;
    Ask(kDo, option);
  }
  us_[Slot(kComPort)] = State::WantYes;
  comPortAsked_ = true;
  Ask(kWill, kComPort);
}

std::size_t TelnetCodec::Feed(const std::uint8_t* in, std::size_t count, std::uint8_t* out) {
  std::size_t data = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t byte = in[i];
    switch (parse_) {
      case Parse::Data:
        if (byte == kIac) {
          parse_ = Parse::Iac;
        } else {
          out[data++] = byte;
        }
        break;
      case Parse::Iac:
        if (byte == kIac) {
          out[data++] = byte;
          parse_ = Parse::Data;
        } else if (byte >= kWill && byte <= kDont) {
          verb_ = byte;
          parse_ = Parse::Verb;
        } else if (byte == kSb) {
          subSize_ = 0;
          subOverflow_ = false;
          parse_ = Parse::Sub;
        } else {
          // NOP, GA, break, a stray SE and the like carry nothing for a
          // serial line.
          parse_ = Parse::Data;
        }
        break;
      case Parse::Verb:
        OnVerb(verb_, byte);
        parse_ = Parse::Data;
        break;
      case Parse::Sub:
        if (byte == kIac) {
          parse_ = Parse::SubIac;
        } else if (subSize_ < kSubSize) {
          sub_[subSize_++] = byte;
        } else {
          subOverflow_ = true;
        }
        break;
      case Parse::SubIac:
        if (byte == kIac) {
          if (subSize_ < kSubSize) {
            sub_[subSize_++] = byte;
          } else {
            subOverflow_ = true;
          }
          parse_ = Parse::Sub;
        } else {
          // IAC SE ends it; any other command inside a subnegotiation ends it
          // too (RFC 855 leaves that undefined; a lost SE must not swallow
          // the data that follows).
          if (byte == kSe && !subOverflow_) OnSubnegotiation();
          parse_ = Parse::Data;
        }
        break;
    }
  }
  return data;
}

// RFC 1143, without the queue (see the class comment).  A reply goes out
// only on a change of state, which is what ends loops.
void TelnetCodec::OnVerb(std::uint8_t verb, std::uint8_t option) {
  const int slot = Slot(option);
  const bool himSide = verb == kWill || verb == kWont;
  const bool enable = verb == kWill || verb == kDo;
  const std::uint8_t yes = himSide ? kDo : kWill;
  const std::uint8_t no = himSide ? kDont : kWont;
  if (slot < 0) {
    // Not an option we know: refuse an offer, and say nothing to a refusal
    // (our side is off already).
    if (enable) Ask(no, option);
    return;
  }
  State& state = himSide ? him_[slot] : us_[slot];
  const bool wanted = Wanted(option, !himSide);
  switch (state) {
    case State::No:
      if (enable) {
        if (wanted) {
          state = State::Yes;
          Ask(yes, option);
        } else {
          Ask(no, option);
        }
      }
      break;
    case State::Yes:
      if (!enable) {
        state = State::No;
        Ask(no, option);
      }
      break;
    case State::WantNo:
      state = State::No;
      break;
    case State::WantYes:
      state = enable ? State::Yes : State::No;
      break;
  }
}

void TelnetCodec::OnSubnegotiation() {
  if (subSize_ < 2 || sub_[0] != kComPort) return;
  const std::uint8_t code = sub_[1];
  if (code <= kServerOffset || code - kServerOffset > 15) return;
  const std::uint8_t command = static_cast<std::uint8_t>(code - kServerOffset);
  const std::uint8_t* value = sub_ + 2;
  const std::size_t size = subSize_ - 2;
  switch (command) {
    case kSetBaudRate:
      if (size != 4) return;
      answers_.baudRate = (std::uint32_t{value[0]} << 24) | (std::uint32_t{value[1]} << 16) |
                          (std::uint32_t{value[2]} << 8) | value[3];
      break;
    case kSetDataSize:
    case kSetParity:
    case kSetStopSize:
    case kSetControl:
      if (size != 1) return;
      (command == kSetDataSize   ? answers_.dataSize
       : command == kSetParity   ? answers_.parity
       : command == kSetStopSize ? answers_.stopSize
                                 : answers_.control) = value[0];
      break;
    default:
      break;
  }
  answers_.seen = static_cast<std::uint16_t>(answers_.seen | (1u << command));
}

bool TelnetCodec::QueueComPort(std::uint8_t command, const std::uint8_t* value, std::size_t size) {
  // IAC SB 44 command <value, doubled at worst> IAC SE
  if (pendingSize_ + 6 + 2 * size > kPendingSize) return false;
  Put(kIac);
  Put(kSb);
  Put(kComPort);
  Put(command);
  for (std::size_t i = 0; i < size; ++i) {
    Put(value[i]);
    if (value[i] == kIac) Put(kIac);
  }
  Put(kIac);
  Put(kSe);
  return true;
}

bool TelnetCodec::QueueBaudRate(std::uint32_t rate) {
  const std::uint8_t value[4] = {
      static_cast<std::uint8_t>(rate >> 24), static_cast<std::uint8_t>(rate >> 16),
      static_cast<std::uint8_t>(rate >> 8), static_cast<std::uint8_t>(rate)};
  return QueueComPort(kSetBaudRate, value, sizeof value);
}

std::size_t TelnetCodec::Escape(const std::uint8_t* bytes, std::size_t count, std::uint8_t* out,
                                std::size_t room, std::size_t& used) {
  std::size_t n = 0;
  used = 0;
  while (used < count) {
    const bool iac = bytes[used] == kIac;
    if (n + (iac ? 2 : 1) > room) break;
    out[n++] = bytes[used];
    if (iac) out[n++] = kIac;
    ++used;
  }
  return n;
}

}  // namespace tessaro
