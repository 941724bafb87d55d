#pragma once

#include <string>
#include <string_view>

namespace tessaro::metrics {

// The file the exposition is written to, replaced whole on every write so
// that a collector polling it never reads half of it.
class MetricsFile {
 public:
  // `path` names the file; a symbolic link is followed, so the file it
  // names is replaced, not the link.
  explicit MetricsFile(const std::string& path);

  // Whether the folder takes the temporary file; false with the reason.
  bool Check(std::string& error) const;

  // Writes `text` to the temporary file beside the target (whose name does
  // not end in ".prom", so a collector never reads it) and renames it over
  // the target.  false with the reason when a step fails; the target is
  // then as it was and the temporary is gone.
  bool Write(std::string_view text, std::string& error) const;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  std::string partial_;
};

}  // namespace tessaro::metrics
