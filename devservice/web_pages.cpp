#include "web_pages.h"

#include <chrono>
#include <stdexcept>
#include <thread>

namespace rookery {
namespace {

constexpr const char* kGarbage =
    "<html><body><b>Fatal error</b>: the contact database is not available</body></html>\n";

// Sends the reply of `page`, unless a fault says otherwise.
void Answer(const Faults& faults, const std::string& page, const std::string& reply,
            httplib::Response& res) {
  if (faults.Names("stall", page)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(faults.GetMs("stall_ms")));
  }
  if (faults.Names("drop", page) || (page == "auth" && reply == "none")) {
    // Headers go out, then the connection closes before the promised body.
    res.set_content_provider(16, "text/html",
                             [](std::size_t, std::size_t, httplib::DataSink&) { return false; });
    return;
  }
  res.set_content(faults.Names("garbage", page) ? kGarbage : reply, "text/html");
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

// Back to a fresh service: the settings of a test cell never reach the next one.
void Reset(Service& service, httplib::Response& res) {
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

}  // namespace

void SetFault(Service& service, const std::string& key, const std::string& value) {
  if (key == "ftp_drop" || key == "ftp_refuse") {
    service.ftpSwitches.Arm(key.substr(4), ListOf(key, value, kFtpCommands));
  } else {
    service.faults.Set(key, value);
  }
}

void RegisterPages(httplib::Server& server, Service& service) {
  const std::string base = "/rookery/csv_importer/";
  server.Get(base + "ext_auth.php", [&service](const auto& req, auto& res) {
    Answer(service.faults, "auth", AuthReplyFor(service, req), res);
  });
  server.Get(base + "ext_input.php", [&service](const auto& req, auto& res) {
    const std::string reply =
        service.importer.Import(req.get_param_value("category"), req.get_param_value("name_file"));
    Answer(service.faults, "import", reply, res);
  });
  server.Get(base + "ext_verify.php", [&service](const auto& req, auto& res) {
    Answer(service.faults, "verify", service.importer.Verify(req.get_param_value("name_file")),
           res);
  });
  server.Get("/_dev/set", [&service](const auto& req, auto& res) { Control(service, req, res); });
  server.Get("/_dev/reset", [&service](const auto&, auto& res) { Reset(service, res); });
  server.Get("/_dev/contacts", [&service](const auto&, auto& res) {
    res.set_content(service.store.ContactListing(), "text/plain");
  });
  server.Get("/_dev/count", [&service](const auto&, auto& res) {
    res.set_content(std::to_string(service.store.ContactCount()) + "\n", "text/plain");
  });
}

}  // namespace rookery
