#include "web_pages.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

namespace rookery {
namespace {

constexpr const char* kGarbage =
    "<html><body><b>Fatal error</b>: the contact database is not available</body></html>\n";

// Headers go out, then the connection closes before the promised body.
void Cut(httplib::Response& res) {
  res.set_content_provider(16, "text/html",
                           [](std::size_t, std::size_t, httplib::DataSink&) { return false; });
}

// Sends the reply of `page`, unless a fault says otherwise.
void Answer(const Faults& faults, const std::string& page, const std::string& reply,
            httplib::Response& res) {
  if (faults.Names("stall", page)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(faults.GetMs("stall_ms")));
  }
  if (faults.Names("drop", page) || (page == "auth" && reply == "none")) {
    Cut(res);
    return;
  }
  res.set_content(faults.Names("garbage", page) ? kGarbage : reply, "text/html");
}

// Runs the work of a page request under the test's holds. A request that a reset let go
// instead is cut off: its client learns nothing, and the service did nothing for it.
bool Pass(Service& service, const std::string& page, httplib::Response& res,
          const std::function<void()>& work) {
  if (service.holds.Run(page, work)) return true;
  Cut(res);
  return false;
}

std::string AuthReplyFor(Service& service, const httplib::Request& req) {
  std::string fixed = service.faults.Get("auth");
  if (!fixed.empty()) return fixed;
  const auto reply =
      service.store.CheckLogin(req.get_param_value("login"), req.get_param_value("pass"));
  return std::to_string(static_cast<int>(reply));
}

void SetFtp(Service& service, const std::string& value) {
  std::lock_guard lock(service.ftpMutex);
  if (value == "down") {
    service.ftp.Stop();
    service.ftpSwitches.ForgetHeld();
  } else if (value == "up") {
    service.ftp.Start();
  } else {
    throw std::invalid_argument("bad value for ftp: " + value);
  }
}

void Control(Service& service, const httplib::Request& req, httplib::Response& res) {
  try {
    for (const auto& [key, value] : req.params) {
      if (key == "ftp") {
        SetFtp(service, value);
      } else {
        SetFault(service, key, value);
      }
    }
    res.set_content("ok\n", "text/plain");
  } catch (const std::exception& e) {
    res.status = 400;
    res.set_content(std::string(e.what()) + "\n", "text/plain");
  }
}

// Holds first: once they are reset no request's work is running, and none can undo the rest.
void Reset(Service& service, httplib::Response& res) {
  service.holds.Reset();
  service.ftpSwitches.Reset();
  service.faults.Reset();
  service.importer.Clear();
  service.store.DeleteContacts();
  try {
    std::lock_guard lock(service.ftpMutex);
    service.ftp.Start();  // a fresh service has its FTP server; Start keeps a running one
    res.set_content("ok\n", "text/plain");
  } catch (const std::exception& e) {
    res.status = 500;
    res.set_content(std::string(e.what()) + "\n", "text/plain");
  }
}

std::string HeldListing(Service& service) {
  std::string listing;
  for (const auto& page : service.holds.Held()) listing += page + "\n";
  for (const auto& command : service.ftpSwitches.Held()) listing += command + "\n";
  return listing;
}

}  // namespace

void SetFault(Service& service, const std::string& key, const std::string& value) {
  if (key == "ftp_drop" || key == "ftp_refuse") {
    service.ftpSwitches.Arm(key.substr(4), ListOf(key, value, kFtpCommands));
  } else if (key == "hold") {
    std::vector<std::string> items = kFtpCommands;
    items.insert(items.end(), kPages.begin(), kPages.end());
    std::vector<std::string> pages, commands;
    for (auto& item : ListOf(key, value, items)) {
      const bool page = std::find(kPages.begin(), kPages.end(), item) != kPages.end();
      (page ? pages : commands).push_back(std::move(item));
    }
    service.holds.Arm(pages);
    service.ftpSwitches.Arm("hold", commands);
  } else {
    service.faults.Set(key, value);
  }
}

void RegisterPages(httplib::Server& server, Service& service) {
  const std::string base = "/rookery/csv_importer/";
  server.Get(base + "ext_auth.php", [&service](const auto& req, auto& res) {
    std::string reply;
    if (Pass(service, "auth", res, [&] { reply = AuthReplyFor(service, req); })) {
      Answer(service.faults, "auth", reply, res);
    }
  });
  server.Get(base + "ext_input.php", [&service](const auto& req, auto& res) {
    std::string reply;
    if (Pass(service, "import", res, [&] {
          reply = service.importer.Import(req.get_param_value("category"),
                                          req.get_param_value("name_file"));
        })) {
      Answer(service.faults, "import", reply, res);
    }
  });
  server.Get(base + "ext_verify.php", [&service](const auto& req, auto& res) {
    std::string reply;
    if (Pass(service, "verify", res,
             [&] { reply = service.importer.Verify(req.get_param_value("name_file")); })) {
      Answer(service.faults, "verify", reply, res);
    }
  });
  server.Get("/_dev/set", [&service](const auto& req, auto& res) { Control(service, req, res); });
  server.Get("/_dev/held", [&service](const auto&, auto& res) {
    res.set_content(HeldListing(service), "text/plain");
  });
  server.Get("/_dev/release", [&service](const auto&, auto& res) {
    service.holds.Release();
    service.ftpSwitches.Release();
    res.set_content("ok\n", "text/plain");
  });
  server.Get("/_dev/reset", [&service](const auto&, auto& res) { Reset(service, res); });
  server.Get("/_dev/contacts", [&service](const auto&, auto& res) {
    res.set_content(service.store.ContactListing(), "text/plain");
  });
  server.Get("/_dev/count", [&service](const auto&, auto& res) {
    res.set_content(std::to_string(service.store.ContactCount()) + "\n", "text/plain");
  });
}

}  // namespace rookery
