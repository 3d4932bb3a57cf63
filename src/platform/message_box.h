// Modal message boxes. The window model shows every message through this interface so that
// tests and the command line can answer them.
#pragma once

#include <string>

namespace brindle::platform {

enum class MsgButtons { OK, YesNo };
enum class MsgIcon { None, Critical };
enum class MsgAnswer { OK, Yes, No };

class MessageBox {
 public:
  virtual ~MessageBox() = default;
  // Shows the box and returns when the user has answered it. `details` (UTF-8, plain text) is
  // what the user may open below the text: why a failure happened and where to read more. A
  // box without details shows none.
  virtual MsgAnswer Show(const std::string& text, const std::string& title, MsgButtons buttons,
                         MsgIcon icon, const std::string& details) = 0;
  MsgAnswer Show(const std::string& text, const std::string& title, MsgButtons buttons,
                 MsgIcon icon) {
    return Show(text, title, buttons, icon, "");
  }
};

}  // namespace brindle::platform
