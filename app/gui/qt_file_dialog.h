// The "Browse" file-open dialog, shown with QFileDialog. Paths cross the interface as UTF-8.
#pragma once

#include <QString>
#include <optional>
#include <string>

#include "platform/file_dialog.h"

namespace brindle::gui {

class QtFileDialog final : public platform::FileDialog {
 public:
  // `initialDir` is whatever the path box holds: a folder, a file path or nothing. The dialog
  // opens in the folder of that path when it exists.
  std::string ShowOpen(const std::string& initialDir, const std::string& filter) override;

  // Test seam: the next ShowOpen returns `path` ("" for a cancel) without opening the dialog,
  // after working out the folder and filter it would have used.
  void SetNextAnswer(std::string path) { nextAnswer_ = std::move(path); }
  const QString& LastStartFolder() const { return lastStartFolder_; }
  const QString& LastFilter() const { return lastFilter_; }

  // The folder the dialog starts in for a path box holding `path`; for an empty box, or a path
  // of which no folder exists, Palm Desktop's folder or the home folder.
  static QString StartFolder(const QString& path);
  // Turns a "description|pattern|description|pattern" filter into Qt's "description (pattern)"
  // lines, so "*.dat | *.dat" becomes "*.dat (*.dat)".
  static QString QtFilter(const QString& filter);

 private:
  std::optional<std::string> nextAnswer_;
  QString lastStartFolder_;
  QString lastFilter_;
};

}  // namespace brindle::gui
