// The file-open dialog of the "Browse" button.
#pragma once

#include <string>

namespace brindle::platform {

class FileDialog {
 public:
  virtual ~FileDialog() = default;
  // Shows a modal open dialog. Returns the chosen file's full path, or "" when cancelled.
  virtual std::string ShowOpen(const std::string& initialDir, const std::string& filter) = 0;
};

}  // namespace brindle::platform
