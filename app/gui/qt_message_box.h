// Message boxes shown with QMessageBox.
#pragma once

#include "platform/message_box.h"

namespace brindle::gui {

class QtMessageBox final : public platform::MessageBox {
 public:
  platform::MsgAnswer Show(const std::string& text, const std::string& title,
                           platform::MsgButtons buttons, platform::MsgIcon icon) override;
};

}  // namespace brindle::gui
