#include "app/front/ComPortModel.h"

#include <array>
#include <cctype>
#include <cstring>

#include "app/Engine.h"
#include "app/NetworkPortChoice.h"

namespace tessaro {

namespace {

constexpr auto kBaudTexts = [] {
  std::array<const char*, kBaudChoices> texts{};
  for (int i = 0; i < kBaudChoices; ++i) texts[i] = BaudTable[i].text;
  return texts;
}();

constexpr char kNetworkHint[] =
    "Or type rfc2217://HOST:PORT or tcp://HOST:PORT for a port on a serial device server.";

std::string Trimmed(const std::string& text) {
  const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && blank(text[begin])) ++begin;
  while (end > begin && blank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

bool SameName(const char* a, const std::string& b) {
  if (std::strlen(a) != b.size()) return false;
  for (std::size_t i = 0; i < b.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

const char* ComPortModel::NetworkNote(const std::string& typed) {
  const std::string text = Trimmed(typed);
  return text.empty() ? kNetworkHint : NetworkPortNote(text);
}

int ComPortModel::ListTexts(int list, const char* const** texts) {
  switch (list) {
    case 0:
      *texts = PortNameTable;
      return kPortCount;
    case 1:
      *texts = kBaudTexts.data();
      return kBaudChoices;
    case 2:
      *texts = DataBitsTable;
      return kDataBitsCount;
    case 3:
      *texts = ParityTable;
      return kParityCount;
    default:
      *texts = FlowControlTable;
      return kFlowCount;
  }
}

ComPortModel::ComPortModel(Engine& engine) : ComPortModel(engine, ListSerialDevices()) {}

ComPortModel::ComPortModel(Engine& engine, std::vector<PortInfo> devices) : engine_(engine) {
  for (PortInfo& device : devices) {
    bool fixed = false;
    for (int row = 0; row < kPortCount; ++row) {
      if (!SameName(PortNameTable[row], device.name)) continue;
      fixedDetails_[row] = device.description;
      fixed = true;
    }
    if (!fixed) devices_.push_back(std::move(device));
  }
  initial_ = ChoicesFromSettings(engine.Settings(), devices_);
  initial_.reconnect = engine.AutoReconnect();
}

std::vector<std::string> ComPortModel::PortTexts() const {
  std::vector<std::string> texts;
  texts.reserve(kPortCount + devices_.size());
  for (int row = 0; row < kPortCount; ++row) {
    texts.push_back(PortInfo{"", PortNameTable[row], fixedDetails_[row]}.ListText());
  }
  for (const PortInfo& device : devices_) texts.push_back(device.ListText());
  return texts;
}

bool ComPortModel::Confirm(const ComChoices& choices, const char** refusal) {
  ComChoices chosen = choices;
  chosen.networkPort = Trimmed(choices.networkPort);
  if (!chosen.networkPort.empty() && !IsUsableNetworkPort(chosen.networkPort)) {
    *refusal = NetworkPortNote(chosen.networkPort);
    return false;
  }
  engine_.ConfirmPortChoices(chosen, devices_);
  engine_.SetAutoReconnect(chosen.reconnect);
  return true;
}

}  // namespace tessaro
