#include "app/front/WindowStart.h"

namespace tessaro {

int AnswerBeforeWindow(const WindowOptions& options, std::string_view usageNote, PortStack& port,
                       int argc, char** argv, const StartText& say) {
  if (options.help) {
    say(false, WindowUsage(usageNote));
    return 0;
  }
  if (options.version) {
    say(false, WindowVersion());
    return 0;
  }
  if (!options.error.empty()) {
    say(true, "tessaro: " + options.error + "\n\n" + WindowUsage(usageNote));
    return 2;
  }
  if (std::string error; !port.Make({}, options.tracePath, argc, argv, error)) {
    say(true, "tessaro: " + error + "\n");
    return 2;
  }
  return -1;
}

}  // namespace tessaro
