// Message boxes shown with QMessageBox.
#pragma once

#include "platform/message_box.h"

namespace brindle::gui {

class QtMessageBox final : public platform::MessageBox {
 public:
  using platform::MessageBox::Show;
  // The details, when there are any, open under Qt's "Show Details..." button.
  platform::MsgAnswer Show(const std::string& text, const std::string& title,
                           platform::MsgButtons buttons, platform::MsgIcon icon,
                           const std::string& details) override;
};

}  // namespace brindle::gui
