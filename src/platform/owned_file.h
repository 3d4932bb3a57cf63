// An open stdio stream with one owner, closed however the scope ends. A writer that must know
// whether its bytes reached the file releases the stream and checks fclose itself.
#pragma once

#include <cstdio>
#include <memory>

namespace brindle::platform {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace brindle::platform
