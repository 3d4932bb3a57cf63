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
  // Shows the box and returns when the user has answered it.
  virtual MsgAnswer Show(const std::string& text, const std::string& title, MsgButtons buttons,
                         MsgIcon icon) = 0;
};

}  // namespace brindle::platform
