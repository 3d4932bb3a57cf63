// The service's database: accounts that may log in, and the contacts they imported.
#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct sqlite3;

namespace rookery {

enum class AuthReply { Ok = 0, NoPalmLevel = 1, Rejected = 2 };

inline constexpr const char* kPalmLevel = "palm";

class ContactStore {
 public:
  // Opens (or creates) the database and seeds the demo accounts.
  explicit ContactStore(const std::filesystem::path& file);

  void AddAccount(const std::string& login, const std::string& password, const std::string& level);
  AuthReply CheckLogin(const std::string& login, const std::string& password);

  // Stores imported lines (30 fields each) for `owner`, in one transaction. A line whose
  // column 28 holds the id of a contact of the same owner updates that contact instead.
  // Returns the contacts' ids, one per line.
  std::vector<long long> StoreContacts(const std::string& owner, const std::string& sourceFile,
                                       const std::vector<std::vector<std::string>>& records);

  // Deletes every contact; the accounts stay. Ids are not given again: one left in a file
  // from before never names a later contact.
  void DeleteContacts();
  long long ContactCount();
  // One line per contact: id, owner, the record id (column 1), the name (column 2).
  std::string ContactListing();

 private:
  void Exec(const std::string& sql);
  long long StoreContact(const std::string& owner, const std::string& sourceFile,
                         const std::vector<std::string>& fields);
  long long FindOwnContact(const std::string& owner, const std::string& idText);

  struct Closer {
    void operator()(sqlite3* db) const;
  };

  std::mutex mutex_;
  std::unique_ptr<sqlite3, Closer> db_;
};

}  // namespace rookery
