#include "app/front/BasePropertiesModel.h"

#include "app/Engine.h"
#include "app/front/BaseList.h"
#include "app/front/DialogNumbers.h"

namespace tessaro {

namespace {

int ListRow(char stored, int count) {
  const int row = stored - '1';
  return row >= 0 && row < count ? row : -1;
}

}  // namespace

int ChannelChoices(bool sixChannelMode) {
  return sixChannelMode ? kSixChannelChoices : kChannelChoices;
}

ShownProperties ShowBase(const BaseProperties& stored, bool sixChannelMode) {
  ShownProperties shown;
  shown.choices.channel = ListRow(stored.channel, ChannelChoices(sixChannelMode));
  shown.choices.group = ListRow(stored.group, kGroupChoices);
  shown.choices.power = ListRow(stored.power, kPowerChoices);
  shown.choices.mode = ListRow(stored.mode, kModeChoices);
  shown.choices.baud = stored.baudIndex < kBaudChoices ? stored.baudIndex : -1;
  shown.timeout = stored.timeout;
  shown.modeEnabled = stored.mode != kSlaveMode;
  shown.baudEnabled = shown.modeEnabled;
  return shown;
}

bool BaudEnabledForModeRow(int modeRow) {
  return modeRow != kSlaveModeRow;
}

bool ReadTimeoutBox(std::string_view text, int& seconds) {
  const UnsignedText read = ReadUnsignedText(text);
  seconds = 0;
  if (read.tooLarge || (read.isNumber && read.value > static_cast<unsigned>(kTimeoutHigh))) {
    return false;
  }
  if (read.isNumber) seconds = static_cast<int>(read.value);
  return true;
}

}  // namespace tessaro

namespace tessaro {

BasePropertiesModel::BasePropertiesModel(Engine& engine)
    : engine_(engine),
      bases_(PresentBases(engine)),
      sixChannelMode_(engine.SixChannelMode() != 0) {}

std::vector<std::string> BasePropertiesModel::ListTexts(List list) const {
  std::vector<std::string> texts;
  const auto digits = [&texts](int count) {
    for (int i = 1; i <= count; ++i) texts.push_back(std::to_string(i));
  };
  switch (list) {
    case kId:
      for (int b : bases_) texts.push_back(BaseText(b, true));
      break;
    case kChannel:
      digits(ChannelChoices(sixChannelMode_));
      break;
    case kGroup:
      digits(kGroupChoices);
      break;
    case kPower:
      digits(kPowerChoices);
      break;
    case kMode:
      for (const char* text : ModeTable) texts.emplace_back(text);
      break;
    default:
      for (int i = 0; i < kBaudChoices; ++i) texts.emplace_back(BaudTable[i].text);
      break;
  }
  return texts;
}

bool BasePropertiesModel::Show(std::string_view idText, ShownProperties* shown) const {
  const int base = BaseFromText(idText);
  if (base == 0) return false;
  const bool six = sixChannelMode_;
  *shown = engine_.Read(
      [base, six](const EngineView& v) { return ShowBase(v.registry.properties[base], six); });
  return true;
}

BasePropertiesModel::Outcome BasePropertiesModel::Confirm(std::string_view idText,
                                                          const PropertyChoices& chosen,
                                                          std::string_view timeoutText,
                                                          const char** refusal) {
  int timeout = 0;
  if (!ReadTimeoutBox(timeoutText, timeout)) {
    *refusal = kTimeoutRangeText;
    return Outcome::kRefused;
  }
  const int base = BaseFromText(idText);
  if (base == 0) return Outcome::kCancelled;
  // The question is asked without the lock: the reader thread keeps
  // dispatching while the operator thinks.
  pendingBaud_ = engine_.SendPropertyChanges(base, chosen, timeout);
  pendingBase_ = base;
  return pendingBaud_ >= 0 ? Outcome::kAskBaud : Outcome::kDone;
}

void BasePropertiesModel::ConfirmBaud() {
  if (pendingBaud_ < 0) return;
  engine_.ChangeBaud(pendingBase_, pendingBaud_);
  pendingBaud_ = -1;
  reopenRequest_ = true;
}

}  // namespace tessaro
