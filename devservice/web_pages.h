// The service's three pages under /rookery/csv_importer/, and the control pages of this dev
// service under /_dev/.
#pragma once

#include <httplib.h>

#include <mutex>

#include "contact_store.h"
#include "faults.h"
#include "ftp_child.h"
#include "ftp_switches.h"
#include "importer.h"
#include "page_holds.h"

namespace rookery {

struct Service {
  ContactStore& store;
  Importer& importer;
  Faults& faults;
  FtpChild& ftp;
  PageHolds& holds;
  FtpSwitches& ftpSwitches;
  std::mutex ftpMutex;  // the FTP server is stopped and started from request threads
};

void RegisterPages(httplib::Server& server, Service& service);

// Sets a fault or a switch (faults.h), as --fault and /_dev/set do. Throws
// std::invalid_argument for an unknown key or a bad value.
void SetFault(Service& service, const std::string& key, const std::string& value);

}  // namespace rookery
