// The service's three pages under /rookery/csv_importer/, and the control pages of this dev
// service under /_dev/.
#pragma once

#include <httplib.h>

#include <mutex>

#include "contact_store.h"
#include "faults.h"
#include "ftp_child.h"
#include "importer.h"

namespace rookery {

struct Service {
  ContactStore& store;
  Importer& importer;
  Faults& faults;
  FtpChild& ftp;
  std::mutex ftpMutex;  // the FTP server is stopped and started from request threads
};

void RegisterPages(httplib::Server& server, Service& service);

}  // namespace rookery
