// A window model whose transfers run over the real libcurl controls, as in the product, for
// tests of the whole sync run against servers on loopback.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

#include "platform/curl/curl_event_pump.h"
#include "platform/curl/curl_pump.h"
#include "platform/curl/curl_transfer_control.h"
#include "platform/file_ops.h"
#include "platform/headless/queued_file_dialog.h"
#include "platform/headless/queued_message_box.h"
#include "platform/headless/recording_windowing.h"
#include "support/dat_builder.h"
#include "support/wired_platform.h"
#include "window/frm_brindle.h"

namespace brindle::test {

// The transfers' pump, plus a hook after every pump and a limit that closes the window so
// that a run that never ends fails the test instead of hanging it.
class HookedPump : public platform::EventPump {
 public:
  using Clock = std::chrono::steady_clock;
  explicit HookedPump(platform::CurlPump& pump) : pump_(pump) {}
  std::function<void()> hook;
  std::function<void()> onTimeOut;
  Clock::time_point deadline = Clock::now() + std::chrono::seconds(40);
  bool timedOut = false;

  void DoEvents() override {
    pump_.DoEvents();
    if (hook) hook();
    if (!timedOut && Clock::now() > deadline) {
      timedOut = true;
      if (onTimeOut) onTimeOut();
    }
  }

 private:
  platform::CurlEventPump pump_;
};

// The window is made on first use, with `dir`/prog as its program folder and `config_` as the
// service it talks to, so a test can set the service up first.
class CurlWindowTest : public ::testing::Test {
 protected:
  using CurlTransferControl = platform::CurlTransferControl;
  template <typename Parts>
  friend WindowPlatform WiredPlatform(Parts& parts);

  FrmBrindle& Window() {
    if (!window_) {
      std::filesystem::create_directories(dir / "prog");
      window_ = std::make_unique<FrmBrindle>(test::WiredPlatform(*this), dir / "prog", config_);
      pump.onTimeOut = [this] { window_->CloseMain(); };
    }
    return *window_;
  }

  std::filesystem::path Tmp(const std::string& name) const { return dir / "prog" / "tmp" / name; }

  TempDir dir;
  platform::CurlPump curl;
  CurlTransferControl itc{curl, CurlTransferControl::Protocol::Ftp};
  CurlTransferControl itc2{curl, CurlTransferControl::Protocol::Http};
  HookedPump pump{curl};
  platform::QueuedMessageBox messageBox;
  platform::QueuedFileDialog fileDialog;
  platform::RecordingWindowing windowing;
  platform::RealFileOps files;
  ServiceConfig config_;
  std::unique_ptr<FrmBrindle> window_;
};

}  // namespace brindle::test
